// worker_pool.cpp - one lock, two queues, and a stack of waiting workers.
#include "worker_pool.h"

#include <algorithm>

namespace cimxmld {

WorkerPool::WorkerPool(std::size_t threads, std::size_t maxQueued, std::size_t hashThreads, Metrics &metrics)
    : maxQueued_(maxQueued), hashThreads_(std::max<std::size_t>(1, hashThreads)), metrics_(metrics) {
    for (std::size_t i = 0; i < std::max<std::size_t>(1, threads); ++i) threads_.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool() { stop(); }

bool WorkerPool::submit(Job job) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (stopped_ || jobs_.size() >= maxQueued_) return false;
        jobs_.push_back(std::move(job));
        queued_.fetch_add(1, std::memory_order_relaxed);
        if (spinning_ == 0 || jobs_.size() > spinning_) wakeOne();
    }
    metrics_.jobQueued();
    return true;
}

bool WorkerPool::submitHash(Job job) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (stopped_ || hashes_.size() >= maxQueued_) return false;
        hashes_.push_back(std::move(job));
        queued_.fetch_add(1, std::memory_order_relaxed);
        if (hashing_ < hashThreads_) wakeOne();
    }
    metrics_.jobQueued();
    return true;
}

void WorkerPool::stop() {
    std::deque<Job> dropped, droppedHashes;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (stopped_ && threads_.empty()) return;
        stopped_ = true;
        dropped.swap(jobs_);
        droppedHashes.swap(hashes_);
        for (Waiting *worker : waiting_) {
            worker->woken = true;
            worker->wake.notify_one();
        }
        waiting_.clear();
    }
    for (std::thread &thread : threads_) thread.join();
    threads_.clear();
    for (std::size_t i = 0; i < dropped.size() + droppedHashes.size(); ++i) metrics_.jobTaken();
}

void WorkerPool::wakeOne() {
    if (waiting_.empty()) return;
    Waiting *worker = waiting_.back();
    waiting_.pop_back();
    worker->woken = true;
    worker->wake.notify_one();
}

void WorkerPool::work() {
    Waiting self;
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        if (!stopped_ && !runnable() && spinning_ == 0) {
            // One worker looks again for a short while before it sleeps: the
            // next request of a busy client then starts without a wake-up,
            // which costs more than the request itself on a small machine.
            ++spinning_;
            guard.unlock();
            auto until = std::chrono::steady_clock::now() + handOffSpin;
            while (queued_.load(std::memory_order_relaxed) == 0 && std::chrono::steady_clock::now() < until)
                std::this_thread::yield();
            guard.lock();
            --spinning_;
        }
        while (!stopped_ && !runnable()) {
            self.woken = false;
            waiting_.push_back(&self);
            self.wake.wait(guard, [&] { return self.woken; });
        }
        if (stopped_) return;
        // Hashes first while a hashing place is free: they are few, and an
        // honest client's first request waits behind one.
        bool hash = !hashes_.empty() && hashing_ < hashThreads_;
        std::deque<Job> &queue = hash ? hashes_ : jobs_;
        Job job = std::move(queue.front());
        queue.pop_front();
        queued_.fetch_sub(1, std::memory_order_relaxed);
        if (hash) ++hashing_;
        guard.unlock();
        metrics_.jobTaken();
        job();
        job = nullptr;
        guard.lock();
        if (hash) {
            --hashing_;
            if (!hashes_.empty()) wakeOne();
        }
    }
}

}  // namespace cimxmld
