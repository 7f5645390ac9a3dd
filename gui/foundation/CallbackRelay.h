// Carries calls from SDK threads to a Qt object on its own thread. The SDK
// keeps callbacks (and whatever they captured) after their owner is gone:
// a disconnect queued in the pool, the last progress value of a transfer,
// an event in flight. So a callback captures only a relay link, and the owner
// cuts the relay in its destructor: nothing posted after that, nor anything
// still queued for the destroyed object, ever runs.
#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <memory>
#include <mutex>

class CallbackRelay {
    struct Link {
        std::mutex mutex;
        QObject* target = nullptr;
    };

  public:
    explicit CallbackRelay(QObject* target) : link_(std::make_shared<Link>()) { link_->target = target; }
    ~CallbackRelay() { cut(); }
    CallbackRelay(const CallbackRelay&) = delete;
    CallbackRelay& operator=(const CallbackRelay&) = delete;

    // What an SDK callback holds: safe to copy to any thread and to outlive
    // the owner.
    class Handle {
      public:
        // Queues `fn` to run on the target's thread; dropped once cut.
        void post(std::function<void()> fn) const {
            std::lock_guard<std::mutex> lock(link_->mutex);
            if (!link_->target) return;
            std::weak_ptr<Link> weak = link_;
            QMetaObject::invokeMethod(
                link_->target,
                [weak, fn = std::move(fn)] {
                    auto link = weak.lock();
                    if (!link) return;
                    {
                        std::lock_guard<std::mutex> lock(link->mutex);
                        if (!link->target) return;
                    }
                    fn();
                },
                Qt::QueuedConnection);
        }
        // True when called on the target's own thread while it is alive: the
        // SDK calls some callbacks on the caller's thread (the disconnect
        // inside a reboot).
        bool alive() const {
            std::lock_guard<std::mutex> lock(link_->mutex);
            return link_->target != nullptr;
        }

      private:
        friend class CallbackRelay;
        explicit Handle(std::shared_ptr<Link> link) : link_(std::move(link)) {}
        std::shared_ptr<Link> link_;
    };

    Handle handle() const { return Handle(link_); }

    // After this returns no post reaches the target; a post under way has
    // finished queueing, and what it queued is dropped.
    void cut() {
        std::lock_guard<std::mutex> lock(link_->mutex);
        link_->target = nullptr;
    }

  private:
    std::shared_ptr<Link> link_;
};
