// pull_operations.cpp - the pulled enumerations: OpenEnumerateInstances,
// OpenEnumerateInstancePaths, OpenReferenceInstances(Paths),
// OpenAssociatorInstances(Paths), OpenQueryInstances, PullInstancesWithPath,
// PullInstancePaths, PullInstances, CloseEnumeration and EnumerationCount,
// served by the host's extension slots (strict profile only).
//
// Their numbers and flags come as untyped IPARAMVALUE text and are read
// here; a value that does not spell its type is CIM_ERR_INVALID_PARAMETER.
#include <cwchar>
#include <cwctype>
#include <string>

#include "cimxml/answer_in_pieces.h"
#include "cimxml/operation_parameters.h"
#include "cimxml/operations.h"
#include "cimxml/operations/operation_support.h"
#include "cimxml/pull_operations.h"
#include "cimxml_common/status_codes.h"
#include "cimxml_schema/response_body.h"

using namespace cimxml_ops;

namespace {

// What a parameter read found.
enum class read { absent, value, invalid };

std::wstring text_of(const CIMString *text) {
    const wchar_t *buffer = getCIMStringBuffer(text);
    return buffer ? std::wstring(buffer) : std::wstring();
}

std::wstring trimmed(std::wstring text) {
    while (!text.empty() && std::iswspace(text.back())) text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && std::iswspace(text[start])) ++start;
    return text.substr(start);
}

// A uint32 parameter: decimal digits only (white space around them allowed).
read uint32_parameter(const CIMPropertyList *parameters, const wchar_t *name, unsigned int &value) {
    const CIMString *given = string_parameter(parameters, name);
    if (given == nullptr) return read::absent;
    std::wstring text = trimmed(text_of(given));
    if (text.empty() || text.size() > 10) return read::invalid;
    unsigned long long number = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return read::invalid;
        number = number * 10 + static_cast<unsigned>(c - L'0');
    }
    if (number > 0xFFFFFFFFull) return read::invalid;
    value = static_cast<unsigned int>(number);
    return read::value;
}

// A boolean parameter: typed by the decoder, or TRUE / FALSE text.
read boolean_parameter(const CIMPropertyList *parameters, const wchar_t *name, int &value) {
    int typed = bool_parameter(parameters, name, -1);
    if (typed != -1) {
        value = typed;
        return read::value;
    }
    const CIMString *given = string_parameter(parameters, name);
    if (given == nullptr) return read::absent;
    std::wstring text = trimmed(text_of(given));
    if (wcscasecmp(text.c_str(), L"TRUE") == 0) value = 1;
    else if (wcscasecmp(text.c_str(), L"FALSE") == 0) value = 0;
    else return read::invalid;
    return read::value;
}

ReturnCode *invalid_parameter(const std::string &text) {
    std::wstring wide(text.begin(), text.end());
    return newReturnCode(CIM_ERR_INVALID_PARAMETER, wide.c_str());
}

// The output parameters of a piece (EndOfSequence, EnumerationContext and,
// when the host gave one, QueryResultClass) as a new property list; NULL
// when memory is exhausted.
CIMPropertyList *pull_outputs(const CIMXMLPulledPiece &piece) {
    ListOwner list(newCIMPropertyList());
    if (!list) return nullptr;
    int end = piece.endOfSequence ? 1 : 0;
    // An ended sequence has no context left: its value is the empty string.
    CIMString *context = piece.enumerationContext ? copyCIMString(piece.enumerationContext) : newCIMString(L"");
    struct {
        const wchar_t *name;
        int type;
        CIMValue *value;
    } outputs[] = {{L"EndOfSequence", CIM_BOOLEAN, newCIMValue(CIM_BOOLEAN, &end)},
                   {L"EnumerationContext", CIM_STRING, context ? newCIMValue(CIM_STRING, context) : nullptr},
                   {L"QueryResultClass", CIM_CLASS, nullptr}};
    // An open query's results class, when it was asked for.
    bool withClass = piece.queryResultClass != nullptr;
    if (withClass) {
        CIMClass *copy = copyCIMClass(piece.queryResultClass);
        outputs[2].value = copy ? newCIMValue(CIM_CLASS, copy) : nullptr;
        if (!outputs[2].value) freeCIMClass(copy);
    }
    bool complete = true;
    for (auto &output : outputs) {
        if (output.type == CIM_CLASS && !withClass) continue;
        CIMString *name = newCIMString(output.name);
        CIMProperty *property =
            complete && name && output.value ? newProperty(name, nullptr, output.value, output.type, nullptr, 0) : nullptr;
        if (property) output.value = nullptr;
        else freeCIMString(name);
        if (!property || !append_item(list.get(), property)) {
            freeCIMProperty(property);
            complete = false;
        }
    }
    for (auto &output : outputs) freeCIMValue(output.value);
    return complete ? list.release() : nullptr;
}

