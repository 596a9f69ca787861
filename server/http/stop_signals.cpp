// stop_signals.cpp - the signals only cimxmld's signal thread takes.
#include "stop_signals.h"

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}
