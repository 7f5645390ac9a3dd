#include "PageKitRows.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace kit {

QVBoxLayout* buildRows(QScrollArea* area, int count, const std::function<QWidget*(int, QWidget*)>& make) {
    auto* content = new QWidget(area);
    auto* layout = new QVBoxLayout(content);
    for (int n = 1; n <= count; ++n) layout->addWidget(make(n, content));
    area->setWidget(content);
    return layout;
}

}  // namespace kit