// Frees what a host put in a piece.
struct PieceOwner {
    CIMXMLPulledPiece piece{};
    ~PieceOwner() {
        freeList(piece.objects);
        freeCIMString(piece.enumerationContext);
        freeCIMClass(piece.queryResultClass);
    }
};

int refuse(PoolString *pool, const MessageData *msgData, const ResponseTexts &texts, ReturnCode *status) {
    StatusOwner owner(status);
    return write_intrinsic_response(pool, msgData, texts, owner.get(), true, nullptr, nullptr);
}

int not_served(PoolString *pool, const MessageData *msgData, const ResponseTexts &texts) {
    return refuse(pool, msgData, texts,
                  newReturnCode(CIM_ERR_NOT_SUPPORTED, L"The server does not serve this operation."));
}

// The answer of an open or pull: the piece's objects, EndOfSequence and
// EnumerationContext; or the ERROR of status.
int write_piece(PoolString *pool, const MessageData *msgData, const ResponseTexts &texts, ReturnCode *returned,
                const CIMXMLPulledPiece &piece) {
    StatusOwner status(slot_status(returned));
    if (!status || status->rc != 0) return write_intrinsic_response(pool, msgData, texts, status.get(), true, nullptr, nullptr);
    ListOwner outputs(pull_outputs(piece));
    if (!outputs) return fail_operation((std::string(texts.function) + " - no memory for the output parameters.").c_str());
    set_output_parameters(outputs.get());
    int written = write_intrinsic_response(pool, msgData, texts, status.get(), false, piece.objects, nullptr);
    set_output_parameters(nullptr);
    return written;
}

// The target namespace as a path of its own (a copy the caller frees).
CIMObjectPath *target_path(const MessageData *msgData) {
    CIMObjectPath *path = copyObjectPath(msgData->objectPath);
    if (path) clearPlaceholderClassName(path);
    return path;
}

// Reads the parameters every open shares into request; NULL when they are
// well formed, else the status to answer with.
ReturnCode *open_parameters(const CIMPropertyList *parameters, CIMXMLOpenEnumeration &request) {
    request.includeClassOrigin = bool_parameter(parameters, L"IncludeClassOrigin", 0);
    request.filterQueryLanguage = string_parameter(parameters, L"FilterQueryLanguage");
    request.filterQuery = string_parameter(parameters, L"FilterQuery");
    switch (uint32_parameter(parameters, L"OperationTimeout", request.operationTimeout)) {
    case read::invalid: return invalid_parameter("OperationTimeout is not a uint32 number of seconds");
    case read::value: request.hasOperationTimeout = 1; break;
    case read::absent: break;
    }
    if (boolean_parameter(parameters, L"ContinueOnError", request.continueOnError) == read::invalid)
        return invalid_parameter("ContinueOnError is not TRUE or FALSE");
    if (boolean_parameter(parameters, L"ReturnQueryResultClass", request.returnQueryResultClass) == read::invalid)
        return invalid_parameter("ReturnQueryResultClass is not TRUE or FALSE");
    if (uint32_parameter(parameters, L"MaxObjectCount", request.maxObjectCount) == read::invalid)
        return invalid_parameter("MaxObjectCount is not a uint32 number");
    return nullptr;
}

}  // namespace

