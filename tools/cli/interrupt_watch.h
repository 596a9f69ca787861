// interrupt_watch.h - Ctrl-C while a pulled enumeration is open: noted
// instead of ending the program, so that the enumeration can be closed on
// the server between two pieces.
#pragma once

namespace cli {

// While one lives, the first SIGINT only sets a flag (the handler does
// nothing else); a second one ends the program as SIGINT always does.
// The disposition SIGINT had before comes back when it is destroyed. One
// at a time; it cannot fail.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

    // True once SIGINT came while this watch lived.
    bool interrupted() const;
};

}  // namespace cli
