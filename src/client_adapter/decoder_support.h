// decoder_support.h - what every client response decoder shares: reading
// the response as the answer to its operation, the failures it reports, and
// the kinds of results.
#pragma once

#include <cimobj/cimobj.h>

#include <memory>
#include <string>

#include "common_handlers/message_data.h"

namespace client_responses {

// The answer element an operation's response carries.
enum class answer_kind { intrinsic, extrinsic, exported };

struct decoder {
    const char *name;       // "CIMXMLdecode_getClass", for its texts
    const char *operation;  // "GetClass": the answer's NAME (any for extrinsic)
    answer_kind kind;
};

struct message_deleter {
    void operator()(MessageData *message) const { freeMessageData(message); }
};
using message_owner = std::unique_ptr<MessageData, message_deleter>;

// A new ReturnCode (0, no description).
ReturnCode *success();
// A new ReturnCode (1, "<decoder> - failed; <why>"), logged at level 0.
ReturnCode *failure(const decoder &d, const std::string &why);

// Decodes the response as the answer to d's operation. Returns the message
// (the caller's) when it answers the operation without an ERROR; otherwise
// NULL with *result set to what the decoder returns: the reason the text
// could not be read (logged "<decoder> - failed; Message data is NULL."),
// an answer that is missing or answers another operation, or a copy of the
// server's error.
message_owner read_answer(const char *response, const decoder &d, ReturnCode **result);

// Why message, decoded so far, is not the answer to d's operation: a new
// failure (see failure) when it answers another operation, has no answer
// element yet or was refused whole (strict); NULL when it is the answer.
ReturnCode *answer_refusal(const MessageData *message, const decoder &d);

// "the response is not well formed: <reason> at line <line> of the message."
std::string not_well_formed(const char *reason, long line);

// "an instance", "a class", "a path", "a class name" ... for a value type.
std::string kind_of(int type);

// The return values of a message in order (lent; empty without any).
int return_value_count(const MessageData *message);
CIMValue *return_value_at(const MessageData *message, int index);

// Takes the object a return value holds (instance, class, path, string):
// the caller owns it, and the value is left a null value of its type. Moving
// the decoded objects to the caller instead of copying them halves the work
// and the peak memory of large results. NULL for a null value.
void *take_content(CIMValue *value);

// Frees the list *list holds and sets it to NULL (a NULL address is ignored).
void drop_list(CIMList **list);

}  // namespace client_responses
