// cim_connection.cpp - sending encoded requests and judging the answers.
#include "cim_connection.h"

#include <cimxml/cimxml_client.h>
#include <gc/gc.h>

#include <charconv>
#include <exception>

#include "client_error.h"

namespace remote {

namespace {

// True when the client library reads text as a CIM-XML response.
bool isCimXml(const std::string &text) {
    MessageData *message = cimxml_decode_message(text.c_str(), nullptr);
    CIMXMLdecode_releaseMessage(message);
    return message != nullptr;
}

}  // namespace

cimobj::PathPtr classPath(const std::wstring &nameSpace, const std::wstring &className) {
    cimobj::PathPtr path(newObjectPathWithName(className.empty() ? nullptr : cimobj::makeString(className).release()));
    if (!path || !setObjectPathNameSpace(path.get(), cimobj::makeString(nameSpace).release())) throw std::bad_alloc();
    return path;
}

CimConnection::CimConnection(WbemUrl url, TransportOptions options, std::ostream &diagnostics)
    : url_(std::move(url)), transport_(url_, std::move(options), diagnostics) {}

CimConnection::LateFailure CimConnection::stream(char *request, const char *operation, const BodySink &sink) {
    if (!request) throw ClientError(exitInternal, std::string("the client library could not encode ") + operation);
    std::string text = request;
    GC_free(request);
    HttpAnswer answer = transport_.post(text, [&sink](const HttpAnswer &head) {
        std::string statusCode = head.header("CIMStatusCode");
        int code = 0;
        std::from_chars(statusCode.data(), statusCode.data() + statusCode.size(), code);
        if (code != 0) throw cimError(code, head.header("CIMStatusCodeDescription"));
        return head.status == 200 ? sink : BodySink();
    });
    if (answer.status != 200) {
        if (!isCimXml(answer.body)) {
            std::string message = "HTTP " + std::to_string(answer.status) +
                                  (answer.reason.empty() ? "" : " " + answer.reason) + " from " + url_.authority();
            std::string cimErrorHeader = answer.header("CIMError");
            if (!cimErrorHeader.empty()) message += " (CIMError: " + cimErrorHeader + ")";
            throw ClientError(exitProtocol, oneLine(message));
        }
        sink(answer.body);
    }
    LateFailure late;
    std::string statusCode = answer.trailer("CIMStatusCode");
    std::from_chars(statusCode.data(), statusCode.data() + statusCode.size(), late.status);
    if (late.status != 0) late.description = percentDecoded(answer.trailer("CIMStatusCodeDescription"));
    return late;
}

std::string CimConnection::exchange(char *request, const char *operation) {
    std::string body;
    LateFailure late = stream(request, operation, [&body](std::string_view piece) { body.append(piece); });
    if (late.status != 0) throw cimError(late.status, late.description);
    return body;
}

namespace {

// A list reader fed from the transport. The reader's callback runs inside
// the parser, which exceptions must not cross: what the result sink throws
// is kept and thrown again once the reader has returned.
struct ListReading {
    const CimConnection::ResultSink &onResult;
    CIMXMLListReader *reader = nullptr;
    std::exception_ptr thrown;
    std::string start;  // the first bytes of the message, for failure texts
    bool empty = true;

    explicit ListReading(const CimConnection::ResultSink &sink) : onResult(sink) {}
    static int take(void *context, int kind, void *object) {
        auto *self = static_cast<ListReading *>(context);
        try {
            self->onResult(kind, object);
            return 0;
        } catch (...) {
            self->thrown = std::current_exception();
            return 1;
        }
    }
    // Thrown out of the body sink when the reader stopped: the rest of the
    // answer is not read.
    struct Stopped {};

    void feed(std::string_view piece) {
        if (start.size() < 64) start.append(piece.substr(0, 64 - start.size()));
        empty = empty && piece.empty();
        int stopped = CIMXMLdecode_feedListReader(reader, piece.data(), piece.size());
        if (thrown) std::rethrow_exception(thrown);
        if (stopped) throw Stopped{};
    }
    ReturnCode *finish(const CimConnection::LateFailure &late) {
        ReturnCode *rc = CIMXMLdecode_finishListReader(reader, late.status, late.description.c_str());
        reader = nullptr;
        return rc;
    }
    ~ListReading() {
        if (reader) freeReturnCode(CIMXMLdecode_finishListReader(reader, 0, nullptr));
    }
};

}  // namespace

void CimConnection::readList(char *request, const char *operation, CIMXMLListOperation list,
                             const ResultSink &onResult, const BodySink &onBytes) {
    ListReading reading(onResult);
    reading.reader = CIMXMLdecode_openListReader(list, ListReading::take, &reading);
    if (!reading.reader) {
        GC_free(request);
        throw ClientError(exitInternal, std::string("the client library could not read the answer to ") + operation);
    }
    LateFailure late;
    try {
        late = stream(request, operation, [&](std::string_view piece) {
            if (onBytes) onBytes(piece);
            reading.feed(piece);
        });
    } catch (const ListReading::Stopped &) {
        // The reader knows why; the connection was closed.
    }
    if (reading.thrown) std::rethrow_exception(reading.thrown);
    std::string start = reading.start;
    size_t first = start.find_first_not_of(" \t\r\n");
    judge(reading.finish(late), reading.empty, first != std::string::npos && start[first] == '<', start);
}

void CimConnection::check(ReturnCode *rc, const std::string &body) const {
    judge(rc, body.empty(), !body.empty() && isCimXml(body), body.substr(0, 64));
}

void CimConnection::judge(ReturnCode *rc, bool empty, bool cimXml, const std::string &start) const {
    cimobj::ReturnCodePtr status(rc);
    if (!status) throw ClientError(exitInternal, "the client library gave no status");
    if (status->rc == 0) return;
    std::string description = cimobj::toUtf8(status->description);
    std::string bad = "bad response from " + url_.authority() + ": ";
    if (empty) throw ClientError(exitProtocol, bad + "an empty answer");
    if (!cimXml) {
        std::string shown = oneLine(start.substr(0, 60));
        throw ClientError(exitProtocol,
                          bad + "not a CIM-XML response: \"" + shown + (start.size() > 60 ? "...\"" : "\""));
    }
    // The decoders' own failures carry their names; a server's error never does.
    if (description.rfind("CIMXMLdecode_", 0) == 0) {
        size_t reason = description.find("failed; ");
        throw ClientError(exitProtocol,
                          bad + oneLine(description.substr(reason == std::string::npos ? 0 : reason + 8)));
    }
    throw cimError(status->rc, description);
}

cimobj::ClassPtr CimConnection::getClass(const std::wstring &nameSpace, const std::wstring &className) {
    cimobj::PathPtr path = classPath(nameSpace, className);
    std::string body = exchange(CIMXMLencode_getClass(path.get(), 0, 1, 1, nullptr, 0), "GetClass");
    CIMClass *cimClass = nullptr;
    check(CIMXMLdecode_getClass(body.c_str(), &cimClass), body);
    return cimobj::ClassPtr(cimClass);
}

}  // namespace remote
