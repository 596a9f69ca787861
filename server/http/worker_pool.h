// worker_pool.h - the CIM workers: a fixed set of threads that run the
// module, the object manager and password hashing for the I/O threads,
// fed from bounded queues so that a flood is refused instead of queued.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "metrics.h"

namespace cimxmld {

// How long a thread that hands work to another looks for the result (an
// I/O thread for an answer, a worker for the next job) before it sleeps.
inline constexpr std::chrono::microseconds handOffSpin{100};

class WorkerPool {
public:
    using Job = std::function<void()>;

    // threads: workers (at least 1). maxQueued: requests waiting at most.
    // hashThreads: workers that may hash passwords at once (at least 1);
    // hashes wait in a queue of their own, bounded by maxQueued too.
    WorkerPool(std::size_t threads, std::size_t maxQueued, std::size_t hashThreads, Metrics &metrics);
    // Stops: see stop().
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Queues a request's job; false (and job dropped) when the queue is
    // full or the pool has stopped. Jobs run in the order they came.
    bool submit(Job job);
    // Queues a password hash; false when its queue is full or stopped.
    bool submitHash(Job job);
    // Lets the running jobs finish, drops the waiting ones (destroying
    // them on this thread) and joins the workers. Idempotent.
    void stop();

private:
    // A worker waiting for a job. The last one to wait is woken first: its
    // stack and caches are warm, and one client's requests stay on one thread.
    struct Waiting {
        std::condition_variable wake;
        bool woken = false;
    };
    void work();
    // Wakes the worker that waited last, if any; called with the lock held.
    void wakeOne();
    bool runnable() const { return !jobs_.empty() || (!hashes_.empty() && hashing_ < hashThreads_); }

    std::size_t maxQueued_;
    std::size_t hashThreads_;
    Metrics &metrics_;
    std::mutex lock_;
    std::vector<Waiting *> waiting_;
    std::deque<Job> jobs_;
    std::deque<Job> hashes_;
    std::size_t hashing_ = 0;
    std::size_t spinning_ = 0;            // workers looking for a job before they sleep (0 or 1)
    std::atomic<std::size_t> queued_{0};  // jobs and hashes waiting, read without the lock
    bool stopped_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace cimxmld
