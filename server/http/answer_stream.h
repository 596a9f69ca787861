// answer_stream.h - one answer on its way from the worker that makes it to
// the connection that sends it: the head (status and fields) once known,
// then the body's bytes in order, then how it ended. The worker never
// waits for the client: bytes beyond a memory bound go to a temporary file
// that the connection reads back as it sends, so a slow reader costs disk,
// not memory, and holds up no worker.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "http_message.h"
#include "metrics.h"

namespace cimxmld {

class AnswerStream {
public:
    // memoryLimit: body bytes kept in memory before the rest goes to disk;
    // totalLimit: the same for all answers together (counted by metrics,
    // lent; without metrics only memoryLimit holds).
    AnswerStream(std::size_t memoryLimit, std::size_t totalLimit, Metrics *metrics);
    ~AnswerStream();
    AnswerStream(const AnswerStream &) = delete;
    AnswerStream &operator=(const AnswerStream &) = delete;

    // ---- the worker's side ----
    // The head of the answer (its body, if any, is appended as bytes).
    void begin(Response head);
    // Appends bytes to the body. false when they cannot be kept (the disk
    // is full) or the connection is gone: the worker should stop.
    bool write(std::string_view bytes);
    // True once bytes could not be kept (no temporary file, a full disk):
    // the answer is incomplete. A restart clears it and keeps the answer
    // that follows (an error: small) in memory whatever the limits.
    bool overLimit() const;
    // Forgets the head and the body so far, when none of it is sent yet:
    // true then, false once sending has begun.
    bool restart();
    // The answer is complete. lateStatus (with its description) is a CIM
    // failure that came after the body's first bytes were given, 0 for none.
    void finish(int lateStatus = 0, std::string lateDescription = {});

    // ---- the connection's side ----
    // Called, from the worker's thread, after each of the calls above once
    // the connection has asked for news with wait(). Set before the worker starts.
    void onNews(std::function<void()> notify) { notify_ = std::move(notify); }
    struct State {
        bool begun = false;
        bool finished = false;
        std::size_t buffered = 0;  // body bytes given and not yet taken
        std::size_t total = 0;     // body bytes given in all
        int lateStatus = 0;
        std::string lateDescription;
        bool broken = false;       // spilled bytes could not be read back: close
    };
    State state() const;
    // The head, once begun (moved out: call once).
    Response takeHead();
    // Up to max body bytes from the front, in order; marks the answer as
    // being sent (restart then fails). Empty when nothing is buffered.
    std::string take(std::size_t max);
    // Asks for one call of the notifier at the next news; true when there
    // is news already (and no call will come for it).
    bool wait(std::size_t atLeast);
    // The connection is gone: the worker's next write fails.
    void abandon();

private:
    void announce(std::unique_lock<std::mutex> &lock);
    bool spill(std::string_view bytes);

    mutable std::mutex mutex_;
    std::function<void()> notify_;
    void held(long inMemory, long onDisk) {
        if (metrics_) metrics_->answerBytes(inMemory, onDisk);
    }

    std::size_t memoryLimit_;
    std::size_t totalLimit_;
    Metrics *metrics_;
    Response head_;
    State state_;
    std::deque<std::string> memory_;  // taken before the file
    std::size_t inMemory_ = 0;
    int file_ = -1;                    // spilled bytes, read from fileRead_ to fileWritten_
    std::size_t fileRead_ = 0, fileWritten_ = 0;
    bool sending_ = false;
    bool waiting_ = false;
    std::size_t waitFor_ = 0;
    bool abandoned_ = false;
    bool overLimit_ = false;
    bool limitsWaived_ = false;
};

}  // namespace cimxmld
