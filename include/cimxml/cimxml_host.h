/* cimxml_host.h - what the strict profile offers a host beside the three
 * functions and the handle table, and what it asks of one: answers written
 * in pieces through a sink the host gives, and enumerations the object
 * manager hands over in batches, so that neither side holds a whole large
 * answer. A host that uses none of this is served exactly as before. */
#ifndef CIMXML_CIMXML_HOST_H
#define CIMXML_CIMXML_HOST_H

#include "cimxml_export.h"

#include <stddef.h>

#include "cimom_handle.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Enumerations in batches (the host's side) ---- */

/* Takes one batch (the callee owns the list); returns 0 to go on, nonzero
 * to stop the enumeration (which then ends with success). */
typedef int (*CIMXMLInstanceBatch)(void *context, CIMInstanceList *batch);
typedef int (*CIMXMLPathBatch)(void *context, CIMObjectPathList *batch);
/* A batch of classes or instances (a CIMList of either). */
typedef int (*CIMXMLObjectBatch)(void *context, CIMList *batch);

/* ---- Pulled enumerations (the host's side) ---- */

/* What the pieces of an enumeration hold. */
enum {
    CIMXML_PULLED_INSTANCES_WITH_PATH = 0, /* instances carrying their paths */
    CIMXML_PULLED_INSTANCE_PATHS = 1,      /* instance paths */
    CIMXML_PULLED_INSTANCES = 2            /* query results */
};
/* Where an enumeration's results come from. */
enum {
    CIMXML_PULL_ENUMERATION = 0, /* the instances of a class and its subclasses */
    CIMXML_PULL_ASSOCIATORS = 1,
    CIMXML_PULL_REFERENCES = 2,
    CIMXML_PULL_QUERY = 3
};

/* An open request as the module decoded it; everything is lent for the
 * call. path: the namespace with the class (enumeration), the source
 * instance (associations) or the namespace alone (query). A NULL string is
 * an absent parameter. For a query the filter fields hold the query. */
typedef struct CIMXMLOpenEnumeration {
    int source;
    int kind;
    CIMObjectPath *path;
    const CIMString *assocClass, *resultClass, *role, *resultRole;
    int includeClassOrigin;
    CIMStringList *propertyList; /* NULL: every property */
    const CIMString *filterQueryLanguage, *filterQuery;
    int returnQueryResultClass;
    int hasOperationTimeout; /* 0: the server's default */
    unsigned int operationTimeout;
    int continueOnError;
    unsigned int maxObjectCount;
} CIMXMLOpenEnumeration;

/* One piece, filled by the host: the caller frees each member it finds
 * set. objects: a CIMInstanceList (each instance with its path) or a
 * CIMObjectPathList; enumerationContext: NULL once the sequence ended;
 * queryResultClass: the class of an open query's results, set only on the
 * open's piece when the request asked for it (returnQueryResultClass). */
typedef struct CIMXMLPulledPiece {
    CIMList *objects;
    CIMString *enumerationContext;
    int endOfSequence;
    CIMClass *queryResultClass;
} CIMXMLPulledPiece;

/* Slots the host fills and registers with CIMXML_setHostExtensions; a NULL
 * slot is served by the handle table's whole-list slot. size is
 * sizeof(CIMXMLHostExtensions) as the host was built, so that slots added
 * later are known to be absent from an older host. Each slot gives the
 * results of the handle slot of the same name, in the same order, in
 * batches of at most batchSize to deliver (called on the calling thread),
 * and returns the status the handle slot would: a failure after some
 * batches comes after them. */
