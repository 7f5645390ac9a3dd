// The page of IO control, structure file, register map and register table files. Not built yet: an empty page
// at its place in the main window's page stack.
#pragma once

#include <QWidget>

class FsuOtherForm : public QWidget {
    Q_OBJECT
  public:
    explicit FsuOtherForm(QWidget* parent = nullptr);
    ~FsuOtherForm() override;
};
