#include "IotStateForm.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "IotInputStateWidget.h"
#include "IotOutputStateWidget.h"
#include "PageKit.h"
#include "PageKitRows.h"
#include "TslIoT.h"

namespace {

const int kGroups = 8;
const int kPortsPerGroup = 8;

const QPixmap& icon(bool online) {
    // Scaled once: the page is built at start and every read sets eight marks.
    static const QPixmap on =
        QPixmap(":/icon/online.png").scaled(24, 24, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    static const QPixmap off =
        QPixmap(":/icon/offline.png").scaled(24, 24, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return online ? on : off;
}

}  // namespace

IotStateForm::IotStateForm(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    setObjectName("IotStateForm");
    const int ports = kGroups * kPortsPerGroup;
    inputRows_ = kit::buildRows(ui.inputScrollArea, ports,
                                [](int n, QWidget* p) { return new IotInputStateWidget(n, p); });
    outputRows_ = kit::buildRows(ui.outputScrollArea, ports,
                                 [](int n, QWidget* p) { return new IotOutputStateWidget(n, p); });
    for (int g = 1; g <= kGroups; ++g) groupLabel(g)->setPixmap(icon(false));
}

IotStateForm::~IotStateForm() = default;

QLabel* IotStateForm::groupLabel(int group) const {
    QLabel* const labels[kGroups] = {ui.dev1Label, ui.dev2Label, ui.dev3Label, ui.dev4Label,
                                     ui.dev5Label, ui.dev6Label, ui.dev7Label, ui.dev8Label};
    return labels[group - 1];
}

void IotStateForm::on_getButton_clicked() {
    bool online[kGroups] = {};
    for (int g = 1; g <= kGroups; ++g) {
        Np_IoTInputState in{};
        Np_IoTOutputState out{};
        in.group = out.group = static_cast<uint8_t>(g);
        const bool ok = kit::run(
            this, kit::Read.quiet(),
            [&](int h) {
                // Both are asked before either answer counts; the input's failure is the one shown.
                const int inResult = TSL_NET_IoT_GetInputState(h, &in);
                const int outResult = TSL_NET_IoT_GetOutputState(h, &out);
                return inResult != 0 ? inResult : outResult;
            },
            [&] {
                online[g - 1] = in.online != 0;
                for (int p = 0; p < kPortsPerGroup; ++p) {
                    const int row = (g - 1) * kPortsPerGroup + p;
                    if (auto* r = kit::rowAt<IotInputStateWidget>(inputRows_, row)) r->showState(in.ports[p]);
                    if (auto* r = kit::rowAt<IotOutputStateWidget>(outputRows_, row))
                        r->showState(out.ports[p]);
                }
            });
        if (!ok) return;
    }
    for (int g = 1; g <= kGroups; ++g) groupLabel(g)->setPixmap(icon(online[g - 1]));
    kit::showSuccess(this);
}

void IotStateForm::controlAll(uint8_t action) {
    Np_IoTIOControl control{};
    control.port = 1;
    control.action = action;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_IoT_IOControl(h, control); });
}

void IotStateForm::on_closeButton_clicked() {
    controlAll(9);
}
void IotStateForm::on_openButton_clicked() {
    controlAll(10);
}
void IotStateForm::on_seqCloseButton_clicked() {
    controlAll(11);
}
void IotStateForm::on_seqOpenButton_clicked() {
    controlAll(12);
}
void IotStateForm::on_recCloseButton_clicked() {
    controlAll(13);
}
void IotStateForm::on_recOpenButton_clicked() {
    controlAll(14);
}
