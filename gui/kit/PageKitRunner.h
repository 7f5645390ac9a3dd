// Page kit: how the program waits on a device. A call that waits on a device
// runs on a worker thread while the GUI thread waits in an event loop: the
// windows repaint, timers, queued calls, live events and the disconnect road
// keep running, but user input to every window is held off and a busy cursor
// shows, so no second operation, device switch, menu or close can start.
#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QObject;
class QWidget;

namespace kit {

// Runs `work` off the GUI thread and returns when it has. False when `guard`
// (when given) was destroyed meanwhile: the caller must then touch nothing of
// it.
//
// What the work may touch: only what it owns and what the caller's own frame
// holds (the slot's locals, which outlive the wait), never `guard` nor
// anything `guard` owns, which may go while the work runs. A call reads its
// inputs from locals the slot filled before the wait and writes its reply
// into locals; the page is filled from them on the GUI thread, after the
// wait, and only when the wait returned true.
//
// A wait asked for while another runs (only a timer or a queued call can ask,
// never the user) nests: it runs to its end inside the outer one, which then
// goes on waiting for its own work.
bool wait(const QObject* guard, const std::function<void()>& work);

// Calls `call` with the current device's handle through wait(), its result
// into `result`. False when `page` went away or the current device changed
// (another device, or the same one logged in anew) while the call ran: the
// reply then belongs to nobody, and nothing may be filled or shown for it.
bool callCurrent(const QObject* page, int& result, const std::function<int(int handle)>& call);

// Whether a wait runs now.
bool waiting();

// A close of `window` asked for during a wait is kept and carried out once
// the outermost wait has ended (closes of other windows are held off). It
// cancels a running progress at once: the program is going, nothing of it
// is wanted.
void closeAfterWaits(QWidget* window);

// A long operation with a modal progress dialog ("steps done of the total")
// and a cancel button. The work runs through run(); it reports and polls
// from its own thread.
class Progress {
  public:
    Progress(QWidget* parent, const QString& text);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // As wait(), with the dialog open and taking input (Escape cancels as
    // its button does). The dialog goes when run() returns.
    bool run(const QObject* guard, const std::function<void()>& work);

    // Any thread: `done` steps of `total` are behind.
    void report(int done, int total);
    // Any thread: true once the user has cancelled.
    bool cancelled() const { return state_.load() == Cancelled; }
    // Any thread: the work passes the point where it can stop (writing its
    // result); false when it was cancelled before. Cancel is refused after.
    bool commit();
    // Any thread: stops the work at its next poll, as the cancel button does;
    // nothing once the work has committed.
    void cancel();

    // Null once run() has returned.
    QProgressDialog* dialog() const { return dialog_.data(); }

    // Tests: sees every progress as its dialog opens.
    static void watch(std::function<void(Progress&)> watcher);

  private:
    enum State { Running, Cancelled, Committed };

    // The dialog goes with its parent, which may go first.
    QPointer<QProgressDialog> dialog_;
    // Where the work's reports are posted: it lives as long as this.
    std::unique_ptr<QObject> inbox_;
    std::atomic<int> state_{Running};
    std::atomic<int> shown_{-2};  // the last step reported, in thousandths
};

}  // namespace kit
