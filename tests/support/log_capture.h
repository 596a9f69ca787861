// log_capture.h - records the messages the object library's printer receives.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include <cimobj/cimobj.h>

namespace testsupport {

// While alive, every message up to maxLevel goes to this capture instead of
// stderr. Not nestable.
class LogCapture {
public:
    explicit LogCapture(int maxLevel = 2) : previousLevel_(cimGetLogLevel()) {
        cimSetLogLevel(maxLevel);
        cimSetLogSink(&LogCapture::sink, this);
    }
    ~LogCapture() {
        cimSetLogSink(nullptr, nullptr);
        cimSetLogLevel(previousLevel_);
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    struct Line {
        int level;
        std::string text;
    };
    std::vector<Line> lines() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    // 1 when some message equals text exactly (at level, or at any level for -1).
    bool contains(const std::string &text, int level = -1) const {
        for (const auto &line : lines())
            if (line.text == text && (level < 0 || line.level == level)) return true;
        return false;
    }
    // 1 when some message contains fragment.
    bool containsFragment(const std::string &fragment) const {
        for (const auto &line : lines())
            if (line.text.find(fragment) != std::string::npos) return true;
        return false;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.clear();
    }

private:
    static void sink(int level, const char *message, void *context) {
        auto *self = static_cast<LogCapture *>(context);
        std::lock_guard<std::mutex> lock(self->mutex_);
        self->lines_.push_back({level, message ? message : ""});
    }
    mutable std::mutex mutex_;
    std::vector<Line> lines_;
    int previousLevel_;
};

}  // namespace testsupport
