// interrupt_watch.cpp - a SIGINT flag, and SIGPIPE ignored, while an enumeration is open.
#include "interrupt_watch.h"

#include <signal.h>

#include <csignal>

namespace cli {

namespace {

volatile std::sig_atomic_t interruptedFlag = 0;
struct sigaction interruptBefore {}, pipeBefore {};
bool restored = true;

void restore() {
    if (restored) return;
    sigaction(SIGINT, &interruptBefore, nullptr);
    sigaction(SIGPIPE, &pipeBefore, nullptr);
    restored = true;
}

extern "C" void noteInterrupt(int) { interruptedFlag = 1; }

}  // namespace

InterruptWatch::InterruptWatch() {
    interruptedFlag = 0;
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: a second Ctrl-C, while the close waits for a server
    // that does not answer, ends the program at once.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, &interruptBefore);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &pipeBefore);
    restored = false;
}

InterruptWatch::~InterruptWatch() { restore(); }

void InterruptWatch::endByBrokenPipe() {
    restore();
    raise(SIGPIPE);
}

bool InterruptWatch::interrupted() const { return interruptedFlag != 0; }

}  // namespace cli