namespace {

int pull_open(PoolString *pool, MessageData *msgData, int source, int kind, const char *function) {
    const ResponseTexts texts{.function = function};
    const CIMXMLHostExtensions *host = cimxml_host_extensions();
    if (!host || !host->openEnumeration) return not_served(pool, msgData, texts);
    if (!msgData || !msgData->objectPath) return fail_operation((std::string(function) + " - no target namespace.").c_str());
    const CIMPropertyList *parameters = method_parameters(msgData);
    CIMXMLOpenEnumeration request{};
    request.source = source;
    request.kind = kind;
    if (ReturnCode *refused = open_parameters(parameters, request)) return refuse(pool, msgData, texts, refused);
    PathOwner path;
    if (source == CIMXML_PULL_ENUMERATION) {
        const CIMString *className = string_parameter(parameters, L"ClassName");
        path.reset(target_path(msgData));
        if (!className || !path || !set_class_name(path.get(), className))
            return refuse(pool, msgData, texts, invalid_parameter("ClassName is missing"));
    } else if (source == CIMXML_PULL_QUERY) {
        path.reset(target_path(msgData));
        if (!request.filterQueryLanguage || !request.filterQuery)
            return refuse(pool, msgData, texts, invalid_parameter("FilterQueryLanguage and FilterQuery are required"));
    } else {
        const CIMObjectPath *instanceName = reference_parameter(parameters, L"InstanceName");
        if (!instanceName) return refuse(pool, msgData, texts, invalid_parameter("InstanceName is missing"));
        static const InstancePathTexts pathTexts{"pull open - could not copy InstanceName.",
                                                 "pull open - the target has no namespace.",
                                                 "pull open - could not set the namespace."};
        path.reset(instance_path(instanceName, msgData->objectPath, pathTexts));
        if (!path) return 0;
        request.assocClass = string_parameter(parameters, L"AssocClass");
        request.resultClass = string_parameter(parameters, L"ResultClass");
        request.role = string_parameter(parameters, L"Role");
        request.resultRole = string_parameter(parameters, L"ResultRole");
    }
    if (!path) return fail_operation((std::string(function) + " - could not copy the target path.").c_str());
    request.path = path.get();
    ListOwner propertyList(property_list_parameter(parameters));
    request.propertyList = propertyList.get();
    PieceOwner piece;
    return write_piece(pool, msgData, texts, host->openEnumeration(&request, &piece.piece), piece.piece);
}

// What a pull, a close or a count acts on: the target namespace and the
// EnumerationContext parameter (lent).
struct context_target {
    PathOwner path;
    const CIMString *context = nullptr;
};

// Reads the context target of an operation the host serves (served false:
// it does not). Returns -1 to go on; otherwise the answer is written (or
// the failure recorded) and the value is what the operation returns.
int read_context_target(PoolString *pool, MessageData *msgData, const ResponseTexts &texts, bool served,
                        context_target &target) {
    if (!served) return not_served(pool, msgData, texts);
    if (!msgData || !msgData->objectPath)
        return fail_operation((std::string(texts.function) + " - no target namespace.").c_str());
    target.context = string_parameter(method_parameters(msgData), L"EnumerationContext");
    if (!target.context) return refuse(pool, msgData, texts, invalid_parameter("EnumerationContext is missing"));
    target.path.reset(target_path(msgData));
    if (!target.path) return fail_operation((std::string(texts.function) + " - could not copy the target path.").c_str());
    return -1;
}

int pull_next(PoolString *pool, MessageData *msgData, int kind, const char *function) {
    const ResponseTexts texts{.function = function};
    const CIMXMLHostExtensions *host = cimxml_host_extensions();
    context_target target;
    if (int done = read_context_target(pool, msgData, texts, host && host->pullEnumeration, target); done >= 0)
        return done;
    unsigned int maxObjectCount = 0;
    switch (uint32_parameter(method_parameters(msgData), L"MaxObjectCount", maxObjectCount)) {
    case read::invalid: return refuse(pool, msgData, texts, invalid_parameter("MaxObjectCount is not a uint32 number"));
    case read::absent: return refuse(pool, msgData, texts, invalid_parameter("MaxObjectCount is missing"));
    case read::value: break;
    }
    PieceOwner piece;
    return write_piece(pool, msgData, texts,
                       host->pullEnumeration(target.path.get(), target.context, kind, maxObjectCount, &piece.piece),
                       piece.piece);
}

}  // namespace

