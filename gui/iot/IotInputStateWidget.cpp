#include "IotInputStateWidget.h"

#include <QHBoxLayout>
#include <QLabel>

#include "PageKit.h"

IotInputStateWidget::IotInputStateWidget(int port, QWidget* parent)
    : QWidget(parent),
      port_(port),
      layout_(new QHBoxLayout(this)),
      portLabel_(new QLabel(QString::fromUtf8("输入端口 ") + QString::number(port), this)),
      stateLabel_(new QLabel(QString::fromUtf8("状态:"), this)) {
    portLabel_->setFixedWidth(70);
    stateLabel_->setFixedWidth(100);
    stateLabel_->setObjectName("stateLabel");
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->addWidget(portLabel_);
    layout_->addWidget(stateLabel_);
    layout_->addStretch();
}

void IotInputStateWidget::showState(int value) {
    stateLabel_->setText(QString::fromUtf8("状态：") +
                         kit::stateText({{0, "低电平"}, {1, "正常"}, {2, "高电平"}}, value));
}

QString IotInputStateWidget::stateText() const {
    return stateLabel_->text();
}
