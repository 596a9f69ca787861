// answer_in_pieces.cpp - the thread's sink, what it has been given, and the
// entry point that answers one request through it.
#include "cimxml/answer_in_pieces.h"

#include <algorithm>
#include <cstring>

#include "cimxml/module_lifecycle.h"
#include "cimxml/request_handler.h"
#include "cimxml/response_writer.h"
#include "cimxml_common/profile.h"
#include "cimxml_common/xml_sink.h"

namespace {

struct Pieces {
    const CIMXMLAnswerSink *sink = nullptr;
    PoolString *pool = nullptr;  // the response pool
    bool begun = false;    // the header lines are handed over
    bool stopped = false;  // the host takes no more
    bool late = false;     // a failure goes to the end record
    int lateStatus = 0;
    std::string lateDescription;
};

thread_local Pieces *current = nullptr;

CIMXMLHostExtensions registered{};
bool haveExtensions = false;

// Starts the pool again, empty, keeping its buffer.
void empty_pool(PoolString *pool) {
    std::string label = pool->label;
    init_PoolString(pool, 1, 1, 1, 0, label.c_str());
}

bool hand_over(Pieces &pieces, const char *bytes, std::size_t length) {
    if (pieces.stopped || length == 0) return !pieces.stopped;
    if (pieces.sink->write(pieces.sink->context, bytes, length) != 0) pieces.stopped = true;
    return !pieces.stopped;
}

// The header lines (without the empty line after them) and then the rest
// of what the pool holds.
bool begin_with(Pieces &pieces, PoolString *pool) {
    const ResponseFacts &facts = cimxml_response_facts();
    std::size_t headerEnd = std::min(facts.headerLength, pool->length);
    std::size_t lines = headerEnd >= 2 ? headerEnd - 2 : 0;
    pieces.begun = true;
    if (pieces.sink->begin(pieces.sink->context, pool->text, lines, facts.status) != 0) pieces.stopped = true;
    return hand_over(pieces, pool->text + headerEnd, pool->length - headerEnd);
}

// A failure after pieces went out: true when the host forgot them (the
// answer begins again), false when the failure goes to the end record.
bool forget_or_end(Pieces &pieces, int status, std::string description) {
    if (!pieces.stopped && pieces.sink->restart(pieces.sink->context) == 0) {
        pieces.begun = false;
        return true;
    }
    pieces.late = true;
    pieces.lateStatus = status;
    pieces.lateDescription = std::move(description);
    return false;
}

// After each flush of the sink: the response pool's text goes to the host
// once it is large enough.
bool give_at_flush(PoolString *pool) {
    Pieces *pieces = current;
    if (pieces == nullptr || pool != pieces->pool || pieces->late || pool->length < cimxml_piece_bytes) return false;
    cimxml_give_pieces(pool);
    return true;
}

}  // namespace

const CIMXMLHostExtensions *cimxml_host_extensions() { return haveExtensions ? &registered : nullptr; }

bool cimxml_answering_in_pieces() { return current != nullptr && !current->stopped && !current->late; }

bool cimxml_give_pieces(PoolString *pool, std::size_t minBytes) {
    Pieces *pieces = current;
    if (pieces == nullptr) return true;
    if (pieces->late || pieces->stopped) return false;
    if (pool->length < minBytes) return true;
    bool going = pieces->begun ? hand_over(*pieces, pool->text, pool->length) : begin_with(*pieces, pool);
    empty_pool(pool);
    return going;
}

bool cimxml_pieces_failed(PoolString *pool, int status, const char *description) {
    Pieces *pieces = current;
    if (pieces == nullptr || !pieces->begun) return true;
    if (forget_or_end(*pieces, status, description ? description : "")) return true;
    empty_pool(pool);
    return false;
}

int CIMXML_setHostExtensions(const CIMXMLHostExtensions *extensions) {
    if (!strict_profile()) return 0;
    registered = CIMXMLHostExtensions{};
    haveExtensions = extensions != nullptr;
    if (extensions)
        std::memcpy(&registered, extensions, std::min(extensions->size, sizeof registered));
    registered.size = sizeof registered;
    return 1;
}

int CIMXML_answerInPieces(const char *request, CIMOMHandle *handle, const CIMXMLAnswerSink *sink,
                          CIMXMLAnswerEnd *end) {
    if (!strict_profile() || sink == nullptr || end == nullptr || !sink->begin || !sink->write || !sink->restart)
        return 0;
    cimxml_enter_module();
    thread_local std::string lastDescription;
    Pieces pieces;
    pieces.sink = sink;
    PoolString pool{};
    pieces.pool = &pool;
    zelStatsStart(cimxmlStats, CIMXML_STATS_HANDLE);
    current = &pieces;
    xml_sink_flush_hook previous = set_xml_sink_flush_hook(give_at_flush);
    auto leave = [&] {
        current = nullptr;
        set_xml_sink_flush_hook(previous);
        zelStatsEnd(cimxmlStats, CIMXML_STATS_HANDLE);
    };
    try {
        cimxml_answer_request(&pool, request, handle);
    } catch (...) {
        leave();
        release_PoolStringBuffer(&pool);
        throw;
    }
    leave();
    // An error answer written afresh after pieces went out (a failure no
    // operation reported itself) replaces them when the host can forget them.
    if (!pieces.late && pieces.begun && cimxml_response_facts().status != 0)
        forget_or_end(pieces, cimxml_response_facts().status, "the answer failed after its first part was sent");
    if (!pieces.late) {
        if (!pieces.begun)
            begin_with(pieces, &pool);
        else
            hand_over(pieces, pool.text, pool.length);
    }
    release_PoolStringBuffer(&pool);
    lastDescription = pieces.lateDescription;
    *end = CIMXMLAnswerEnd{pieces.late ? pieces.lateStatus : 0, pieces.late ? lastDescription.c_str() : nullptr};
    return 1;
}
