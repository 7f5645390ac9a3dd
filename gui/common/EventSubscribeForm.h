// The page of event subscription and live event tables. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class EventSubscribeForm : public QWidget {
    Q_OBJECT
  public:
    explicit EventSubscribeForm(QWidget* parent = nullptr);
    ~EventSubscribeForm() override;
};
