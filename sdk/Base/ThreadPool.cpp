#include "Base/ThreadPool.h"

#include <cstdio>
#include <iostream>

namespace tsl {

ThreadPool::ThreadPool(unsigned workers) {
    idle_ = static_cast<int32_t>(workers < 1 ? 1 : workers);
    int32_t n = idle_.load();
    workers_.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) workers_.emplace_back([this] { WorkerLoop(); });
}

ThreadPool::~ThreadPool() {
    Stop();
}

void ThreadPool::Stop() {
    {
        // Under the mutex, so no worker between its test and its wait misses it.
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_.exchange(true) && workers_.empty()) return;
    }
    cond_.notify_all();
    for (std::thread& worker : workers_) {
        if (!worker.joinable()) continue;
        std::cout << "join thread " << worker.get_id() << std::endl;
        worker.join();
    }
    workers_.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
}

void ThreadPool::WorkerLoop() {
    while (!stop_.load()) {
        std::packaged_task<void()> task;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            cond_.wait(lock, [this] { return stop_.load() || !queue_.empty(); });
            if (queue_.empty()) return;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        --idle_;
        task();  // a throwing callable stores its exception in the future
        ++idle_;
    }
}

namespace {
std::mutex g_instanceMutex;
std::atomic<ThreadPool*> g_instance{nullptr};
bool g_instanceStopped = false;
}  // namespace

// Held by pointer so that the library's unload sequence decides when it
// stops, rather than the order of static destructors.
ThreadPool& ThreadPool::Instance() {
    if (ThreadPool* pool = g_instance.load(std::memory_order_acquire)) return *pool;
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    if (!g_instance.load()) {
        auto* pool = new ThreadPool(16);
        if (g_instanceStopped) pool->Stop();
        g_instance.store(pool, std::memory_order_release);
    }
    return *g_instance.load();
}

void ThreadPool::ShutdownInstance() {
    ThreadPool* pool;
    {
        std::lock_guard<std::mutex> lock(g_instanceMutex);
        pool = g_instance.load();
        g_instanceStopped = true;
    }
    if (pool) pool->Stop();
}

}  // namespace tsl
