// A callback that can be replaced while other threads call it, and the gate
// that stops every callback of a device.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace tsl {

namespace detail {

// One call in progress on this thread (of a slot's callable, or through a
// gate). A thread that waits for other calls to end while it is itself
// inside calls parks its own: whoever waits from inside a call does not wait
// for them (they cannot end before this wait does), so two callbacks waiting
// for each other (one replacing its callback, one closing the gate) both go
// on. A waiter outside every call still waits for parked calls.
struct CallFrame {
    virtual void Park(long delta) = 0;

  protected:
    ~CallFrame() = default;
};

inline std::vector<CallFrame*>& FramesInCall() {
    thread_local std::vector<CallFrame*> frames;
    return frames;
}

// Parks the calling thread's calls for as long as it lives.
class ParkedFrames {
  public:
    ParkedFrames() : inside_(!FramesInCall().empty()) {
        for (CallFrame* f : FramesInCall()) f->Park(1);
    }
    ~ParkedFrames() {
        for (CallFrame* f : FramesInCall()) f->Park(-1);
    }
    ParkedFrames(const ParkedFrames&) = delete;
    ParkedFrames& operator=(const ParkedFrames&) = delete;

    // Calls still to be waited for, of `active` calls of which `parked` wait.
    long Pending(long active, long parked) const { return inside_ ? active - parked : active; }

  private:
    const bool inside_;
};

// Counts calls of one callable or one gate. Waiters are woken whenever the
// count drops or a call parks, not only when it reaches zero: a waiter inside
// a call waits only until the others have ended.
struct CallCount {
    long active = 0;
    long parked = 0;
    long waiting = 0;  // threads in Await
};

// One call counted in `count` (guarded by `mutex`) on this thread.
class CountedCall final : public CallFrame {
  public:
    CountedCall(std::mutex& mutex, std::condition_variable& idle, CallCount& count)
        : mutex_(mutex), idle_(idle), count_(count) {
        FramesInCall().push_back(this);
    }
    ~CountedCall() {
        FramesInCall().pop_back();
        Change(0);
    }
    CountedCall(const CountedCall&) = delete;
    CountedCall& operator=(const CountedCall&) = delete;
    void Park(long delta) override { Change(delta); }

  private:
    // delta 0 ends the call.
    void Change(long delta) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (delta == 0)
                --count_.active;
            else
                count_.parked += delta;
            if (count_.waiting == 0 || delta < 0) return;
        }
        idle_.notify_all();
    }

    std::mutex& mutex_;
    std::condition_variable& idle_;
    CallCount& count_;
};

// Waits until the calls counted in `count` that are to be waited for have ended.
inline void Await(std::mutex& mutex, std::condition_variable& idle, CallCount& count) {
    ParkedFrames parked;
    std::unique_lock<std::mutex> lock(mutex);
    ++count.waiting;
    idle.wait(lock, [&] { return parked.Pending(count.active, count.parked) <= 0; });
    --count.waiting;
}

}  // namespace detail

// Once Set has returned, the previous callable is never called again; a call
// already running completes first, except one on the setting thread itself
// and, when Set is called from inside a callback, one that is waiting inside
// the SDK itself.
template <class Fn>
class CallbackSlot {
  public:
    template <class... Args>
    bool Invoke(Args&&... args) {
        std::shared_ptr<Entry> entry;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!entry_ || !entry_->fn) return false;
            entry = entry_;
            ++entry->count.active;
        }
        detail::CountedCall call(mutex_, idle_, entry->count);
        entry->fn(std::forward<Args>(args)...);
        return true;
    }

    void Set(Fn fn) {
        auto next = std::make_shared<Entry>();
        next->fn = std::move(fn);
        std::shared_ptr<Entry> previous;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            previous = std::move(entry_);
            entry_ = std::move(next);
        }
        if (!previous) return;
        // Only calls of what was replaced are waited for (calls of older
        // callables were waited for by the Set that replaced them), never
        // calls of the new one that start meanwhile.
        detail::Await(mutex_, idle_, previous->count);
        // `previous` is released here, outside the lock.
    }

    bool Empty() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return !entry_ || !entry_->fn;
    }

  private:
    // The running-call count lives with its callable, so a call allocates nothing.
    struct Entry {
        Fn fn;
        detail::CallCount count;
    };

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    std::shared_ptr<Entry> entry_;
};

// Lets calls pass until it is closed; Close waits for the calls in progress
// (except those of the closing thread itself and, when it is called from
// inside a callback, those waiting inside the SDK) and turns later ones away.
class CallGate {
  public:
    template <class F>
    bool Pass(F&& call) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (closed_) return false;
            ++count_.active;
        }
        detail::CountedCall counted(mutex_, idle_, count_);
        call();
        return true;
    }

    void Close() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
        }
        detail::Await(mutex_, idle_, count_);
    }

  private:
    std::mutex mutex_;
    std::condition_variable idle_;
    detail::CallCount count_;
    bool closed_ = false;
};

}  // namespace tsl
