// pulled_enumeration.cpp - open, pull piece after piece, close on Ctrl-C,
// and count. Memory holds one piece at a time: its answer, then its objects
// while they are written.
#include "pulled_enumeration.h"

#include "command_support.h"
#include "interrupt_watch.h"

namespace cli {

namespace {

// The options of the open as the encoders take them; owns their texts.
struct OpenOptions {
    cimobj::StringPtr filterQueryLanguage, filterQuery;
    CIMXMLPullOptions options{};

    OpenOptions(const Invocation &in, unsigned maxObjectCount) {
        if (in.filterQuery) {
            filterQueryLanguage = wide(in.filterQueryLanguage);
            filterQuery = wide(*in.filterQuery);
            options.filterQueryLanguage = filterQueryLanguage.get();
            options.filterQuery = filterQuery.get();
        }
        options.hasOperationTimeout = in.operationTimeout.has_value();
        options.operationTimeout = in.operationTimeout.value_or(0);
        options.maxObjectCount = maxObjectCount;
    }
};

// One decoded piece: its objects, and the context to go on with (NULL once
// the sequence ended).
struct Piece {
    cimobj::ListPtr objects;
    cimobj::StringPtr context;
    bool ended = false;
};

constexpr int notSupported = 7;  // CIM_ERR_NOT_SUPPORTED

// Sends request and decodes its answer with decode. The answer's body goes
// to the writer unless fallback is set and the server answered
// CIM_ERR_NOT_SUPPORTED: then nothing is written and the result is false.
// Throws as exchange and check do.
bool exchangePiece(CommandContext &c, char *request, const char *operation, PieceDecoder decode, Piece &piece,
                   bool fallback = false) {
    std::string body;
    try {
        body = c.connection.exchange(request, operation);
    } catch (const remote::ClientError &error) {
        // A CIM status in the answer's header rather than in its body.
        if (fallback && error.status() == notSupported) return false;
        throw;
    }
    CIMList *objects = nullptr;
    CIMString *context = nullptr;
    int ended = 0;
    ReturnCode *rc = decode(body.c_str(), &objects, &context, &ended);
    piece.objects.reset(objects);
    piece.context.reset(context);
    piece.ended = ended != 0;
    if (fallback && rc && rc->rc == notSupported) {
        freeReturnCode(rc);
        return false;
    }
    c.out.responseBody(body);
    c.connection.check(rc, body);
    return true;
}

PieceDecoder pullDecoder(PullOperation pull) {
    switch (pull) {
        case PullOperation::instancePaths: return CIMXMLdecode_pullInstancePaths;
        case PullOperation::instances: return CIMXMLdecode_pullInstances;
        case PullOperation::instancesWithPath: break;
    }
    return CIMXMLdecode_pullInstancesWithPath;
}

char *encodePull(const CommandContext &c, PullOperation pull, const CIMString *context) {
    unsigned count = c.invocation.maxObjectCount;
    switch (pull) {
        case PullOperation::instancePaths: return CIMXMLencode_pullInstancePaths(target(c), context, count, 0);
        case PullOperation::instances: return CIMXMLencode_pullInstances(target(c), context, count, 0);
        case PullOperation::instancesWithPath: break;
    }
    return CIMXMLencode_pullInstancesWithPath(target(c), context, count, 0);
}

const char *pullName(PullOperation pull) {
    switch (pull) {
        case PullOperation::instancePaths: return "PullInstancePaths";
        case PullOperation::instances: return "PullInstances";
        case PullOperation::instancesWithPath: break;
    }
    return "PullInstancesWithPath";
}

// Sends CloseEnumeration for context; throws as exchange and check do.
void closeContext(CommandContext &c, const CIMString *context) {
    std::string body = c.call(CIMXMLencode_closeEnumeration(target(c), context, 0), "CloseEnumeration");
    c.connection.check(CIMXMLdecode_closeEnumeration(body.c_str()), body);
}

// The path as a class's traditional enumeration gives it: no host and no namespace.
void makeLocal(CIMObjectPath *path) {
    setObjectPathHost(path, nullptr);
    setObjectPathNameSpace(path, nullptr);
}

// Writes the piece's objects, stopping early once interrupted or once the
// output failed; true when all of them were written.
bool writePiece(CommandContext &c, const PulledEnumeration &enumeration, Piece &piece, const InterruptWatch &watch) {
    int kind = getListType(piece.objects.get());
    for (CIMListNode *node = getFirstNode(piece.objects.get()); node; node = getNextNode(node)) {
        if (watch.interrupted() || c.out.failed()) return false;
        void *item = getNodeItem(node);
        if (enumeration.localPaths && kind == CIMLIST_INSTANCE) {
            auto *instance = static_cast<CIMInstance *>(item);
            makeLocal(getInstancePath(instance));
            setInstanceNameSpace(instance, nullptr);
        } else if (enumeration.localPaths && kind == CIMLIST_OBJECTPATH) {
            makeLocal(static_cast<CIMObjectPath *>(item));
        }
        writeItem(c, kind, item);
    }
    return !watch.interrupted() && !c.out.failed();
}

}  // namespace

bool runPulled(CommandContext &c, bool traditionalOnly, const PulledEnumeration &enumeration) {
    const Invocation &in = c.invocation;
    if (in.noPull || traditionalOnly) {
        if (in.filterQuery)
            throw remote::ClientError(remote::exitUsage,
                                      std::string(c.commandName) +
                                          ": --filter-query needs a pulled enumeration (not with --no-pull, "
                                          "--local-only, --include-qualifiers, --deep-inheritance=false or a class "
                                          "for an instance)");
        return false;
    }
    OpenOptions open(in, in.maxObjectCount);
    InterruptWatch watch;
    Piece piece;
    // Without a filter the traditional operation gives the same results.
    if (!exchangePiece(c, enumeration.encodeOpen(&open.options), enumeration.openName, enumeration.decodeOpen, piece,
                       !in.filterQuery))
        return false;
    for (;;) {
        bool whole = writePiece(c, enumeration, piece, watch);
        piece.objects.reset();
        if (!whole) {
            if (!piece.ended) closeContext(c, piece.context.get());
            if (!watch.interrupted()) {
                // The reader went away (| head): end as the write would have.
                watch.endByBrokenPipe();
                throw remote::ClientError(remote::exitInternal, "the output was closed");
            }
            throw remote::ClientError(remote::exitInterrupted,
                                      piece.ended ? "interrupted" : "interrupted; the enumeration was closed");
        }
        if (piece.ended) return true;
        cimobj::StringPtr context = std::move(piece.context);
        exchangePiece(c, encodePull(c, enumeration.pull, context.get()), pullName(enumeration.pull),
                      pullDecoder(enumeration.pull), piece);
    }
}

unsigned long long countPulled(CommandContext &c, const PulledEnumeration &enumeration) {
    OpenOptions open(c.invocation, 0);
    Piece piece;
    exchangePiece(c, enumeration.encodeOpen(&open.options), enumeration.openName, enumeration.decodeOpen, piece);
    // An open may end the sequence at once: what it gave is all there is.
    unsigned long long given = static_cast<unsigned long long>(getLength(piece.objects.get()));
    if (piece.ended) return given;
    unsigned long long count = 0;
    try {
        std::string body =
            c.call(CIMXMLencode_enumerationCount(target(c), piece.context.get(), 0), "EnumerationCount");
        c.connection.check(CIMXMLdecode_enumerationCount(body.c_str(), &count), body);
    } catch (const remote::ClientError &) {
        // The count's failure is the one to report; the close is a courtesy.
        try {
            closeContext(c, piece.context.get());
        } catch (const remote::ClientError &) {
        }
        throw;
    }
    closeContext(c, piece.context.get());
    return given + count;
}

}  // namespace cli
