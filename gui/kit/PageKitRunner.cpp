#include "PageKitRunner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "PageKit.h"

namespace kit {

namespace {

const char* const kClosesAfterWaits = "kitClosesAfterWaits";
constexpr int kProgressShownAfterMs = 300;

std::function<void(Progress&)>& progressWatcher() {
    static std::function<void(Progress&)> watcher;
    return watcher;
}

bool isHeldInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

// The widget an event's receiver belongs to: a window's own widget, or the
// nearest widget above an object such as a shortcut (its dialog's Escape).
QWidget* widgetOf(QObject* object) {
    if (auto* window = qobject_cast<QWindow*>(object)) {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == window) return top;
        return nullptr;
    }
    for (; object; object = object->parent())
        if (auto* widget = qobject_cast<QWidget*>(object)) return widget;
    return nullptr;
}

// Holds off user input application-wide while any wait runs; the windows of
// open progress dialogs take theirs.
class InputHold : public QObject {
  public:
    static InputHold& instance() {
        static InputHold* hold = new InputHold;  // outlives every wait, never the application's objects
        return *hold;
    }

    void enter() {
        if (depth_++ > 0) return;
        qApp->installEventFilter(this);
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }

    void leave() {
        if (--depth_ > 0) return;
        qApp->removeEventFilter(this);
        QApplication::restoreOverrideCursor();
        std::vector<QPointer<QWidget>> closing;
        closing.swap(closing_);
        // Queued: the wait's caller still runs in a slot of that window.
        for (const QPointer<QWidget>& window : closing)
            if (window) QTimer::singleShot(0, window, [window] { window->close(); });
    }

    bool active() const { return depth_ > 0; }

    void open(QWidget* window) {
        if (window) open_.push_back(window);
    }
    void shut(QWidget* window) { open_.erase(std::remove(open_.begin(), open_.end(), window), open_.end()); }

    void started(Progress* progress) { running_.push_back(progress); }
    void ended(Progress* progress) {
        running_.erase(std::remove(running_.begin(), running_.end(), progress), running_.end());
    }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (!isHeldInput(event->type())) return false;
        QWidget* widget = widgetOf(object);
        QWidget* window = widget ? widget->window() : nullptr;
        if (window && std::find(open_.begin(), open_.end(), window) != open_.end()) return false;
        if (event->type() == QEvent::Close) {
            event->ignore();
            if (window && window->property(kClosesAfterWaits).toBool()) {
                if (std::find(closing_.begin(), closing_.end(), window) == closing_.end())
                    closing_.emplace_back(window);
                for (Progress* progress : running_) progress->cancel();
            }
        }
        return true;
    }

  private:
    int depth_ = 0;
    std::vector<QWidget*> open_;
    std::vector<QPointer<QWidget>> closing_;
    std::vector<Progress*> running_;
};

struct HoldScope {
    HoldScope() { InputHold::instance().enter(); }
    ~HoldScope() { InputHold::instance().leave(); }
};

// The end of one piece of work, seen from both threads.
struct Finish {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;

    void set() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        cv.notify_all();
    }
    bool isDone() {
        std::lock_guard<std::mutex> lock(mutex);
        return done;
    }
    void block() {
        std::unique_lock<std::mutex> lock(mutex);
        cv.wait(lock, [this] { return done; });
    }
};

}  // namespace

bool wait(const QObject* guard, const std::function<void()>& work) {
    const QPointer<const QObject> alive(guard);
    Finish finish;
    const HoldScope hold;
    QEventLoop loop;
    QObject wake;  // lives on this thread; an end posted to it dies with it
    std::thread worker([&work, &loop, &wake, &finish] {
        work();
        finish.set();
        QMetaObject::invokeMethod(
            &wake, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    // An application that quits ends every event loop at once and lets none
    // start again (-1): the work is then waited for plainly.
    while (!finish.isDone())
        if (loop.exec() < 0) break;
    finish.block();
    worker.join();
    return !guard || alive;
}

bool callCurrent(const QObject* page, int& result, const std::function<int(int)>& call) {
    const DeviceTag device = currentDevice();
    int r = 0;
    const bool alive = wait(page, [&] { r = call(device.handle); });
    result = r;
    return alive && repliesTo(device);
}

bool waiting() {
    return InputHold::instance().active();
}

void closeAfterWaits(QWidget* window) {
    window->setProperty(kClosesAfterWaits, true);
}

// ---------------------------------------------------------------- progress

Progress::Progress(QWidget* parent, const QString& text)
    : dialog_(new QProgressDialog(text, QString::fromUtf8("取消"), 0, 0, parent)), inbox_(new QObject) {
    dialog_->setWindowTitle(QString::fromUtf8(kTitle));
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    QObject::connect(dialog_, &QProgressDialog::canceled, inbox_.get(), [this] { cancel(); });
}

Progress::~Progress() {
    delete dialog_.data();
}

bool Progress::run(const QObject* guard, const std::function<void()>& work) {
    // A page that goes away stops its work at the next step.
    QMetaObject::Connection onDestroyed;
    if (guard) onDestroyed = QObject::connect(guard, &QObject::destroyed, [this] { cancel(); });
    QWidget* const window = dialog_;  // the hold forgets it even when it has gone
    InputHold& hold = InputHold::instance();
    hold.open(window);
    hold.started(this);
    QTimer::singleShot(kProgressShownAfterMs, dialog_, [this] {
        if (state_.load() != Cancelled) dialog_->show();
    });
    if (progressWatcher()) progressWatcher()(*this);
    const bool alive = wait(guard, work);
    QObject::disconnect(onDestroyed);
    hold.ended(this);
    hold.shut(window);
    // The dialog's own show timer, and ours, die with it: a dialog kept for
    // the Progress's lifetime would come up over the result box.
    delete dialog_.data();
    return alive;
}

void Progress::report(int done, int total) {
    // A thousand steps at most reach the dialog: the bar cannot show more,
    // and a post for each of many thousand pages slows the work down.
    const int shown = total > 0 ? static_cast<int>(static_cast<qint64>(done) * 1000 / total) : -1;
    if (shown == shown_.exchange(shown) && done != total) return;
    // The bar itself: the dialog's own setValue runs the event loop when modal.
    QMetaObject::invokeMethod(
        inbox_.get(),
        [this, done, total] {
            if (!dialog_) return;
            dialog_->setMaximum(total);
            if (auto* bar = dialog_->findChild<QProgressBar*>()) bar->setValue(done);
        },
        Qt::QueuedConnection);
}

bool Progress::commit() {
    int expected = Running;
    if (!state_.compare_exchange_strong(expected, Committed)) return false;
    QMetaObject::invokeMethod(
        inbox_.get(),
        [this] {
            if (!dialog_) return;
            if (auto* button = dialog_->findChild<QPushButton*>()) button->setEnabled(false);
            for (auto* escape : dialog_->findChildren<QShortcut*>()) escape->setEnabled(false);
        },
        Qt::QueuedConnection);
    return true;
}

void Progress::cancel() {
    int expected = Running;
    state_.compare_exchange_strong(expected, Cancelled);
}

void Progress::watch(std::function<void(Progress&)> watcher) {
    progressWatcher() = std::move(watcher);
}

}  // namespace kit
