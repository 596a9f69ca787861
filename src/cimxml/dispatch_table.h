// dispatch_table.h - which operation function answers which request.
#pragma once

#include <cimxml/cimom_handle.h>
#include <utils/pool_string.h>

#include "common_handlers/message_data.h"

using OperationFunction = int (*)(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);

// One row: the operation name (NULL for the row of extrinsic method calls,
// which is chosen by the call element instead of the name), the function,
// the text logged when it fails before answering, and the name and form
// (1 IMETHODRESPONSE, 0 METHODRESPONSE) of the error response then written.
struct DispatchEntry {
    const wchar_t *operationName;
    OperationFunction function;
    const wchar_t *failureText;
    const wchar_t *errorResponseName;
    int intrinsic;
};

// The rows in the order they are tried.
extern const DispatchEntry cimxml_dispatch_table[];
extern const int cimxml_dispatch_table_size;

// The row for a request: the first intrinsic name equal to operationName
// (exact, case-sensitive); after the first twenty names an extrinsic method
// call (isMethodCall 1) takes the method-call row whatever its name. In the
// strict profile an extrinsic method call always takes that row. NULL when
// no row matches or operationName is NULL.
const DispatchEntry *find_dispatch_entry(const wchar_t *operationName, int isMethodCall);
