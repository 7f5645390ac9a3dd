// The page of UIT server and manufacturer settings. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class UitServerInfo : public QWidget {
    Q_OBJECT
  public:
    explicit UitServerInfo(QWidget* parent = nullptr);
    ~UitServerInfo() override;
};
