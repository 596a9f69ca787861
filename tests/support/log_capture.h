// log_capture.h - records the messages the object library's printer receives.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

// While alive, every message up to maxLevel goes to this capture instead of
// stderr. Not nestable.
class LogCapture {
public:
    explicit LogCapture(int maxLevel = 2);
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    struct Line {
        int level;
        std::string text;
    };
    std::vector<Line> lines() const;
    // 1 when some message equals text exactly (at level, or at any level for -1).
    bool contains(const std::string &text, int level = -1) const;
    // 1 when some message contains fragment.
    bool containsFragment(const std::string &fragment) const;
    void clear();

private:
    static void sink(int level, const char *message, void *context);
    mutable std::mutex mutex_;
    std::vector<Line> lines_;
    int previousLevel_;
};

}  // namespace testsupport
