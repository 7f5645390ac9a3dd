// A callback that can be replaced while other threads call it.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace tsl {

namespace detail {
// Callables running on this thread, so that a callback replacing its own
// slot does not wait for itself.
inline std::vector<const void*>& SlotsInCall() {
    thread_local std::vector<const void*> slots;
    return slots;
}
}  // namespace detail

// Once Set has returned, the previous callable is never called again; a call
// already running completes first (except one on the setting thread itself).
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
            ++entry->active;
        }
        detail::SlotsInCall().push_back(entry.get());
        struct Done {
            CallbackSlot* slot;
            Entry* entry;
            ~Done() {
                auto& mine = detail::SlotsInCall();
                mine.erase(std::find(mine.rbegin(), mine.rend(), entry).base() - 1);
                std::lock_guard<std::mutex> lock(slot->mutex_);
                if (--entry->active == 0 && entry->replaced) slot->idle_.notify_all();
            }
        } done{this, entry.get()};
        entry->fn(std::forward<Args>(args)...);
        return true;
    }

    void Set(Fn fn) {
        auto next = std::make_shared<Entry>();
        next->fn = std::move(fn);
        std::shared_ptr<Entry> previous;
        std::unique_lock<std::mutex> lock(mutex_);
        previous = std::move(entry_);
        entry_ = std::move(next);
        if (previous) {
            previous->replaced = true;
            // A call of it on this very thread (the callback replacing itself)
            // is not waited for.
            const auto& mine = detail::SlotsInCall();
            const long own = std::count(mine.begin(), mine.end(), previous.get());
            // Only calls of what was replaced are waited for (calls of older
            // callables were waited for by the Set that replaced them), never
            // calls of the new one that start meanwhile.
            idle_.wait(lock, [&] { return previous->active <= own; });
        }
        lock.unlock();
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
        long active = 0;
        bool replaced = false;
    };

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    std::shared_ptr<Entry> entry_;
};

// Lets calls pass until it is closed; Close waits for the calls in progress
// (except those of the closing thread itself) and turns later ones away.
class CallGate {
  public:
    template <class F>
    bool Pass(F&& call) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (closed_) return false;
            ++active_;
        }
        detail::SlotsInCall().push_back(this);
        struct Done {
            CallGate* gate;
            ~Done() {
                auto& mine = detail::SlotsInCall();
                mine.erase(std::find(mine.rbegin(), mine.rend(), gate).base() - 1);
                std::lock_guard<std::mutex> lock(gate->mutex_);
                if (--gate->active_ == 0) gate->idle_.notify_all();
            }
        } done{this};
        call();
        return true;
    }

    void Close() {
        const auto& mine = detail::SlotsInCall();
        const long own = std::count(mine.begin(), mine.end(), this);
        std::unique_lock<std::mutex> lock(mutex_);
        closed_ = true;
        idle_.wait(lock, [&] { return active_ <= own; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable idle_;
    long active_ = 0;
    bool closed_ = false;
};

}  // namespace tsl