#define CIMXML_OPEN_OPERATION(function, source, kind, name) \
    int function(PoolString *pool, MessageData *msgData, CIMOMHandle *) { \
        return pull_open(pool, msgData, source, kind, name); \
    }
#define CIMXML_PULL_OPERATION(function, kind, name) \
    int function(PoolString *pool, MessageData *msgData, CIMOMHandle *) { return pull_next(pool, msgData, kind, name); }

CIMXML_OPEN_OPERATION(pull_openEnumerateInstances, CIMXML_PULL_ENUMERATION, CIMXML_PULLED_INSTANCES_WITH_PATH,
                      "OpenEnumerateInstances")
CIMXML_OPEN_OPERATION(pull_openEnumerateInstancePaths, CIMXML_PULL_ENUMERATION, CIMXML_PULLED_INSTANCE_PATHS,
                      "OpenEnumerateInstancePaths")
CIMXML_OPEN_OPERATION(pull_openReferenceInstances, CIMXML_PULL_REFERENCES, CIMXML_PULLED_INSTANCES_WITH_PATH,
                      "OpenReferenceInstances")
CIMXML_OPEN_OPERATION(pull_openReferenceInstancePaths, CIMXML_PULL_REFERENCES, CIMXML_PULLED_INSTANCE_PATHS,
                      "OpenReferenceInstancePaths")
CIMXML_OPEN_OPERATION(pull_openAssociatorInstances, CIMXML_PULL_ASSOCIATORS, CIMXML_PULLED_INSTANCES_WITH_PATH,
                      "OpenAssociatorInstances")
CIMXML_OPEN_OPERATION(pull_openAssociatorInstancePaths, CIMXML_PULL_ASSOCIATORS, CIMXML_PULLED_INSTANCE_PATHS,
                      "OpenAssociatorInstancePaths")
CIMXML_OPEN_OPERATION(pull_openQueryInstances, CIMXML_PULL_QUERY, CIMXML_PULLED_INSTANCES, "OpenQueryInstances")
CIMXML_PULL_OPERATION(pull_pullInstancesWithPath, CIMXML_PULLED_INSTANCES_WITH_PATH, "PullInstancesWithPath")
CIMXML_PULL_OPERATION(pull_pullInstancePaths, CIMXML_PULLED_INSTANCE_PATHS, "PullInstancePaths")
CIMXML_PULL_OPERATION(pull_pullInstances, CIMXML_PULLED_INSTANCES, "PullInstances")

int pull_closeEnumeration(PoolString *pool, MessageData *msgData, CIMOMHandle *) {
    const ResponseTexts texts{.function = "CloseEnumeration"};
    const CIMXMLHostExtensions *host = cimxml_host_extensions();
    context_target target;
    if (int done = read_context_target(pool, msgData, texts, host && host->closeEnumeration, target); done >= 0)
        return done;
    StatusOwner status(call_slot(host->closeEnumeration, target.path.get(), target.context));
    bool failed = !status || status->rc != 0;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, nullptr, nullptr);
}

int pull_enumerationCount(PoolString *pool, MessageData *msgData, CIMOMHandle *) {
    const ResponseTexts texts{.function = "EnumerationCount"};
    const CIMXMLHostExtensions *host = cimxml_host_extensions();
    context_target target;
    if (int done = read_context_target(pool, msgData, texts, host && host->enumerationCount, target); done >= 0)
        return done;
    unsigned long long count = 0;
    StatusOwner status(call_slot(host->enumerationCount, target.path.get(), target.context, &count));
    bool failed = !status || status->rc != 0;
    ListOwner results;
    if (!failed) {
        uint64_t value = count;
        ValueOwner number(newCIMValue(CIM_UINT64, &value));
        results.reset(single_property_list(L"Count", CIM_UINT64, number.get()));
        if (!results) return fail_operation("EnumerationCount - no memory for the count.");
        number.release();
    }
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}
