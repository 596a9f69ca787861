// interrupt_watch.h - Ctrl-C, or a reader of the output that went away,
// while a pulled enumeration is open: noted instead of ending the program,
// so that the enumeration can be closed on the server between two pieces.
#pragma once

namespace cli {

// While one lives, the first SIGINT only sets a flag (the handler does
// nothing else); a second one ends the program as SIGINT always does.
// SIGPIPE is ignored, so that a closed output shows as a failed write.
// The dispositions both had come back when it is destroyed. One at a
// time; it cannot fail.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

    // True once SIGINT came while this watch lived.
    bool interrupted() const;

    // Restores the dispositions, then ends the program by SIGPIPE as a
    // write to a closed pipe would have; returns only when SIGPIPE was
    // ignored before the watch began.
    void endByBrokenPipe();
};

}  // namespace cli
