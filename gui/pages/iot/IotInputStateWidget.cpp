#include "IotInputStateWidget.h"

#include <QHBoxLayout>

IotInputStateWidget::IotInputStateWidget(int port, QWidget* parent) : IotStateRow("输入端口", port, parent) {
    layout_->addStretch();
}

void IotInputStateWidget::showState(int value) {
    IotStateRow::showState({{0, "低电平"}, {1, "正常"}, {2, "高电平"}}, value);
}
