// A thread the server starts blocks only the stop signals: one that blocked
// the collector's stop-the-world signals too stalled every collection, and
// the collector aborted the server ("Signals delivery fails constantly").
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <atomic>

#include "stop_signals.h"

namespace {

TEST(StopSignals, ServerThreadsBlockTheStopSignalsAndLetTheCollectorIn) {
    GC_INIT();
    GC_allow_register_threads();
    // A caller that blocks everything must not pass that on.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    sigset_t seen;
    std::atomic<int> step{0};
    std::thread thread = threadWithoutStopSignals([&] {
        GC_stack_base base;
        GC_get_stack_base(&base);
        GC_register_my_thread(&base);
        pthread_sigmask(SIG_BLOCK, nullptr, &seen);
        step = 1;
        while (step != 2) std::this_thread::yield();
        GC_unregister_my_thread();
    });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    while (step != 1) std::this_thread::yield();
    GC_gcollect();  // stops the registered thread: aborts the program if it cannot
    step = 2;
    thread.join();
    for (int stop : {SIGINT, SIGTERM, SIGHUP}) EXPECT_EQ(sigismember(&seen, stop), 1) << stop;
    for (int other : {GC_get_suspend_signal(), GC_get_thr_restart_signal(), SIGUSR1})
        EXPECT_EQ(sigismember(&seen, other), 0) << other;
}

}  // namespace