typedef struct CIMXMLHostExtensions {
    size_t size;
    ReturnCode *(*enumerateInstancesInBatches)(CIMObjectPath *path, int localOnly, int deepInheritance,
                                               int includeQualifiers, int includeClassOrigin,
                                               CIMStringList *propertyList, size_t batchSize,
                                               CIMXMLInstanceBatch deliver, void *context);
    ReturnCode *(*enumerateInstanceNamesInBatches)(CIMObjectPath *path, size_t batchSize, CIMXMLPathBatch deliver,
                                                   void *context);
    /* The pull operations, on behalf of the user the host authenticated
     * for the request. Each returns the CIM status (never NULL); on a
     * failure the piece is left empty. path carries the target namespace.
     * A NULL slot answers the operation with CIM_ERR_NOT_SUPPORTED. */
    ReturnCode *(*openEnumeration)(const CIMXMLOpenEnumeration *request, CIMXMLPulledPiece *piece);
    ReturnCode *(*pullEnumeration)(CIMObjectPath *path, const CIMString *context, int kind,
                                   unsigned int maxObjectCount, CIMXMLPulledPiece *piece);
    ReturnCode *(*closeEnumeration)(CIMObjectPath *path, const CIMString *context);
    ReturnCode *(*enumerationCount)(CIMObjectPath *path, const CIMString *context, unsigned long long *count);
    /* The association operations and ExecQuery, as the handle slots of the
     * same names take their arguments (a NULL filter string is absent). */
    ReturnCode *(*associatorsInBatches)(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass,
                                        CIMString *role, CIMString *resultRole, int includeQualifiers,
                                        int includeClassOrigin, CIMStringList *propertyList, size_t batchSize,
                                        CIMXMLObjectBatch deliver, void *context);
    ReturnCode *(*associatorNamesInBatches)(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass,
                                            CIMString *role, CIMString *resultRole, size_t batchSize,
                                            CIMXMLPathBatch deliver, void *context);
    ReturnCode *(*referencesInBatches)(CIMObjectPath *path, CIMString *resultClass, CIMString *role,
                                       int includeQualifiers, int includeClassOrigin, CIMStringList *propertyList,
                                       size_t batchSize, CIMXMLObjectBatch deliver, void *context);
    ReturnCode *(*referenceNamesInBatches)(CIMObjectPath *path, CIMString *resultClass, CIMString *role,
                                           size_t batchSize, CIMXMLPathBatch deliver, void *context);
    ReturnCode *(*execQueryInBatches)(CIMObjectPath *path, CIMString *query, CIMString *queryLanguage,
                                      size_t batchSize, CIMXMLInstanceBatch deliver, void *context);
} CIMXMLHostExtensions;

/* Registers the host's extensions (copied; NULL removes them). Call before
 * the first request. Returns 1 when the module uses them (strict profile),
 * 0 when it does not. */
CIMXML_EXPORT int CIMXML_setHostExtensions(const CIMXMLHostExtensions *extensions);

/* ---- Answers in pieces (the module's side) ---- */

/* Where the module writes one answer. begin is called once, before the
 * first piece, with the HTTP header lines ("Name: value" and CRLF each,
 * without the empty line that ends them) and the CIM status the answer
 * carries as far as it is known then (0 while it goes well). write gives
 * the document's bytes in order. Both return 0 to go on; nonzero means the
 * host can take no more (its client is gone): the module writes nothing
 * more and finishes the operation quietly.
 *
 * restart is called when the operation fails after pieces were given: it
 * returns 0 when the host can still forget them (nothing was sent yet),
 * and the module then begins again with the whole error answer; nonzero
 * when they are sent, and the failure is then reported in the end record
 * for the host to send in trailers. */
typedef struct CIMXMLAnswerSink {
    void *context;
    int (*begin)(void *context, const char *header, size_t headerLength, int status);
    int (*write)(void *context, const char *bytes, size_t length);
    int (*restart)(void *context);
} CIMXMLAnswerSink;

/* How a streamed answer ended: status 0 when the document given is whole
 * and carries its own status; otherwise the CIM status and description
 * (UTF-8, lent until the next call on this thread) of a failure after the
 * pieces were sent, which the document given does not tell. */
typedef struct CIMXMLAnswerEnd {
    int lateStatus;
    const char *lateDescription;
} CIMXMLAnswerEnd;

/* Answers request (as CIMXML_RequestMessage_Handler does) through sink:
 * the bytes given to begin and write, joined with an empty line between
 * header and document, are exactly the text the whole answer would have,
 * unless end reports a late failure. Pieces are at least a few tens of
 * kilobytes, except the last. Returns 1 with end filled; 0 when the
 * module does not stream (classic profile, NULL arguments): nothing was
 * called, and the host uses the three functions. */
CIMXML_EXPORT int CIMXML_answerInPieces(const char *request, CIMOMHandle *handle,
                                             const CIMXMLAnswerSink *sink, CIMXMLAnswerEnd *end);

#ifdef __cplusplus
}
#endif

#endif
