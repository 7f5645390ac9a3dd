// The process-wide pool of worker threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace tsl {

class ThreadPool {
  public:
    explicit ThreadPool(unsigned workers);
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    // The process-wide pool of 16 workers, created on first use.
    static ThreadPool& Instance();
    // Stops the process-wide pool if it was ever created (library unload).
    static void ShutdownInstance();

    // Queues a task; after stop, returns an empty future and runs nothing.
    template <class F, class... Args>
    auto Enqueue(F&& f, Args&&... args) -> std::future<std::invoke_result_t<F, Args...>> {
        using R = std::invoke_result_t<F, Args...>;
        if (stop_.load()) return {};
        auto task = std::make_shared<std::packaged_task<R()>>(
            std::bind(std::forward<F>(f), std::forward<Args>(args)...));
        std::future<R> result = task->get_future();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_.load()) return {};
            queue_.emplace_back([task] { (*task)(); });
        }
        cond_.notify_one();
        return result;
    }

    // Stops and joins the workers, printing one "join thread " line each.
    void Stop();

  private:
    void WorkerLoop();

    std::mutex mutex_;
    std::condition_variable cond_;
    std::atomic<bool> stop_{false};
    std::atomic<int32_t> idle_{0};
    std::deque<std::packaged_task<void()>> queue_;
    std::vector<std::thread> workers_;
};

}  // namespace tsl
