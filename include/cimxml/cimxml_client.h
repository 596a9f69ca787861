/* cimxml_client.h - the client half of the CIM-XML module (libcimxmlclient.so):
 * encoders that build complete CIM-XML requests and decoders that read the
 * responses into CIM objects, with the same element writers and handlers the
 * server module uses. Client programs link against this library and
 * libcimobj.so; they never need the server module.
 *
 * Encoders. Each CIMXMLencode_ function returns the whole request as a new
 * NUL-terminated text: with withoutHeader 0 the HTTP request ("POST
 * /CIMOM2 HTTP/1.1", the CIM header lines with a Content-Length that counts
 * every byte after the empty line, the empty line) followed by the CIM-XML
 * message; with any other withoutHeader the message alone. The text comes
 * from the collected heap: free it with GC_free or leave it to the collector
 * (keep the pointer in a variable of your own meanwhile). Arguments are only
 * read and stay the caller's. NULL means failure, after a log line that
 * names the encoder and the step (a NULL target path, or another required
 * argument missing, among them).
 *
 * Decoders. Each CIMXMLdecode_ function reads one complete response text:
 * an HTTP response (status line, header, empty line, message), the header
 * lines without a status line that the server module writes followed by the
 * message, or the message alone. It returns a new ReturnCode that the
 * caller frees with freeReturnCode, never NULL: status 0 on success; the
 * server's ERROR (its CODE and DESCRIPTION); or status 1 with a description
 * of what was wrong: an HTTP status other than 200 (with the CIMError
 * header), a text that is not a CIM-XML response or not well formed (with
 * the line), a response to another operation, results of the wrong kind.
 * Results are copies that become the caller's. A list argument is the
 * address of the caller's list (a NULL one is replaced by a new list);
 * results are appended to it. Whenever an error is returned, every
 * out argument is set to NULL, and a list it held is freed.
 *
 * Threads: any thread may call; each call uses its own objects. */
#ifndef CIMXML_CIMXML_CLIENT_H
#define CIMXML_CIMXML_CLIENT_H

#include "cimxml_export.h"

#include <cimobj/cimobj.h>

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A decoded response; only the library reads it. */
typedef struct MessageData MessageData;

/* ---- Indication export ---- */

/* The export request "ExportIndication" carrying the indication as its
 * parameter "NewIndication". */
CIMXML_EXPORT char *CIMXMLencode_exportIndication(const CIMInstance *indication, int withoutHeader);

/* ---- Requests ----
 * The first argument is the target; its namespace is the request's
 * namespace. String filters may be NULL (written as absent values). A NULL
 * propertyList asks for every property and is left out of the request; an
 * empty one asks for none. */

/* CreateInstance of instance in the namespace of path. */
CIMXML_EXPORT char *CIMXMLencode_createInstance(const CIMObjectPath *path, const CIMInstance *instance,
                                                int withoutHeader);
