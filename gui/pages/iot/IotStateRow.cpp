#include "IotStateRow.h"

#include <QHBoxLayout>
#include <QLabel>

IotStateRow::IotStateRow(const char* kind, int port, QWidget* parent)
    : QWidget(parent),
      layout_(new QHBoxLayout(this)),
      port_(port),
      portLabel_(new QLabel(QString::fromUtf8(kind) + ' ' + QString::number(port), this)),
      stateLabel_(new QLabel(QString::fromUtf8("状态:"), this)) {
    portLabel_->setFixedWidth(70);
    stateLabel_->setFixedWidth(100);
    stateLabel_->setObjectName("stateLabel");
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->addWidget(portLabel_);
    layout_->addWidget(stateLabel_);
}

QString IotStateRow::stateText() const {
    return stateLabel_->text();
}

void IotStateRow::showState(std::initializer_list<kit::StateText> texts, int value) {
    stateLabel_->setText(QString::fromUtf8("状态：") + kit::stateText(texts, value));
}
