// interrupt_watch.cpp - a SIGINT flag for the pulled enumerations.
#include "interrupt_watch.h"

#include <csignal>

namespace cli {

namespace {

volatile std::sig_atomic_t interruptedFlag = 0;
struct sigaction before {};

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
    sigaction(SIGINT, &action, &before);
}

InterruptWatch::~InterruptWatch() { sigaction(SIGINT, &before, nullptr); }

bool InterruptWatch::interrupted() const { return interruptedFlag != 0; }

}  // namespace cli
