// Ctrl-C and a terminate request end the program as closing its window does:
// during a call the close is kept until the call in flight has returned and a
// running export is cancelled (the runner's close), so the devices are
// released and the list written; then the program ends, whatever box that
// call's end has opened.
#pragma once

#include <QObject>

#include <csignal>
#include <functional>

class QSocketNotifier;
class QWidget;

class StopSignals : public QObject {
  public:
    // Lives as long as `window`; `end` ends the program (the application's
    // quit). One at a time: the signals have one handler.
    StopSignals(QWidget* window, std::function<void()> end);
    ~StopSignals() override;  // the signals' former handling comes back

  protected:
    bool eventFilter(QObject* object, QEvent* event) override;

  private:
    void stop();

    QWidget* window_;
    std::function<void()> end_;
    bool stopping_ = false;
    QSocketNotifier* notifier_ = nullptr;
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};
