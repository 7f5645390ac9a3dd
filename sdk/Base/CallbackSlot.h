// A callback that can be replaced while other threads call it.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace tsl {

namespace detail {
// Slots whose callback runs on this thread, so that a callback replacing its
// own slot does not wait for itself.
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
        std::shared_ptr<const Fn> fn;
        uint64_t generation;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!fn_ || !*fn_) return false;
            fn = fn_;
            generation = generation_;
            ++active_[generation];
        }
        detail::SlotsInCall().push_back(this);
        struct Done {
            CallbackSlot* slot;
            uint64_t generation;
            ~Done() {
                auto& mine = detail::SlotsInCall();
                mine.erase(std::find(mine.rbegin(), mine.rend(), slot).base() - 1);
                std::lock_guard<std::mutex> lock(slot->mutex_);
                if (--slot->active_[generation] == 0) slot->active_.erase(generation);
                slot->idle_.notify_all();
            }
        } done{this, generation};
        (*fn)(std::forward<Args>(args)...);
        return true;
    }

    void Set(Fn fn) {
        auto next = std::make_shared<const Fn>(std::move(fn));
        std::shared_ptr<const Fn> previous;
        const auto& mine = detail::SlotsInCall();
        const long own = std::count(mine.begin(), mine.end(), this);
        std::unique_lock<std::mutex> lock(mutex_);
        previous = std::move(fn_);
        fn_ = std::move(next);
        const uint64_t replaced = generation_++;
        // Wait only for calls of the callables replaced so far, not for calls
        // of the new one that start meanwhile.
        idle_.wait(lock, [&] {
            long older = 0;
            for (auto it = active_.begin(); it != active_.end() && it->first <= replaced; ++it)
                older += it->second;
            return older <= own;
        });
        lock.unlock();
        // `previous` is released here, outside the lock.
    }

    bool Empty() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return !fn_ || !*fn_;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable idle_;
    std::shared_ptr<const Fn> fn_;
    uint64_t generation_ = 0;
    std::map<uint64_t, long> active_;  // running calls by generation
};

}  // namespace tsl
