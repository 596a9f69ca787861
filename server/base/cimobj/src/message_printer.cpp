// message_printer.cpp - cimPrintMessage: one timestamped line per message on
// stderr (or to the host's sink), never interleaved between threads.
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <sys/time.h>
#include <unistd.h>

#include "internal.h"
#include "message_format.h"

namespace {

// The only state the library shares between threads.
std::atomic<int> threshold{CIM_LOG_ERROR};
std::recursive_mutex outputLock;  // a sink may log from inside
CIMLogSink sink = nullptr;       // guarded by outputLock
void *sinkContext = nullptr;     // guarded by outputLock
thread_local bool insideSink = false;

const char *levelName(int level) {
    switch (level) {
    case CIM_LOG_ERROR: return "ERROR";
    case CIM_LOG_WARNING: return "WARN";
    case CIM_LOG_INFO: return "INFO";
    default: return level < 0 ? "ERROR" : "DEBUG";
    }
}

// "YYYY-MM-DD HH:MM:SS.mmm [LEVEL] "
std::string linePrefix(int level) {
    struct timeval now;
    gettimeofday(&now, nullptr);
    struct tm local;
    time_t seconds = now.tv_sec;
    localtime_r(&seconds, &local);
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%04d-%02d-%02d %02d:%02d:%02d.%03d [%s] ",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, static_cast<int>(now.tv_usec / 1000),
                  levelName(level));
    return prefix;
}

void writeAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
}

// Hands the message to the sink, or writes it as one line. A sink that logs
// itself is not called again from inside: that message goes to stderr.
void emit(int level, const std::string &message) {
    std::lock_guard<std::recursive_mutex> lock(outputLock);
    if (sink && !insideSink) {
        struct SinkGuard {
            SinkGuard() { insideSink = true; }
            ~SinkGuard() { insideSink = false; }
        } guard;
        sink(level, message.c_str(), sinkContext);
        return;
    }
    std::string line = linePrefix(level);
    line += message;
    if (line.empty() || line.back() != '\n') line.push_back('\n');
    writeAll(STDERR_FILENO, line.data(), line.size());
}

}  // namespace

extern "C" {

/* Formats and writes one message when level passes the threshold; otherwise
 * returns before touching the arguments. Never fails visibly: a message that
 * cannot be formatted (exhausted memory) is dropped. */
void cimPrintMessage(int level, const wchar_t *format, ...) {
    if (level > threshold.load(std::memory_order_relaxed) || !format) return;
    std::string message;
    bool formatted = true;
    va_list args;
    va_start(args, format);
    try {
        message = cimobj::formatMessage(format, args);
    } catch (...) {
        formatted = false;
    }
    va_end(args);
    if (!formatted) return;
    try {
        emit(level, message);
    } catch (...) {
    }
}

void cimSetLogLevel(int level) { threshold.store(level, std::memory_order_relaxed); }

int cimGetLogLevel(void) { return threshold.load(std::memory_order_relaxed); }

/* Once this returns, the previous sink is no longer called. */
void cimSetLogSink(CIMLogSink newSink, void *context) {
    std::lock_guard<std::recursive_mutex> lock(outputLock);
    sink = newSink;
    sinkContext = newSink ? context : nullptr;
}

}  // extern "C"
