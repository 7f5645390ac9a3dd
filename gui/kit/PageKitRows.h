// Pages that repeat a row widget per port or channel: the rows are built in
// code into a scroll area, numbered from 1, and found again by position.
#pragma once

#include <QLayout>
#include <QWidget>

#include <functional>

class QScrollArea;
class QVBoxLayout;

namespace kit {

// Gives `area` a fresh content widget holding rows 1 … `count` from top to
// bottom, each made by `make(n, content)`; returns their layout.
QVBoxLayout* buildRows(QScrollArea* area, int count,
                       const std::function<QWidget*(int n, QWidget* parent)>& make);

// Row `index` (0-based) of `rows` when it is a `Row`, else null.
template <class Row>
Row* rowAt(const QLayout* rows, int index) {
    QLayoutItem* item = rows ? rows->itemAt(index) : nullptr;
    return item ? qobject_cast<Row*>(item->widget()) : nullptr;
}

}  // namespace kit
