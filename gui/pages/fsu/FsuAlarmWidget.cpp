#include "FsuAlarmWidget.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

#include "PageKit.h"

FsuAlarmWidget::FsuAlarmWidget(int number, QWidget* parent)
    : QWidget(parent), number_(number), combo_(new QComboBox(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    auto* title = new QLabel(QString::fromUtf8("%1 输入配置").arg(number), this);
    // One width for every row, so the combo boxes line up under each other.
    title->setMinimumWidth(title->fontMetrics().horizontalAdvance(QString::fromUtf8("16 输入配置")));
    layout->addWidget(title);
    combo_->setObjectName("modeComboBox");
    combo_->setMaximumWidth(90);
    for (const char* item : {"0-不配置", "1-显示检测", "2-过滤检测"})
        combo_->addItem(QString::fromUtf8(item));
    layout->addWidget(combo_);
    layout->addStretch();
}

FsuAlarmWidget::~FsuAlarmWidget() = default;

void FsuAlarmWidget::setMode(qint64 mode) {
    kit::selectByIndex(combo_, mode);
}

qint64 FsuAlarmWidget::mode() const {
    return kit::comboIndex(combo_);
}
