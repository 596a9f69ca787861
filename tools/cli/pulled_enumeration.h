// pulled_enumeration.h - the list commands' enumerations as pull
// operations: an open, then pulls until the sequence ends, each piece
// written as soon as it is decoded; CloseEnumeration after Ctrl-C; and
// EnumerationCount.
#pragma once

#include <functional>

#include <cimxml/cimxml_client.h>

#include "commands.h"

namespace cli {

// The decoder of an open's answer (CIMXMLdecode_openEnumerateInstances ...).
using PieceDecoder = ReturnCode *(*)(const char *response, CIMList **objects, CIMString **context,
                                     int *endOfSequence);

// The pull that fetches the pieces after the open.
enum class PullOperation { instancesWithPath, instancePaths, instances };

// One kind of pulled enumeration, as a command opens it.
struct PulledEnumeration {
    const char *openName;  // "OpenEnumerateInstances", for messages
    PieceDecoder decodeOpen;
    PullOperation pull;
    // The open's request with these options (an encoder's text; NULL when
    // the encoder failed).
    std::function<char *(const CIMXMLPullOptions *options)> encodeOpen;
    // Paths as the traditional enumeration of a class gives them: without
    // the host, and instances without a namespace of their own (the
    // writer puts them in the URL's), so that the output does not depend
    // on the operation.
    bool localPaths = false;
};

// Runs the enumeration unless --no-pull is given or traditionalOnly (an
// option the open operations do not have, or an object they do not take).
// Returns false, having written nothing, when it did not run or the server
// answered the open CIM_ERR_NOT_SUPPORTED: the caller then runs the
// traditional operation. Returns true once the last piece was written.
// Throws ClientError: exitUsage for --filter-query without a pull (no
// traditional operation filters), CIM_ERR_NOT_SUPPORTED itself when a
// filter was asked for, exitInterrupted after SIGINT (the results so far
// written, the context closed), and whatever exchange and check throw for
// the open and each pull (the results before the failure written). When
// the output fails (its reader went away) the context is closed and the
// program ends by SIGPIPE, as the write would have ended it.
bool runPulled(CommandContext &c, bool traditionalOnly, const PulledEnumeration &enumeration);

// How many objects the enumeration holds: opens it with MaxObjectCount 0,
// asks EnumerationCount and closes it, whatever the count's outcome.
// Throws as exchange and check do (CIM_ERR_NOT_SUPPORTED from a server
// without pulls, or one that cannot count this enumeration).
unsigned long long countPulled(CommandContext &c, const PulledEnumeration &enumeration);

}  // namespace cli
