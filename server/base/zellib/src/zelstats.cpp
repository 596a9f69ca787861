// zelstats.cpp - call counts and durations per name, safe for many threads.
#include "zellib/zelstats.h"

#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

// Figures of one name, updated without a lock: count and total by addition,
// minimum and maximum by compare-and-swap. minNs holds UINT64_MAX until the
// first measurement.
struct NameFigures {
    std::atomic<uint64_t> count{0};
    std::atomic<uint64_t> totalNs{0};
    std::atomic<uint64_t> minNs{UINT64_MAX};
    std::atomic<uint64_t> maxNs{0};
};

// One open measurement of the calling thread. Contexts are named by a
// number that is never reused, so an entry left behind by a freed context
// can never be taken for one of a later context at the same address.
struct OpenMeasurement {
    uint64_t contextId;
    int index;
    uint64_t startNs;
};

// Deepest nesting a thread may have open; a Start beyond it fails instead
// of letting measurements that are never ended grow without bound.
constexpr size_t max_open_measurements = 256;

thread_local std::vector<OpenMeasurement> open_measurements;

std::atomic<uint64_t> next_context_id{1};

// Live contexts by id (ids grow, so this is their order of making): read
// when a thread's stack is full and entries of freed contexts must be
// dropped, and by zelStatsVisit.
std::mutex live_ids_mutex;
std::map<uint64_t, const ZelStatsContext *> &live_ids() {
    static auto *ids = new std::map<uint64_t, const ZelStatsContext *>();  // outlives every thread
    return *ids;
}

uint64_t now_ns() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// UTF-8 form of a wide name, independent of the process locale.
std::string utf8_of(const std::wstring &wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t wc : wide) {
        auto c = static_cast<uint32_t>(wc);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void drop_entries_of_freed_contexts() {
    std::lock_guard<std::mutex> lock(live_ids_mutex);
    auto &ids = live_ids();
    std::erase_if(open_measurements,
                  [&](const OpenMeasurement &m) { return ids.count(m.contextId) == 0; });
}

}  // namespace

struct ZelStatsContext {
    uint64_t id;
    std::vector<std::wstring> names;
    std::unique_ptr<NameFigures[]> figures;

    bool valid_index(int index) const {
        return index >= 0 && static_cast<size_t>(index) < names.size();
    }
};

namespace {

void add_measurement(NameFigures &f, uint64_t duration) {
    f.count.fetch_add(1, std::memory_order_relaxed);
    f.totalNs.fetch_add(duration, std::memory_order_relaxed);
    uint64_t seen = f.minNs.load(std::memory_order_relaxed);
    while (duration < seen && !f.minNs.compare_exchange_weak(seen, duration, std::memory_order_relaxed)) {
    }
    seen = f.maxNs.load(std::memory_order_relaxed);
    while (duration > seen && !f.maxNs.compare_exchange_weak(seen, duration, std::memory_order_relaxed)) {
    }
}

ZelStatsFigures snapshot(const NameFigures &f) {
    ZelStatsFigures out{};
    out.count = f.count.load(std::memory_order_relaxed);
    out.totalNs = f.totalNs.load(std::memory_order_relaxed);
    uint64_t minimum = f.minNs.load(std::memory_order_relaxed);
    out.minNs = (out.count == 0 || minimum == UINT64_MAX) ? 0 : minimum;
    out.maxNs = out.count == 0 ? 0 : f.maxNs.load(std::memory_order_relaxed);
    return out;
}

void write_line(const ZelStatsContext *context, int index, FILE *stream) {
    ZelStatsFigures f = snapshot(context->figures[index]);
    uint64_t mean = f.count == 0 ? 0 : f.totalNs / f.count;
    std::fprintf(stream,
                 "%s: count %" PRIu64 ", total %" PRIu64 " ns, min %" PRIu64 " ns, max %" PRIu64
                 " ns, mean %" PRIu64 " ns\n",
                 utf8_of(context->names[index]).c_str(), f.count, f.totalNs, f.minNs, f.maxNs, mean);
}

}  // namespace

