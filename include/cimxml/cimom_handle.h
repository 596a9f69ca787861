/* cimom_handle.h - the CIMOM handle: the host's table of object-manager
 * operations that the module calls, one function pointer per slot.
 *
 * Every slot the module calls returns a ReturnCode (never NULL; status 0 is
 * success) which the module frees. Arguments are lent: they stay the module's
 * and are freed by it after the call, so the object manager copies what it
 * keeps. Results come back through the last argument and pass to the module,
 * which frees them after writing the response. Booleans are ints (0 or not).
 * The host may leave slots it does not serve NULL; slots 0-3 and 16 are the
 * host's own and never called. */
#ifndef CIMXML_CIMOM_HANDLE_H
#define CIMXML_CIMOM_HANDLE_H

#include <cimobj/cimobj.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct CIMOMHandle {
    void *reserved0;
    void *reserved1;
    void *reserved2;
    void *reserved3;
    /* 4 */ ReturnCode *(*pfn_enumerateClassNames)(CIMObjectPath *path, int deepInheritance,
                                                  CIMObjectPathList **classPaths);
    /* 5 */ ReturnCode *(*pfn_enumerateClasses)(CIMObjectPath *path, int deepInheritance,
                                               int localOnly, int includeQualifiers,
                                               int includeClassOrigin, CIMClassList **classes);
    /* 6: the path's class-name member holds the qualifier name */
    ReturnCode *(*pfn_deleteQualifier)(CIMObjectPath *path);
    /* 7 */ ReturnCode *(*pfn_getQualifier)(CIMString *nameSpace, CIMString *qualifierName,
                                           CIMQualifierType **declaration);
    /* 8 */ ReturnCode *(*pfn_setQualifier)(CIMObjectPath *path, CIMQualifierType *declaration);
    /* 9 */ ReturnCode *(*pfn_enumerateQualifiers)(CIMObjectPath *path,
                                                  CIMQualifierTypeList **declarations);
    /* 10 */ ReturnCode *(*pfn_createClass)(CIMObjectPath *path, CIMClass *newClass);
    /* 11 */ ReturnCode *(*pfn_deleteClass)(CIMObjectPath *path);
    /* 12: propertyList NULL means no restriction */
    ReturnCode *(*pfn_getClass)(CIMObjectPath *path, int localOnly, int includeQualifiers,
                                int includeClassOrigin, CIMStringList *propertyList,
                                CIMClass **cimClass);
    /* 13 */ ReturnCode *(*pfn_modifyClass)(CIMObjectPath *path, CIMClass *modifiedClass);
    /* 14 */ ReturnCode *(*pfn_getProperty)(CIMObjectPath *instancePath, CIMString *propertyName,
                                            CIMValue **value);
    /* 15: newValue may be NULL */
    ReturnCode *(*pfn_setProperty)(CIMObjectPath *instancePath, CIMString *propertyName,
                                   CIMValue *newValue);
    void *reserved16;
    /* 17 */ ReturnCode *(*pfn_setInstance)(CIMObjectPath *path, CIMInstance *instance,
                                            int includeQualifiers, CIMStringList *propertyList);
    /* 18 */ ReturnCode *(*pfn_createInstance)(CIMObjectPath *path, CIMInstance *instance,
                                               CIMObjectPath **newPath);
    /* 19 */ ReturnCode *(*pfn_deleteInstance)(CIMObjectPath *instancePath);
    /* 20 */ ReturnCode *(*pfn_enumerateInstances)(CIMObjectPath *path, int localOnly,
                                                   int deepInheritance, int includeQualifiers,
                                                   int includeClassOrigin,
                                                   CIMStringList *propertyList,
                                                   CIMInstanceList **instances);
    /* 21 */ ReturnCode *(*pfn_enumerateInstanceNames)(CIMObjectPath *path,
                                                       CIMObjectPathList **instancePaths);
    /* 22 */ ReturnCode *(*pfn_getInstance)(CIMObjectPath *instancePath, int localOnly,
                                            int includeQualifiers, int includeClassOrigin,
                                            CIMStringList *propertyList, CIMInstance **instance);
    /* 23: the result is a list of classes (CIMLIST_CLASS) or instances */
    ReturnCode *(*pfn_execQuery)(CIMObjectPath *path, CIMString *query, CIMString *queryLanguage,
                                 CIMList **objects);
    /* 24: inParameters is lent; outParameters is an empty list to fill */
    ReturnCode *(*pfn_invokeMethod)(CIMObjectPath *path, CIMString *methodName,
                                    CIMPropertyList *inParameters,
                                    CIMPropertyList *outParameters, CIMValue **returnValue);
    /* 25: string filters may be NULL; the result lists classes or instances */
    ReturnCode *(*pfn_associators)(CIMObjectPath *path, CIMString *assocClass,
                                   CIMString *resultClass, CIMString *role,
                                   CIMString *resultRole, int includeQualifiers,
                                   int includeClassOrigin, CIMStringList *propertyList,
                                   CIMList **objects);
    /* 26 */ ReturnCode *(*pfn_associatorNames)(CIMObjectPath *path, CIMString *assocClass,
                                                CIMString *resultClass, CIMString *role,
                                                CIMString *resultRole, CIMList **paths);
    /* 27 */ ReturnCode *(*pfn_references)(CIMObjectPath *path, CIMString *resultClass,
                                           CIMString *role, int includeQualifiers,
                                           int includeClassOrigin, CIMStringList *propertyList,
                                           CIMList **objects);
    /* 28 */ ReturnCode *(*pfn_referenceNames)(CIMObjectPath *path, CIMString *resultClass,
                                               CIMString *role, CIMObjectPathList **paths);
    /* 29: delivery of an exported indication. path carries the namespace the
     * export request named (may be NULL). Optional: NULL means the module
     * answers the export without delivering it. */
    ReturnCode *(*pfn_deliverIndication)(CIMObjectPath *path, CIMInstance *indication);
} CIMOMHandle;

#ifdef __cplusplus
}
#endif

#endif
