#include "IotOutputStateWidget.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "TslIoT.h"

IotOutputStateWidget::IotOutputStateWidget(int port, QWidget* parent)
    : IotStateRow("输出端口", port, parent),
      closeButton_(addAction("closeButton", "闭合", 1)),
      recCloseButton_(addAction("recCloseButton", "恢复到闭合", 7)),
      openButton_(addAction("openButton", "断开", 2)),
      recOpenButton_(addAction("recOpenButton", "恢复到断开", 8)) {
    layout_->addStretch();
}

QPushButton* IotOutputStateWidget::addAction(const char* name, const char* text, uint8_t action) {
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setObjectName(name);
    layout_->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, action] {
        Np_IoTIOControl control{};
        control.port = static_cast<uint8_t>(port());
        control.action = action;
        kit::run(this, kit::Write, [&](int h) { return TSL_NET_IoT_IOControl(h, control); });
    });
    return button;
}

void IotOutputStateWidget::showState(int value) {
    IotStateRow::showState({{0, "断开"}, {1, "闭合"}}, value);
}
