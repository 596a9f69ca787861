// message_data.h - the record one parsed CIM-XML document is decoded into.
#pragma once

#include <cimobj/cimobj.h>

#include "common_handlers/element_stack.h"

// Message kinds: what classifyMessageKind finds and which handler set runs.
enum {
    CIMXML_KIND_NONE = 0,
    CIMXML_KIND_OPERATION_REQUEST = 1,
    CIMXML_KIND_OPERATION_RESPONSE = 2,
    CIMXML_KIND_EXPORT_REQUEST = 3,
    CIMXML_KIND_EXPORT_RESPONSE = 4
};

struct HandlerSet;

// One decoded document. A collected block (kind 0): the texts it points to
// are collected blocks too; the stacks are ordinary memory and the CIM
// objects the object library's, all freed by freeMessageData.
struct MessageData {
    int kind;                               // 1..4, see above
    const HandlerSet *handlers;             // the routing the parse runs (lent)
    char *messageId;                        // MESSAGE ID
    char **extraStrings;                    // never filled by the decoder
    CIMObjectPathList *instancePaths;       // paths of VALUE.NAMEDINSTANCE elements
    Stack objectStack;                      // partial objects under construction
    ElementStack elementStack;              // one record per open element
    CIMMethod *method;                      // the called operation and its parameters
    int isMethodCall;                       // 1 for METHODCALL
    CIMQualifierType *qualifierType;        // a declaration given as a parameter
    CIMObjectPath *objectPath;              // the target namespace, class and keys
    CIMString *responseMethodName;          // METHODRESPONSE NAME
    ReturnCode *error;                      // ERROR of a response
    CIMValueList *returnValues;             // returned values and objects
    CIMQualifierTypeList *qualifierTypes;   // returned declarations
    CIMPropertyList *outParameters;         // output parameters of a method response
    ReturnCode *refusal;                    // why a request, or a response read by a client, is refused whole (strict profile), or NULL
};

// New record with every field zero. On failure logs "Insf. Memory, file: %s,
// Line: %d" and returns NULL.
MessageData *newMessageData();

// Frees every field that is present, both stacks and the record. NULL does nothing.
void freeMessageData(MessageData *msgData);

// Kind of a document by plain substring search: "METHODCALL" 1;
// "METHODRESPONSE" 4 with "CIMEXPORT:", else 2; "MethodRequest" 3; else 0
// (also for NULL).
int classifyMessageKind(const char *document);
