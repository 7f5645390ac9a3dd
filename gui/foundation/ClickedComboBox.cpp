#include "ClickedComboBox.h"

#include <QMouseEvent>

ClickedComboBox::ClickedComboBox(QWidget* parent) : QComboBox(parent) {}

void ClickedComboBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Q_EMIT clicked();
    QComboBox::mousePressEvent(event);
}
