// answer_stream.cpp - the memory part is a queue of pieces; once it is
// full, every later byte goes to an unnamed temporary file, appended at its
// end and read from its front, until the queue and the file are empty.
#include "answer_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace cimxmld {

namespace {

// An unnamed file in $TMPDIR (or /tmp), gone when closed; -1 when none can be made.
int temporaryFile() {
    const char *dir = std::getenv("TMPDIR");
    std::string place = dir && *dir ? dir : "/tmp";
    int fd = ::open(place.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    std::string name = place + "/cimxmld-answer-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.c_str());
    return fd;
}

}  // namespace

AnswerStream::AnswerStream(std::size_t memoryLimit, std::size_t totalLimit, Metrics *metrics)
    : memoryLimit_(memoryLimit), totalLimit_(totalLimit), metrics_(metrics) {}

AnswerStream::~AnswerStream() {
    held(-static_cast<long>(inMemory_), -static_cast<long>(fileWritten_ - fileRead_));
    if (file_ >= 0) ::close(file_);
}

void AnswerStream::begin(Response head) {
    std::unique_lock lock(mutex_);
    head_ = std::move(head);
    state_.begun = true;
    announce(lock);
}

bool AnswerStream::spill(std::string_view bytes) {
    if (file_ < 0 && (file_ = temporaryFile()) < 0) return false;
    while (!bytes.empty()) {
        ssize_t n = ::pwrite(file_, bytes.data(), bytes.size(), static_cast<off_t>(fileWritten_));
        if (n <= 0) return false;
        fileWritten_ += static_cast<std::size_t>(n);
        held(0, n);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool AnswerStream::write(std::string_view bytes) {
    std::unique_lock lock(mutex_);
    if (abandoned_) return false;
    if (bytes.empty()) return true;
    // Once bytes are on disk, the later ones follow them there.
    bool roomInAll = !metrics_ || static_cast<std::size_t>(std::max(0L, metrics_->answerMemory())) + bytes.size() <= totalLimit_;
    if (fileRead_ == fileWritten_ && (limitsWaived_ || (inMemory_ + bytes.size() <= memoryLimit_ && roomInAll))) {
        memory_.emplace_back(bytes);
        inMemory_ += bytes.size();
        held(static_cast<long>(bytes.size()), 0);
    } else if (!spill(bytes)) {
        overLimit_ = true;
        return false;
    }
    state_.buffered += bytes.size();
    state_.total += bytes.size();
    announce(lock);
    return true;
}

bool AnswerStream::overLimit() const {
    std::lock_guard lock(mutex_);
    return overLimit_;
}

bool AnswerStream::restart() {
    std::unique_lock lock(mutex_);
    if (sending_) return false;
    limitsWaived_ = overLimit_;
    overLimit_ = false;
    head_ = Response{};
    state_ = State{};
    held(-static_cast<long>(inMemory_), -static_cast<long>(fileWritten_ - fileRead_));
    memory_.clear();
    inMemory_ = 0;
    fileRead_ = fileWritten_ = 0;
    if (file_ >= 0 && ::ftruncate(file_, 0) != 0) {
        ::close(file_);
        file_ = -1;
    }
    return true;
}

void AnswerStream::finish(int lateStatus, std::string lateDescription) {
    std::unique_lock lock(mutex_);
    state_.finished = true;
    state_.lateStatus = lateStatus;
    state_.lateDescription = std::move(lateDescription);
    announce(lock);
}

void AnswerStream::announce(std::unique_lock<std::mutex> &lock) {
    bool ready = state_.finished || state_.buffered >= waitFor_;
    if (!waiting_ || !ready || !notify_) return;
    waiting_ = false;
    std::function<void()> notify = notify_;
    lock.unlock();
    notify();
}

AnswerStream::State AnswerStream::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

Response AnswerStream::takeHead() {
    std::lock_guard lock(mutex_);
    sending_ = true;
    return std::move(head_);
}

std::string AnswerStream::take(std::size_t max) {
    std::lock_guard lock(mutex_);
    sending_ = true;
    std::string out;
    while (!memory_.empty() && out.size() < max) {
        std::string &front = memory_.front();
        std::size_t n = std::min(max - out.size(), front.size());
        if (n == front.size() && out.empty()) {
            out = std::move(front);
        } else {
            out.append(front, 0, n);
            front.erase(0, n);
        }
        if (front.empty()) memory_.pop_front();
        inMemory_ -= n;
        held(-static_cast<long>(n), 0);
    }
    if (memory_.empty() && out.size() < max && fileRead_ < fileWritten_) {
        std::size_t n = std::min(max - out.size(), fileWritten_ - fileRead_);
        std::size_t start = out.size();
        out.resize(start + n);
        ssize_t got = ::pread(file_, out.data() + start, n, static_cast<off_t>(fileRead_));
        if (got <= 0) state_.broken = true;
        out.resize(start + (got > 0 ? static_cast<std::size_t>(got) : 0));
        fileRead_ += got > 0 ? static_cast<std::size_t>(got) : 0;
        held(0, got > 0 ? -got : 0);
        // An emptied file starts again at its front.
        if (fileRead_ == fileWritten_ && ::ftruncate(file_, 0) == 0) fileRead_ = fileWritten_ = 0;
    }
    state_.buffered -= out.size();
    return out;
}

bool AnswerStream::wait(std::size_t atLeast) {
    std::lock_guard lock(mutex_);
    if (state_.finished || state_.buffered >= std::max<std::size_t>(atLeast, 1)) return true;
    waiting_ = true;
    waitFor_ = std::max<std::size_t>(atLeast, 1);
    return false;
}

void AnswerStream::abandon() {
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    notify_ = nullptr;
}

}  // namespace cimxmld
