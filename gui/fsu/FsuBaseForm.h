// The page of users, IP and MAC binding, base parameters. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class FsuBaseForm : public QWidget {
    Q_OBJECT
  public:
    explicit FsuBaseForm(QWidget* parent = nullptr);
    ~FsuBaseForm() override;
};
