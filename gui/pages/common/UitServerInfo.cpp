#include "UitServerInfo.h"

#include "PageKit.h"
#include "TslUit.h"

UitServerInfo::UitServerInfo(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    ui.serverNumEdit->setText(QStringLiteral("0"));
    ui.serverNumEdit->setReadOnly(true);
    kit::limitTo<int32_t>(ui.serverPortEdit);
    // The index is the manufacturer code; the data only mirrors it.
    kit::addItems(ui.manuftypeComboBox, {{"无", 0}, {"泓岳", 1}, {"其他", 2}});
}

UitServerInfo::~UitServerInfo() = default;

void UitServerInfo::on_serverGetButton_clicked() {
    Np_UitServerInfo info{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_UIT_GetServerInfo(h, &info); },
        [&] {
            ui.serverNumEdit->setText(QString::number(info.serverNo));
            kit::showFlag(ui.serverEnableCheckBox, info.enable);
            ui.serverIpEdit->setText(kit::text(info.address));
            ui.serverPortEdit->setText(QString::number(kit::load<int32_t>(KIT_FIELD(info, port))));
        });
}

void UitServerInfo::on_serverSetButton_clicked() {
    Np_UitServerInfo info{};
    kit::Fields f(this);
    info.serverNo = f.number<uint8_t>(ui.serverNumEdit, QString::fromUtf8("序号"));
    kit::store<int32_t>(KIT_FIELD(info, port),
                        f.number<int32_t>(ui.serverPortEdit, QString::fromUtf8("端口")));
    if (!f.ok()) return;
    info.enable = kit::flag(ui.serverEnableCheckBox);
    kit::copyText(info.address, ui.serverIpEdit->text());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_UIT_SetServerInfo(h, info); });
}

void UitServerInfo::on_serverDelButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_UIT_DeleteServerInfo(h); });
}

void UitServerInfo::on_manufGetButton_clicked() {
    Np_UitManufInfo info{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_UIT_GetManufInfo(h, &info); },
        [&] { kit::selectByIndex(ui.manuftypeComboBox, kit::load<int32_t>(KIT_FIELD(info, manufacturer))); });
}

void UitServerInfo::on_manufSetButton_clicked() {
    Np_UitManufInfo info{};
    kit::store<int32_t>(KIT_FIELD(info, manufacturer),
                        static_cast<int32_t>(kit::comboIndex(ui.manuftypeComboBox)));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_UIT_SetManufInfo(h, info); });
}

void UitServerInfo::on_manufDelButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_UIT_DeleteManufInfo(h); });
}
