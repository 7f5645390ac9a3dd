#include "IotOutputWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

#include "PageKit.h"

IotOutputWidget::IotOutputWidget(int port, QWidget* parent)
    : QWidget(parent),
      port_(port),
      layout_(new QHBoxLayout(this)),
      enableCheckBox_(new QCheckBox(this)),
      portLabel_(new QLabel(QString::fromUtf8("端口 ") + QString::number(port), this)),
      actionComboBox_(new QComboBox(this)),
      stateComboBox_(new QComboBox(this)) {
    enableCheckBox_->setObjectName("enableCheckBox");
    actionComboBox_->setObjectName("actionComboBox");
    stateComboBox_->setObjectName("stateComboBox");
    // Action and state are their items' indexes.
    actionComboBox_->addItems({QString::fromUtf8("跟随"), QString::fromUtf8("脉冲")});
    stateComboBox_->addItems({QString::fromUtf8("断开"), QString::fromUtf8("闭合")});
    stateComboBox_->setCurrentIndex(1);
    // Room for the widest number, so the combo boxes of all rows line up.
    portLabel_->setMinimumWidth(portLabel_->fontMetrics().horizontalAdvance(QString::fromUtf8("端口 64")));
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->addWidget(enableCheckBox_);
    layout_->addWidget(portLabel_);
    layout_->addWidget(actionComboBox_);
    layout_->addWidget(stateComboBox_);
    layout_->addStretch();
}

void IotOutputWidget::show(uint8_t enable, uint8_t action, uint8_t state) {
    kit::showFlag(enableCheckBox_, enable);
    kit::selectByIndex(actionComboBox_, action);
    kit::selectByIndex(stateComboBox_, state);
}

void IotOutputWidget::read(uint8_t& enable, uint8_t& action, uint8_t& state) const {
    enable = kit::flag(enableCheckBox_);
    action = static_cast<uint8_t>(kit::comboIndex(actionComboBox_));
    state = static_cast<uint8_t>(kit::comboIndex(stateComboBox_));
}
