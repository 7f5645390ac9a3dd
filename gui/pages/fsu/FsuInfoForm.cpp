#include "FsuInfoForm.h"

#include <QDebug>

#include "PageKit.h"
#include "TslNtp.h"

FsuInfoForm::FsuInfoForm(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    setObjectName("FsuInfoForm");
}

FsuInfoForm::~FsuInfoForm() = default;

void FsuInfoForm::on_infoGetButton_clicked() {
    qDebug() << "on_infoGetButton_clicked";
    Np_NtpLocationInfo rec{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Ntp_GetDevicLocationInfo(h, &rec); },
        [&] {
            ui.cEorWEdit->setText(kit::text(rec.eastWest));
            ui.clongitudeEdit->setText(kit::text(rec.longitude));
            ui.cSorNEdit->setText(kit::text(rec.southNorth));
            ui.clatitudeEdit->setText(kit::text(rec.latitude));
            ui.cantennaStatusEdit->setText(kit::text(rec.antennaStatus));
            ui.csatelliteTypeEdit->setText(kit::text(rec.satelliteType));
            ui.nsatelliteNumEdit->setText(QString::number(kit::load<int32_t>(KIT_CFIELD(rec, satelliteNum))));
        });
}
