/* provider.h - the interface of providers that cimxmld loads as shared
 * libraries: a class's instances, associations, methods or indications
 * served by code of your own, in the server's process.
 *
 * A provider library exports one function, cimxml_provider_table, that
 * returns its table of entry points. cimxmld loads the library named by a
 * registration (see the README's providers section), checks the table's
 * version, calls start once and then the entry points of the kinds it is
 * registered for, and stop once before it unloads it.
 *
 * Versions: a table or broker of version N has every member of versions
 * 1..N; later versions only add members at the end. cimxmld refuses a table
 * whose version is newer than its own.
 *
 * Threads: the entry points are called from many threads at once (start
 * and stop alone, with no other call running); a provider guards what its
 * calls share. It may call the broker from any thread, its own too.
 *
 * Ownership: every argument is lent for the call and stays the server's.
 * What a provider hands to results (instances, paths, values) is taken:
 * the server frees it, with the object library's free functions. The
 * object library (cimobj/cimobj.h, libcimobj.so) makes and reads them.
 *
 * Results: an entry point returns 0 for success or a CIM status code
 * (CIM_ERR_NOT_FOUND 6, ...), after results->message for its text. The
 * instances of an enumeration go on to the client in batches while the
 * provider makes them, so a provider need not hold them all. A results
 * function that returns nonzero wants no more (a second instance for
 * GetInstance, a client that went away): the provider should then return. */
#ifndef CIMXML_PROVIDER_H
#define CIMXML_PROVIDER_H

#include <cimobj/cimobj.h>
#include <cimxml/cimom_handle.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CIMXML_PROVIDER_VERSION 1

/* What one call is about. */
typedef struct CIMXMLProviderCall {
    const char *nameSpace;          /* UTF-8 */
    const CIMClass *cimClass;       /* the class called for, with its inherited members */
    const char *const *properties;  /* the properties the client asked for, NULL-ended;
                                       NULL: all. A hint: returning more is fine. For
                                       ModifyInstance: the ones to change. */
} CIMXMLProviderCall;

/* Where a call's results go; the server's. */
typedef struct CIMXMLProviderResults {
    /* Takes an instance (of call->cimClass); nonzero: no more are wanted. */
    int (*instance)(struct CIMXMLProviderResults *self, CIMInstance *instance);
    /* Takes a path: the new instance's of CreateInstance. */
    int (*path)(struct CIMXMLProviderResults *self, CIMObjectPath *path);
    /* Takes a method's return value (name NULL) or an output parameter. */
    int (*value)(struct CIMXMLProviderResults *self, const char *name, CIMValue *value);
    /* The text of a failure (copied), before returning its status. */
    void (*message)(struct CIMXMLProviderResults *self, const char *text);
} CIMXMLProviderResults;

/* What the server offers its providers; lent for the provider's life. */
typedef struct CIMXMLProviderBroker {
    unsigned version; /* CIMXML_PROVIDER_VERSION of the server */
    /* The object manager, as the CIM-XML module calls it: classes,
     * instances (the repository's and other providers'), methods. */
    const CIMOMHandle *cimom;
    /* Writes one line to the server's log: level 0 error .. 3 debug. */
    void (*log)(const struct CIMXMLProviderBroker *self, int level, const char *text);
    /* Hands an indication (taken) made in nameSpace to the subscriptions
     * whose filters select it; its class derives from CIM_InstCreation,
     * CIM_InstModification, CIM_InstDeletion or CIM_AlertIndication.
     * Returns 0, or a status: 4 for another class. Never waits for a
     * listener. */
    int (*deliverIndication)(const struct CIMXMLProviderBroker *self, const char *nameSpace,
                             CIMInstance *indication);
    void *server; /* the server's own */
} CIMXMLProviderBroker;

typedef struct CIMXMLProvider {
    unsigned version; /* CIMXML_PROVIDER_VERSION the provider was built with */
    /* Once, first: *self receives the provider's state, passed to every
     * other entry point. 0, or a status that leaves the provider out. */
    int (*start)(const CIMXMLProviderBroker *broker, void **self);
    /* Once, last. */
    void (*stop)(void *self);
    /* Instances of call->cimClass (not of subclasses). Entry points a
     * provider leaves NULL answer CIM_ERR_NOT_SUPPORTED; without
     * enumerateInstanceNames the names come from enumerateInstances. */
    int (*enumerateInstanceNames)(void *self, const CIMXMLProviderCall *call, CIMXMLProviderResults *results);
    int (*enumerateInstances)(void *self, const CIMXMLProviderCall *call, CIMXMLProviderResults *results);
    int (*getInstance)(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *path,
                       CIMXMLProviderResults *results);
    int (*createInstance)(void *self, const CIMXMLProviderCall *call, const CIMInstance *instance,
                          CIMXMLProviderResults *results);
    int (*modifyInstance)(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *path,
                          const CIMInstance *instance, CIMXMLProviderResults *results);
    int (*deleteInstance)(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *path,
                          CIMXMLProviderResults *results);
    /* An association provider: the instances of the association class
     * call->cimClass that refer to object (through the reference property
     * role, when not NULL); the server follows their other references. */
    int (*references)(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *object, const char *role,
                      CIMXMLProviderResults *results);
    /* A method of call->cimClass on target (a class or an instance path);
     * in holds the input parameters in their declared types. */
    int (*invokeMethod)(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *target,
                        const CIMMethod *method, const CIMPropertyList *in, CIMXMLProviderResults *results);
    /* Reserved for indication providers, to learn when a subscription
     * starts (or stops) wanting indications of call->cimClass; this server
     * does not call them yet. A provider sends its indications with
     * broker->deliverIndication at any time. */
    int (*enableIndications)(void *self, const CIMXMLProviderCall *call);
    int (*disableIndications)(void *self, const CIMXMLProviderCall *call);
} CIMXMLProvider;

/* The one symbol a provider library exports. */
typedef const CIMXMLProvider *(*CIMXMLProviderTableFunction)(void);
#define CIMXML_PROVIDER_TABLE_SYMBOL "cimxml_provider_table"

#ifdef __cplusplus
}
#endif

#endif
