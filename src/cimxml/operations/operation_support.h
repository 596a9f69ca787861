// operation_support.h - the course the operation functions share: owners
// for the objects they make, typed parameter reads, calls through the CIMOM
// handle, and the opening, body and closing of their responses.
#pragma once

#include <memory>

#include <cimxml/cimom_handle.h>
#include <utils/pool_string.h>

#include "common_handlers/message_data.h"

namespace cimxml_ops {

// ---- Owners: each frees its object with the object library's free. ----

template <auto Free>
struct Freer {
    template <typename T>
    void operator()(T *object) const { Free(object); }
};
using PathOwner = std::unique_ptr<CIMObjectPath, Freer<freeCIMObjectPath>>;
using StatusOwner = std::unique_ptr<ReturnCode, Freer<freeReturnCode>>;
using StringOwner = std::unique_ptr<CIMString, Freer<freeCIMString>>;
using ListOwner = std::unique_ptr<CIMList, Freer<freeList>>;
using InstanceOwner = std::unique_ptr<CIMInstance, Freer<freeCIMInstance>>;
using ClassOwner = std::unique_ptr<CIMClass, Freer<freeCIMClass>>;
using ValueOwner = std::unique_ptr<CIMValue, Freer<freeCIMValue>>;
using QualifierTypeOwner = std::unique_ptr<CIMQualifierType, Freer<freeQualifierType>>;
using PropertyOwner = std::unique_ptr<CIMProperty, Freer<freeCIMProperty>>;

// Records text as the thread's last error (status 1), logs it at level 0
// and returns 0, the result of an operation function that stops before
// writing its response.
int fail_operation(const char *text);
// The same for a request without a parameter the operation needs: status 4
// (CIM_ERR_INVALID_PARAMETER, as DSP0200 has it) in the strict profile, 1 in
// classic.
int fail_missing_parameter(const char *text);

// ---- The decoded request ----

// Name of the called method, lent; NULL without one.
const CIMString *method_name(const MessageData *msgData);
// Its parameter list, lent; NULL when the request carried no parameter.
CIMPropertyList *method_parameters(const MessageData *msgData);

// ---- Typed parameter reads ----
// The content of the parameter named name (caseless), lent, when its value
// has the type asked for; NULL otherwise. A parameter of another type counts
// as absent: its content is another kind of object (a path where a string is
// wanted, a string where an instance is), and reading it as the wanted kind
// would misread memory. The required-parameter checks then apply.

const CIMString *string_parameter(const CIMPropertyList *parameters, const wchar_t *name);
const CIMObjectPath *reference_parameter(const CIMPropertyList *parameters, const wchar_t *name);
const CIMInstance *instance_parameter(const CIMPropertyList *parameters, const wchar_t *name);
const CIMClass *class_parameter(const CIMPropertyList *parameters, const wchar_t *name);
// The boolean parameter, or defaultValue when absent, null or not a boolean.
int bool_parameter(const CIMPropertyList *parameters, const wchar_t *name, int defaultValue);
// "PropertyList": NULL when absent, null or not an array (no restriction);
// else a new string list (empty for an empty array) that the caller frees.
CIMStringList *property_list_parameter(const CIMPropertyList *parameters);

// ---- Paths ----

// Sets the class name of path to a copy of name (absent for NULL).
// Returns 0 when the copy cannot be made (the path is then unchanged).
int set_class_name(CIMObjectPath *path, const CIMString *name);

// Texts of the checks made while building an instance path.
struct InstancePathTexts {
    const char *copyFailed;          // the copy of InstanceName failed
    const char *noNamespace;         // the target has no namespace
    const char *setNamespaceFailed;  // the namespace could not be set
};
// The path of the instance an operation acts on: a copy of instanceName with
// "__Namespace" replaced, in the target's namespace. A new path that the
// caller frees, or NULL after the matching text was recorded.
CIMObjectPath *instance_path(const CIMObjectPath *instanceName, const CIMObjectPath *target,
                             const InstancePathTexts &texts);

// ---- Result wrappers ----

// Appends item to list. Returns 1 when the list took it; 0 when it did not
// (item is then still the caller's).
int append_item(CIMList *list, void *item);
// A new property list holding one property named name, of type, holding
// value. Takes value on success; NULL when memory is short (value is then
// still the caller's).
CIMPropertyList *single_property_list(const wchar_t *name, int type, CIMValue *value);

// ---- Calling the object manager ----

// The status standing for a slot the host left NULL: status 7 (not
// supported) with a description. NULL only when no memory is left.
ReturnCode *slot_not_served();
// returned itself, or for NULL a status 1 record that says so.
ReturnCode *slot_status(ReturnCode *returned);

// Calls slot with args and returns the status it reports, which the caller
// frees; a missing slot or a missing status is replaced as above, so a
// partly filled handle answers like an object manager that failed.
template <typename Slot, typename... Args>
ReturnCode *call_slot(Slot slot, Args... args) {
    if (slot == nullptr) return slot_not_served();
    return slot_status(slot(args...));
}

// ---- Writing the response ----

// What an operation's response steps say; unset texts take the common form
// built from the function name.
struct ResponseTexts {
    const char *function;                  // pool label and name in the common texts
    const char *endTagsFailed = nullptr;   // "<function> - could not append eng tags to pool."
    const char *encoderFailed = nullptr;   // "<function> - failed."
    bool quietBeginFailure = false;        // a failed begin records nothing of its own
    const char *failureLog = nullptr;      // logged (level 0) before a failed status is recorded
    const char *failureRecord = nullptr;   // recorded (status 1) before a failed status is recorded
    bool exportResponse = false;           // the response answers an export request
};

// Starts the response (header lines and message head for the request's id).
// Returns 1, or 0 after recording "<function>: failed to append to pool"
// (nothing when quietBeginFailure is set).
int begin_operation_response(PoolString *pool, const MessageData *msgData, const ResponseTexts &texts);

// Makes a failed status the thread's last error: the object manager's record
// when its code is not 0 (reportObjectManagerStatus), else (a success
// without the expected result) status 1 "Requested operation failed.", the
// text its ERROR carries. The function's own texts are logged at the level
// the status is.
void record_failed_status(const ResponseTexts &texts, const ReturnCode *status);

// Closes the response after the body encoder returned encoded: appends the
// message tail, recording the end-tag text when that fails; an encoder that
// failed records the encoder text instead. Returns 1.
int finish_operation_response(PoolString *pool, const ResponseTexts &texts, int encoded);

// The whole response of an intrinsic operation: begin; then, when failed,
// record the status and write IMETHODRESPONSE with its ERROR, otherwise
// IMETHODRESPONSE with the IRETURNVALUE of results or declarations; close.
// Returns 1, or 0 when the response could not be begun. All arguments stay
// the caller's.
int write_intrinsic_response(PoolString *pool, const MessageData *msgData, const ResponseTexts &texts,
                             const ReturnCode *status, bool failed, const CIMList *results,
                             const CIMQualifierTypeList *declarations);

}  // namespace cimxml_ops
