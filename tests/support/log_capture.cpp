// log_capture.cpp - records the messages the object library's printer receives.
#include "support/log_capture.h"

#include <cimobj/cimobj.h>

namespace testsupport {

LogCapture::LogCapture(int maxLevel) : previousLevel_(cimGetLogLevel()) {
    cimSetLogLevel(maxLevel);
    cimSetLogSink(&LogCapture::sink, this);
}

LogCapture::~LogCapture() {
    cimSetLogSink(nullptr, nullptr);
    cimSetLogLevel(previousLevel_);
}

void LogCapture::sink(int level, const char *message, void *context) {
    auto *self = static_cast<LogCapture *>(context);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->lines_.push_back({level, message ? message : ""});
}

std::vector<LogCapture::Line> LogCapture::lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

bool LogCapture::contains(const std::string &text, int level) const {
    for (const auto &line : lines())
        if (line.text == text && (level < 0 || line.level == level)) return true;
    return false;
}

bool LogCapture::containsFragment(const std::string &fragment) const {
    for (const auto &line : lines())
        if (line.text.find(fragment) != std::string::npos) return true;
    return false;
}

void LogCapture::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
}

}  // namespace testsupport
