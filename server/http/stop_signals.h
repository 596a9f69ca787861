// stop_signals.h - the signals that stop or reload cimxmld (SIGINT, SIGTERM,
// SIGHUP), which only its signal thread takes. Every other signal, the
// collector's stop-the-world signals among them, must reach every thread.
#pragma once

#include <signal.h>

#include <thread>
#include <utility>

// The set of the stop and reload signals.
sigset_t stopSignals();

// A new thread running body that blocks the stop signals and nothing else,
// whatever the calling thread blocks; the caller's mask is left as it was.
template <typename Body>
std::thread threadWithoutStopSignals(Body &&body) {
    sigset_t blocked = stopSignals(), previous;
    pthread_sigmask(SIG_SETMASK, &blocked, &previous);
    std::thread thread(std::forward<Body>(body));
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return thread;
}
