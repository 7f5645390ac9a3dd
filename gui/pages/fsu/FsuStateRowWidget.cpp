#include "FsuStateRowWidget.h"

#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>

FsuStateRowWidget::FsuStateRowWidget(const char* prefix, int number, QWidget* parent)
    : QWidget(parent), number_(number), nameLabel_(new QLabel(this)), stateLabel_(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    auto* title = new QLabel(QString::fromUtf8("%1%2：").arg(QString::fromUtf8(prefix)).arg(number), this);
    title->setFixedSize(50, 16);
    nameLabel_->setObjectName("nameLabel");
    // At least the classic widths; wider where the font needs it, so that a
    // long name or "UNKNOWN" is never clipped.
    nameLabel_->setMinimumWidth(60);
    stateLabel_->setObjectName("stateLabel");
    stateLabel_->setMinimumWidth(std::max(50, stateLabel_->fontMetrics().horizontalAdvance("UNKNOWN") + 4));
    layout->addWidget(title);
    layout->addWidget(nameLabel_);
    layout->addWidget(stateLabel_);
    layout->addStretch();
}

FsuStateRowWidget::~FsuStateRowWidget() = default;

void FsuStateRowWidget::setTexts(const QString& name, const QString& state) {
    // A fixed minimum would let the row squeeze a long name under the state.
    nameLabel_->setMinimumWidth(std::max(60, nameLabel_->fontMetrics().horizontalAdvance(name) + 4));
    nameLabel_->setText(name);
    stateLabel_->setText(state);
}

QString FsuStateRowWidget::name() const {
    return nameLabel_->text();
}

QString FsuStateRowWidget::state() const {
    return stateLabel_->text();
}
