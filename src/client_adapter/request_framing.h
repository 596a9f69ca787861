// request_framing.h - what every client request encoder shares: the entry
// step, the operation's parameter list, and the framing of a body into a
// complete request (message head and tail, HTTP header, Content-Length).
#pragma once

#include <cimobj/cimobj.h>

namespace client_requests {

// Sets the module up when its load routine has not run and registers the
// calling thread with the collector. Every exported function calls it first.
void enter_client();

// Logs "<encoder><text>" at level 0.
void log_failure(const char *encoder, const char *text);

// The call a request carries.
struct request_call {
    const char *encoder;       // the encoder's name, for its log lines
    const wchar_t *method;     // NAME of IMETHODCALL or METHODCALL
    const char *headerMethod;  // the CIMMethod header line
    int intrinsic;             // IMETHODCALL (1) or METHODCALL (0)
};

// True, after "<encoder> - failed; Null parameter.", when argument is NULL.
bool refuse_null(const request_call &call, const void *argument);

// The parameters of one request, in the order they are added. Each add
// makes one parameter (name, a copy of the caller's data, its type); the
// first failure is logged in the encoder's words ("<encoder> -
// newProperty failed.", "<encoder> - appendToCIMPropertyList failed.") and
// makes every later add a no-op and list() NULL. The caller's data is only read.
class request_parameters {
public:
    // A new empty list; when it cannot be made "<encoder> - newCIMPropertyList
    // failed" is logged and the builder is failed.
    explicit request_parameters(const char *encoder);
    ~request_parameters();
    request_parameters(const request_parameters &) = delete;
    request_parameters &operator=(const request_parameters &) = delete;

    request_parameters &reference(const wchar_t *name, const CIMObjectPath *path);
    // "ClassName": the class name of path, "__Namespace" named "CIM_Namespace".
    request_parameters &class_name(const CIMObjectPath *path);
    // A parameter that names a class (ClassName, AssocClass, ResultClass):
    // in the strict profile a CLASSNAME element, in classic (and for a NULL
    // or empty name) a string value like string().
    request_parameters &class_name(const wchar_t *name, const CIMString *className);
    // A NULL text gives a null string value.
    request_parameters &string(const wchar_t *name, const CIMString *text);
    request_parameters &boolean(const wchar_t *name, int flag);
    // A string array of the list's texts; a NULL list adds nothing.
    request_parameters &string_list(const wchar_t *name, const CIMStringList *list);
    request_parameters &instance(const wchar_t *name, const CIMInstance *instance);
    request_parameters &cimclass(const wchar_t *name, const CIMClass *cimClass);
    // A copy of the value in its own type; NULL gives a null string value.
    request_parameters &value(const wchar_t *name, const CIMValue *value);

    // The list (lent), or NULL after a failure.
    const CIMPropertyList *list() const { return failed_ ? nullptr : list_; }

private:
    // Appends a parameter holding value (taken, freed on failure).
    void add(const wchar_t *name, int type, CIMValue *value);

    const char *encoder_;
    CIMPropertyList *list_;
    bool failed_;
};

// The complete request: the SIMPLEREQ body of the call on target with the
// parameters (and declaration, written for a "QualifierDeclaration"
// parameter), the message around it and, unless withoutHeader, the request
// header. Classic writes the call's headerMethod and the target's namespace
// as CIMObject; strict writes the call's own name as CIMMethod and, for an
// extrinsic call, the target object (object_header_text) as CIMObject. A new text
// (kind 2) for the caller; NULL after "<encoder> - failed." when a piece
// cannot be made or parameters is NULL.
char *frame_request(const request_call &call, const CIMObjectPath *target, const CIMPropertyList *parameters,
                    const CIMQualifierType *declaration, int withoutHeader);

// The export request: the SIMPLEEXPREQ body of methodName with the
// parameters, the message and, unless withoutHeader, the export header. NULL
// (after the matching log line of encoder) when a piece cannot be made.
char *frame_export_request(const char *encoder, const char *methodName, const CIMPropertyList *parameters,
                           int withoutHeader);

// The CIMObject text of an extrinsic call's target:
// "namespace:Class[.key=value,...]" with string, datetime and char16 values
// quoted (\" and \\ escaped), references as their own text quoted, and
// every byte that is not a letter, a digit or one of -_.~/:=,"' written as
// %XX. A new text (kind 2) for the caller; NULL when memory is short.
char *object_header_text(const CIMObjectPath *path);

// A new path with only the class name of path (with "__Namespace" named
// "CIM_Namespace") and its namespace; NULL after "<encoder> -
// setObjectPathName failed." when it cannot be made.
CIMObjectPath *class_and_namespace(const char *encoder, const CIMObjectPath *path);

}  // namespace client_requests
