// query_operation.cpp - ExecQuery.
#include "cimxml/operation_parameters.h"
#include "cimxml/operations.h"
#include "cimxml/answer_in_pieces.h"
#include "cimxml/operations/batched_results.h"
#include "cimxml/operations/operation_support.h"

using namespace cimxml_ops;

// Runs Query in QueryLanguage against the target namespace; the path keeps
// its class name as the request gave it.
int CIMOMhdle_execQuery(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_execQuery: failed - Null parameter(s).");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_execQuery: failed - Null parameter list.");
    StringOwner queryLanguage(copyCIMString(string_parameter(parameters, L"QueryLanguage")));
    if (!queryLanguage) return fail_missing_parameter("CIMOMhdle_execQuery failed - QueryLanguage parameter is null.");
    StringOwner query(copyCIMString(string_parameter(parameters, L"Query")));
    if (!query) return fail_missing_parameter("CIMOMhdle_execQuery failed - Query parameter is null.");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation("CIMOMhdle_execQuery - copyObjectPath failed.");

    static const ResponseTexts texts{.function = "CIMOMhdle_execQuery"};
    const CIMXMLHostExtensions *host = batch_extensions();
    if (host && host->execQueryInBatches)
        return write_batched_response(pool, msgData, texts, [&](auto deliver, void *context) {
            return host->execQueryInBatches(path.get(), query.get(), queryLanguage.get(), cimxml_batch_size, deliver,
                                            context);
        });
    CIMList *objects = nullptr;
    StatusOwner status(call_slot(handle->pfn_execQuery, path.get(), query.get(), queryLanguage.get(), &objects));
    ListOwner results(objects);
    bool failed = !status || status->rc != 0 || !results;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}
