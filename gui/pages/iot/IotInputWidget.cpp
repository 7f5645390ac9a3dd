#include "IotInputWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

#include "PageKit.h"

IotInputWidget::IotInputWidget(int port, QWidget* parent)
    : QWidget(parent),
      port_(port),
      layout_(new QHBoxLayout(this)),
      enableCheckBox_(new QCheckBox(this)),
      portLabel_(new QLabel(QString::fromUtf8("端口 ") + QString::number(port), this)),
      levelComboBox_(new QComboBox(this)) {
    enableCheckBox_->setObjectName("enableCheckBox");
    levelComboBox_->setObjectName("levelComboBox");
    // The level is its item's index.
    for (const char* level : {"低电平", "正常电平", "高电平"})
        levelComboBox_->addItem(QString::fromUtf8(level));
    // Room for the widest number, so the combo boxes of all rows line up.
    portLabel_->setMinimumWidth(portLabel_->fontMetrics().horizontalAdvance(QString::fromUtf8("端口 64")));
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->addWidget(enableCheckBox_);
    layout_->addWidget(portLabel_);
    layout_->addWidget(levelComboBox_);
    layout_->addStretch();
}

void IotInputWidget::show(uint8_t enable, uint8_t level) {
    kit::showFlag(enableCheckBox_, enable);
    kit::selectByIndex(levelComboBox_, level);
}

void IotInputWidget::read(uint8_t& enable, uint8_t& level) const {
    enable = kit::flag(enableCheckBox_);
    level = static_cast<uint8_t>(kit::comboIndex(levelComboBox_));
}
