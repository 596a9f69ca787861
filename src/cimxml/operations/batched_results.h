// batched_results.h - an enumeration whose results the host hands over in
// batches while the answer is handed to it in pieces: neither the results
// nor the answer are ever held whole.
#pragma once

#include <functional>

#include <cimxml/cimxml_host.h>

#include "cimxml/operations/operation_support.h"

namespace cimxml_ops {

// Calls the host's extension slot with deliver and context; returns its status.
using batch_call = std::function<ReturnCode *(int (*deliver)(void *context, CIMList *batch), void *context)>;

// The host's extensions while the answer is handed over in pieces, so that
// results are worth reading in batches; NULL otherwise.
const CIMXMLHostExtensions *batch_extensions();

// Writes the operation's answer with the results call hands over, batch by
// batch. A failure of call is answered as write_intrinsic_response answers
// it when none of the answer has been sent yet, else it ends the answer (the
// host reports it). Returns what an operation function returns.
int write_batched_response(PoolString *pool, const MessageData *msgData, const ResponseTexts &texts,
                           const batch_call &call);

}  // namespace cimxml_ops
