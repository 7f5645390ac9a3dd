// The page of log and event query with workbook export. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class LogQueryForm : public QWidget {
    Q_OBJECT
  public:
    explicit LogQueryForm(QWidget* parent = nullptr);
    ~LogQueryForm() override;
};