/* DeleteInstance of the instance instancePath names (class name and keys). */
CIMXML_EXPORT char *CIMXMLencode_deleteInstance(const CIMObjectPath *instancePath, int withoutHeader);
/* EnumerateInstanceNames of the class classPath names ("__Namespace" asks for "CIM_Namespace"). */
CIMXML_EXPORT char *CIMXMLencode_enumerateInstanceNames(const CIMObjectPath *classPath, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_enumerateInstances(const CIMObjectPath *classPath, int deepInheritance,
                                                    int localOnly, int includeQualifiers,
                                                    int includeClassOrigin, const CIMStringList *propertyList,
                                                    int withoutHeader);
/* ExecQuery of query in queryLanguage against the namespace of path. */
CIMXML_EXPORT char *CIMXMLencode_execQuery(const CIMObjectPath *path, const CIMString *query,
                                           const CIMString *queryLanguage, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_getInstance(const CIMObjectPath *instancePath, int localOnly,
                                             int includeQualifiers, int includeClassOrigin,
                                             const CIMStringList *propertyList, int withoutHeader);
/* ModifyInstance of instance (named by its own path; without one, by path
 * when that has keys, else by the instance's key properties). */
CIMXML_EXPORT char *CIMXMLencode_modifyInstance(const CIMObjectPath *path, const CIMInstance *instance,
                                                int includeQualifiers, const CIMStringList *propertyList,
                                                int withoutHeader);
/* The association operations target an instance (objectPath with keys) or a class. */
CIMXML_EXPORT char *CIMXMLencode_associators(const CIMObjectPath *objectPath, const CIMString *assocClass,
                                             const CIMString *resultClass, const CIMString *role,
                                             const CIMString *resultRole, int includeQualifiers,
                                             int includeClassOrigin, const CIMStringList *propertyList,
                                             int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_associatorNames(const CIMObjectPath *objectPath, const CIMString *assocClass,
                                                 const CIMString *resultClass, const CIMString *role,
                                                 const CIMString *resultRole, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_references(const CIMObjectPath *objectPath, const CIMString *resultClass,
                                            const CIMString *role, int includeQualifiers, int includeClassOrigin,
                                            const CIMStringList *propertyList, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_referenceNames(const CIMObjectPath *objectPath, const CIMString *resultClass,
                                                const CIMString *role, int withoutHeader);
/* The extrinsic method methodName on path (a class, or an instance when it
 * has keys) with inParameters (NULL: none), each written as a PARAMVALUE. */
CIMXML_EXPORT char *CIMXMLencode_invokeMethod(const CIMObjectPath *path, const CIMString *methodName,
                                              const CIMPropertyList *inParameters, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_deleteClass(const CIMObjectPath *classPath, int withoutHeader);
/* DeleteQualifier of the declaration qualifierName in the namespace of path. */
CIMXML_EXPORT char *CIMXMLencode_deleteQualifier(const CIMObjectPath *path, const CIMString *qualifierName,
                                                 int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_enumerateClassNames(const CIMObjectPath *classPath, int deepInheritance,
                                                     int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_enumerateClasses(const CIMObjectPath *classPath, int deepInheritance,
                                                  int localOnly, int includeQualifiers, int includeClassOrigin,
                                                  int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_enumerateQualifiers(const CIMObjectPath *path, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_getQualifier(const CIMObjectPath *path, const CIMString *qualifierName,
                                              int withoutHeader);
/* SetQualifier of declaration (required) in the namespace of path. */
CIMXML_EXPORT char *CIMXMLencode_setQualifier(const CIMObjectPath *path, const CIMQualifierType *declaration,
                                              int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_getClass(const CIMObjectPath *classPath, int localOnly, int includeQualifiers,
                                          int includeClassOrigin, const CIMStringList *propertyList,
                                          int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_modifyClass(const CIMObjectPath *path, const CIMClass *modifiedClass,
                                             int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_createClass(const CIMObjectPath *path, const CIMClass *newClass,
                                             int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_getProperty(const CIMObjectPath *instancePath, const CIMString *propertyName,
                                             int withoutHeader);
/* SetProperty; newValue may be NULL (the property becomes NULL). */
CIMXML_EXPORT char *CIMXMLencode_setProperty(const CIMObjectPath *instancePath, const CIMString *propertyName,
                                             const CIMValue *newValue, int withoutHeader);
/* CreateInstance and DeleteInstance of the CIM_Namespace instance named nameSpace. */
CIMXML_EXPORT char *CIMXMLencode_createNamespace(const CIMString *nameSpace, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_deleteNamespace(const CIMString *nameSpace, int withoutHeader);

/* ---- Pulled enumerations ----
 * An open starts an enumeration and returns its first piece; each pull
 * returns the next, until a piece ends the sequence. The context a piece
 * names is the one to pull, count or close with next. nameSpacePath names
 * the target namespace (its class name is not read). */

/* What every open takes beside its own parameters; a NULL options sends
 * none of them and MaxObjectCount 0 (no object in the open's answer). A
 * NULL filter language and query are left out. */
typedef struct CIMXMLPullOptions {
    const CIMString *filterQueryLanguage; /* "DMTF:FQL" */
    const CIMString *filterQuery;
    int hasOperationTimeout; /* 0: the server's default */
    unsigned int operationTimeout;
    int continueOnError;
    unsigned int maxObjectCount;
    int returnQueryResultClass; /* OpenQueryInstances: ask for the results' class */
} CIMXMLPullOptions;

CIMXML_EXPORT char *CIMXMLencode_openEnumerateInstances(const CIMObjectPath *classPath, int includeClassOrigin,
                                                        const CIMStringList *propertyList,
                                                        const CIMXMLPullOptions *options, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_openEnumerateInstancePaths(const CIMObjectPath *classPath,
                                                            const CIMXMLPullOptions *options, int withoutHeader);
/* instancePath names the source instance (it must have keys). */
CIMXML_EXPORT char *CIMXMLencode_openReferenceInstances(const CIMObjectPath *instancePath, const CIMString *resultClass,
                                                        const CIMString *role, int includeClassOrigin,
                                                        const CIMStringList *propertyList,
                                                        const CIMXMLPullOptions *options, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_openReferenceInstancePaths(const CIMObjectPath *instancePath,
                                                            const CIMString *resultClass, const CIMString *role,
                                                            const CIMXMLPullOptions *options, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_openAssociatorInstances(const CIMObjectPath *instancePath,
                                                         const CIMString *assocClass, const CIMString *resultClass,
                                                         const CIMString *role, const CIMString *resultRole,
                                                         int includeClassOrigin, const CIMStringList *propertyList,
                                                         const CIMXMLPullOptions *options, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_openAssociatorInstancePaths(const CIMObjectPath *instancePath,
                                                             const CIMString *assocClass,
                                                             const CIMString *resultClass, const CIMString *role,
                                                             const CIMString *resultRole,
                                                             const CIMXMLPullOptions *options, int withoutHeader);
/* The query goes as FilterQueryLanguage and FilterQuery (the options' filter is not read). */
CIMXML_EXPORT char *CIMXMLencode_openQueryInstances(const CIMObjectPath *nameSpacePath, const CIMString *queryLanguage,
                                                    const CIMString *query, const CIMXMLPullOptions *options,
                                                    int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_pullInstancesWithPath(const CIMObjectPath *nameSpacePath, const CIMString *context,
                                                       unsigned int maxObjectCount, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_pullInstancePaths(const CIMObjectPath *nameSpacePath, const CIMString *context,
                                                   unsigned int maxObjectCount, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_pullInstances(const CIMObjectPath *nameSpacePath, const CIMString *context,
                                               unsigned int maxObjectCount, int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_closeEnumeration(const CIMObjectPath *nameSpacePath, const CIMString *context,
                                                  int withoutHeader);
CIMXML_EXPORT char *CIMXMLencode_enumerationCount(const CIMObjectPath *nameSpacePath, const CIMString *context,
                                                  int withoutHeader);

/* ---- Responses ---- */

/* Decodes a response text (any of the three forms above). Returns the
 * decoded message, which the caller releases with
 * CIMXMLdecode_releaseMessage, or NULL when the text is empty, has no body,
 * carries an HTTP status other than 200, is not a CIM-XML response or is
 * not well formed (the reason is logged and kept as the thread's last
 * error). reserved is not read. */
CIMXML_EXPORT MessageData *cimxml_decode_message(const char *response, void *reserved);
/* Releases a decoded message and everything it holds. NULL is ignored. */
CIMXML_EXPORT void CIMXMLdecode_releaseMessage(MessageData *message);

/* Single results: *result receives the found object (NULL on error); what
 * it held before is not freed. */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_createInstance(const char *response, CIMObjectPath **instancePath);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_getInstance(const char *response, CIMInstance **instance);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_getClass(const char *response, CIMClass **cimClass);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_getQualifier(const char *response, CIMQualifierType **declaration);
/* *value: the property's value as the response carries it (without a type
 * in the response: a string, or a string array); NULL for a NULL property. */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_getProperty(const char *response, CIMValue **value);
/* *outParameters: a new list of the output parameters (NULL when there are
 * none); *returnValue: the return value (NULL when there is none). */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_invokeMethod(const char *response, CIMPropertyList **outParameters,
                                                    CIMValue **returnValue);

/* Lists of results, appended to the caller's list. */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_enumerateInstanceNames(const char *response, CIMObjectPathList **paths);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_enumerateInstances(const char *response, CIMInstanceList **instances);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_enumerateClassNames(const char *response, CIMObjectPathList **classPaths);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_enumerateClasses(const char *response, CIMClassList **classes);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_enumerateQualifiers(const char *response,
                                                           CIMQualifierTypeList **declarations);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_associatorNames(const char *response, CIMObjectPathList **paths);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_referenceNames(const char *response, CIMObjectPathList **paths);
/* Objects: a class list (CIMLIST_CLASS) receives classes, an instance list
 * instances; a NULL list becomes a list of the kind the response holds. */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_execQuery(const char *response, CIMList **objects);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_associators(const char *response, CIMList **objects);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_references(const char *response, CIMList **objects);

/* Pieces of pulled enumerations: the objects are appended to *objects
 * (instances carry their paths, except those of a query); *endOfSequence
 * receives 1 when the piece is the last, else 0 and *context a new string,
 * the context to go on with (NULL once ended). A response without
 * EndOfSequence, or that goes on without a context, is status 1. */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_openEnumerateInstances(const char *response, CIMInstanceList **objects,
                                                              CIMString **context, int *endOfSequence);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_openEnumerateInstancePaths(const char *response, CIMObjectPathList **objects,
                                                                  CIMString **context, int *endOfSequence);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_openReferenceInstances(const char *response, CIMInstanceList **objects,
                                                              CIMString **context, int *endOfSequence);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_openReferenceInstancePaths(const char *response, CIMObjectPathList **objects,
                                                                  CIMString **context, int *endOfSequence);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_openAssociatorInstances(const char *response, CIMInstanceList **objects,
                                                               CIMString **context, int *endOfSequence);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_openAssociatorInstancePaths(const char *response, CIMObjectPathList **objects,
                                                                   CIMString **context, int *endOfSequence);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_openQueryInstances(const char *response, CIMInstanceList **objects,
                                                          CIMString **context, int *endOfSequence);
/* The QueryResultClass of an OpenQueryInstances response into *resultClass
 * (a new class the caller frees; NULL when the response has none). */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_queryResultClass(const char *response, CIMClass **resultClass);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_pullInstancesWithPath(const char *response, CIMInstanceList **objects,
                                                             CIMString **context, int *endOfSequence);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_pullInstancePaths(const char *response, CIMObjectPathList **objects,
                                                         CIMString **context, int *endOfSequence);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_pullInstances(const char *response, CIMInstanceList **objects,
                                                     CIMString **context, int *endOfSequence);
/* EnumerationCount: *count receives the number of objects left to pull. */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_enumerationCount(const char *response, unsigned long long *count);

/* ---- Lists as they arrive ----
 * A list reader decodes the answer of a list operation while its bytes
 * arrive and hands over each result as soon as its element ends; it keeps
 * nothing of the results it handed over, so its memory stays that of one
 * object however long the answer. Each result is the object the operation's
 * whole-text decoder above would append to its list, in the same order.
 * Give it the CIM-XML message only (the body of the HTTP answer, without
 * the HTTP header), in pieces of any size. Use: open, feed until the body
 * ends (or feed says stop), finish. Any thread may use a reader, one at a
 * time; a reader needs no particular place in memory. */
typedef struct CIMXMLListReader CIMXMLListReader;

/* The operations whose answers a list reader reads. */
typedef enum CIMXMLListOperation {
    CIMXML_LIST_ENUMERATE_INSTANCES,       /* instances (CIMLIST_INSTANCE) */
    CIMXML_LIST_ENUMERATE_INSTANCE_NAMES,  /* instance paths (CIMLIST_OBJECTPATH) */
    CIMXML_LIST_ENUMERATE_CLASSES,         /* classes (CIMLIST_CLASS) */
    CIMXML_LIST_ENUMERATE_CLASS_NAMES,     /* paths naming only a class (CIMLIST_OBJECTPATH) */
    CIMXML_LIST_ASSOCIATORS,               /* instances, or classes when the first result is a class */
    CIMXML_LIST_ASSOCIATOR_NAMES,          /* paths */
    CIMXML_LIST_REFERENCES,                /* instances, or classes when the first result is a class */
    CIMXML_LIST_REFERENCE_NAMES,           /* paths */
    CIMXML_LIST_EXEC_QUERY,                /* instances, or classes when the first result is a class */
    /* No operation: makes every int a value of the type in C++ too, so that
     * an unknown one is refused, never undefined. */
    CIMXML_LIST_OPERATION_LIMIT = 0x7fffffff
} CIMXMLListOperation;

/* Receives one result. kind is CIMLIST_INSTANCE (object is a CIMInstance),
 * CIMLIST_CLASS (a CIMClass) or CIMLIST_OBJECTPATH (a CIMObjectPath); the
 * object becomes the callback's, to free with freeCIMInstance, freeCIMClass
 * or freeCIMObjectPath. Return 0 to go on; any other value stops the reader
 * (feed then says stop, and finish reports it). */
typedef int (*CIMXMLListCallback)(void *context, int kind, void *object);

/* Opens a reader of the answer to operation that hands each result to
 * callback with context (both stay the caller's and must outlive the
 * reader). Returns the reader, which the caller must end with
 * CIMXMLdecode_finishListReader, or NULL for an unknown operation, a NULL
 * callback or exhausted memory (logged). */
CIMXML_EXPORT CIMXMLListReader *CIMXMLdecode_openListReader(CIMXMLListOperation operation,
                                                            CIMXMLListCallback callback, void *context);

/* Decodes the next length bytes of the message (bytes stays the caller's;
 * the callback runs for every result they complete). Returns 0 while the
 * reader goes on; 1 once it has stopped: the message is not well formed,
 * answers another operation, holds results of the wrong kind, or the
 * callback stopped it (what finish will report). Bytes fed after a stop are
 * ignored. A NULL reader returns 1. */
CIMXML_EXPORT int CIMXMLdecode_feedListReader(CIMXMLListReader *reader, const char *bytes, size_t length);

/* Ends the message, frees the reader and returns the operation's outcome as
 * a new ReturnCode (freed with freeReturnCode, never NULL): when lateStatus
 * is not 0 (a failure the server reported after the message began, as the
 * CIMStatusCode trailer of a chunked answer does), that status with
 * lateDescription (UTF-8, may be NULL); else the reader's failure (status
 * 1, "CIMXMLdecode_... - failed; why"; a message that ended early is not
 * well formed); else the server's ERROR; else 0. Results already handed to
 * the callback stay the callback's whatever the outcome. A NULL reader
 * gives status 1. */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_finishListReader(CIMXMLListReader *reader, int lateStatus,
                                                        const char *lateDescription);

/* Status only: the operation's outcome. */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_closeEnumeration(const char *response);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_deleteInstance(const char *response);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_modifyInstance(const char *response);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_deleteClass(const char *response);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_modifyClass(const char *response);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_createClass(const char *response);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_deleteQualifier(const char *response);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_setQualifier(const char *response);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_setProperty(const char *response);
CIMXML_EXPORT ReturnCode *CIMXMLdecode_exportIndication(const char *response);

/* ---- Listening ----
 * Decodes an export request an indication listener received (the whole
 * HTTP text, or the message alone): an EXPMETHODCALL "ExportIndication"
 * whose parameter NewIndication holds an instance. Returns status 0 with
 * *indication the caller's new instance and *messageId the request's
 * MESSAGE ID (collected heap: GC_free or leave it); otherwise a status
 * saying why (1 a text that is no well-formed CIM-XML export request, 7
 * another export method, 4 no NewIndication instance), with both out
 * arguments NULL. The caller frees the ReturnCode. */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_exportRequest(const char *request, CIMInstance **indication, char **messageId);

/* The CIM-XML message a listener answers an export request with, without
 * the HTTP header (which carries "CIMExport: MethodResponse"): MESSAGE with
 * the request's ID (a fresh one when messageId is NULL), SIMPLEEXPRSP and
 * EXPMETHODRESPONSE "ExportIndication", holding the ERROR of status when its
 * code is not 0. A text from the collected heap, as the encoders' are;
 * NULL when memory is exhausted. The status is only read and may be NULL
 * (success). */
CIMXML_EXPORT char *CIMXMLencode_exportResponse(const char *messageId, const ReturnCode *status);

#ifdef __cplusplus
}
#endif

#endif