// Copies the names into a new context. Returns 1 and stores the context in
// *context; 0 (with *context NULL when it can be written) for a NULL out
// pointer, a NULL names table, a count below 1 or no memory. A NULL name
// counts as the empty name.
int zelStatsInitialize(int nameCount, const wchar_t *const *names, ZelStatsContext **context) {
    if (context == nullptr) return 0;
    *context = nullptr;
    if (nameCount < 1 || names == nullptr) return 0;
    try {
        auto made = std::make_unique<ZelStatsContext>();
        made->id = next_context_id.fetch_add(1);
        made->names.reserve(static_cast<size_t>(nameCount));
        for (int i = 0; i < nameCount; ++i) made->names.emplace_back(names[i] != nullptr ? names[i] : L"");
        made->figures = std::make_unique<NameFigures[]>(static_cast<size_t>(nameCount));
        {
            std::lock_guard<std::mutex> lock(live_ids_mutex);
            live_ids().emplace(made->id, made.get());
        }
        *context = made.release();
        return 1;
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

// Opens a measurement on the calling thread. 0 for a bad context or index,
// or when the thread has too many measurements open.
int zelStatsStart(ZelStatsContext *context, int index) {
    if (context == nullptr || !context->valid_index(index)) return 0;
    try {
        if (open_measurements.size() >= max_open_measurements) {
            drop_entries_of_freed_contexts();
            if (open_measurements.size() >= max_open_measurements) return 0;
        }
        open_measurements.push_back({context->id, index, now_ns()});
        return 1;
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

// Closes the calling thread's innermost open measurement of index (inner
// measurements of other names stay open) and adds its duration. 0 when the
// context or index is bad or no such measurement is open.
int zelStatsEnd(ZelStatsContext *context, int index) {
    if (context == nullptr || !context->valid_index(index)) return 0;
    uint64_t end = now_ns();
    for (size_t i = open_measurements.size(); i-- > 0;) {
        const OpenMeasurement &m = open_measurements[i];
        if (m.contextId != context->id || m.index != index) continue;
        uint64_t duration = end >= m.startNs ? end - m.startNs : 0;
        open_measurements.erase(open_measurements.begin() + static_cast<std::ptrdiff_t>(i));
        add_measurement(context->figures[index], duration);
        return 1;
    }
    return 0;
}

// Copies the figures of index into *figures. 0 for bad arguments.
int zelStatsRead(ZelStatsContext *context, int index, ZelStatsFigures *figures) {
    if (context == nullptr || figures == nullptr || !context->valid_index(index)) return 0;
    *figures = snapshot(context->figures[index]);
    return 1;
}

// Visits every name of every live context under the registry's lock, so
// that no context is freed while it is read. 0 for a NULL visitor.
int zelStatsVisit(ZelStatsVisitor visit, void *user) {
    if (visit == nullptr) return 0;
    std::lock_guard<std::mutex> lock(live_ids_mutex);
    int visited = 0;
    for (const auto &[id, context] : live_ids()) {
        for (size_t i = 0; i < context->names.size(); ++i, ++visited) {
            ZelStatsFigures figures = snapshot(context->figures[i]);
            visit(context->names[i].c_str(), &figures, user);
        }
    }
    return visited;
}

int zelStatsDump(ZelStatsContext *context, int index) {
    return zelStatsDumpTo(context, index, stderr);
}

// Writes one line per name ("name: count N, total T ns, min A ns, max B ns,
// mean M ns"), for index or, with -1, for every name. 0 for bad arguments.
int zelStatsDumpTo(ZelStatsContext *context, int index, FILE *stream) {
    if (context == nullptr || stream == nullptr) return 0;
    if (index == -1) {
        for (size_t i = 0; i < context->names.size(); ++i) write_line(context, static_cast<int>(i), stream);
    } else if (context->valid_index(index)) {
        write_line(context, index, stream);
    } else {
        return 0;
    }
    std::fflush(stream);
    return 1;
}

// Frees the context; measurements still open on any thread are dropped
// (their entries no longer match any context). 0 for NULL.
int zelStatsDeinitialize(ZelStatsContext *context) {
    if (context == nullptr) return 0;
    {
        std::lock_guard<std::mutex> lock(live_ids_mutex);
        live_ids().erase(context->id);
    }
    delete context;
    return 1;
}
