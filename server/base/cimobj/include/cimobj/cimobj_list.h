/* cimobj_list.h - the generic list and its typed forms.
 *
 * A list keeps insertion order; appending and reaching the last node are O(1),
 * index access (the ...At getters and getElementAt) is O(1). A list owns its
 * items (frees and copies them by its list type), except a CIMLIST_POINTER
 * list, whose items are borrowed. Nodes stay valid until their item is removed
 * or the list is freed. A list is not locked: threads that share one (such
 * as a process-wide list of borrowed records) serialise their calls.
 * Lists live in ordinary memory, which the collector does not scan: never
 * keep the only pointer to a collected block in a list. */
#ifndef CIMOBJ_LIST_H
#define CIMOBJ_LIST_H

#include "cimobj_types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Generic operations, for every list type ---- */

/* New empty list of a CIMLIST_ type; NULL for an unknown type or no memory. */
CIMList *newList(int listType);
/* Appends item (on success the list takes it, unless the list type is
 * CIMLIST_POINTER). Status 0, or 4 for a NULL list or item, 1 when memory is
 * exhausted (in both failure cases nothing is taken). */
ReturnCode *appendToList(CIMList *list, void *item);
/* Removes the first node holding item, without freeing the item.
 * Returns 1 when a node was removed, else 0. O(length). */
int removeFromList(CIMList *list, const void *item);
/* The list type; -1 for NULL. */
int getListType(const CIMList *list);
/* Number of items; 0 for NULL. */
int getLength(const CIMList *list);
/* Item at index (from 0), lent; NULL out of range. */
void *getElementAt(const CIMList *list, int index);
/* Deep copy (items copied by the list type; borrowed items shared). */
CIMList *copyList(const CIMList *list);
/* Frees the list and, unless CIMLIST_POINTER, its items. */
void freeList(CIMList *list);
CIMListNode *getFirstNode(const CIMList *list);
CIMListNode *getLastNode(const CIMList *list);
CIMListNode *getNextNode(const CIMListNode *node);
void *getNodeItem(const CIMListNode *node);

/* ---- Typed forms ----
 * For each item type X below the library has:
 *   CIMXList   *newCIMXList(void);
 *   ReturnCode *appendToCIMXList(CIMXList *list, X *item);   takes item on success
 *   X          *getCIMXAt(const CIMXList *list, int index);  lent
 *   int         getCIMXListLength(const CIMXList *list);
 *   int         isEmptyCIMXList(const CIMXList *list);       1 for NULL or empty
 *   CIMListNode *getFirstCIMX(const CIMXList *list);
 *   CIMListNode *getLastCIMX(const CIMXList *list);
 *   CIMListNode *getNextCIMX(const CIMListNode *node);       NULL at the end
 *   X          *getCurrentCIMX(const CIMListNode *node);     the node's item, lent
 *   CIMXList   *copyCIMXList(const CIMXList *list);
 *   void        freeCIMXList(CIMXList *list);                frees the items too
 * with X = String, Value, Property, Qualifier, QualifierType, Method, Class,
 * Instance, ObjectPath (items CIMString, CIMValue, CIMProperty, CIMQualifier,
 * CIMQualifierType, CIMMethod, CIMClass, CIMInstance, CIMObjectPath).
 * A typed call on a list holding another kind of item (a qualifier list and
 * a qualifier declaration list hold the same kind) finds nothing: the ...At,
 * getFirst and getLast forms give NULL and the append gives status 4 without
 * taking the item. A CIMLIST_POINTER list answers every typed form. */
#define CIMOBJ_DECLARE_TYPED_LIST(X, Item)                                    \
    CIM##X##List *newCIM##X##List(void);                                      \
    ReturnCode *appendToCIM##X##List(CIM##X##List *list, Item *item);         \
    Item *getCIM##X##At(const CIM##X##List *list, int index);                 \
    int getCIM##X##ListLength(const CIM##X##List *list);                      \
    int isEmptyCIM##X##List(const CIM##X##List *list);                        \
    CIMListNode *getFirstCIM##X(const CIM##X##List *list);                    \
    CIMListNode *getLastCIM##X(const CIM##X##List *list);                     \
    CIMListNode *getNextCIM##X(const CIMListNode *node);                      \
    Item *getCurrentCIM##X(const CIMListNode *node);                          \
    CIM##X##List *copyCIM##X##List(const CIM##X##List *list);                 \
    void freeCIM##X##List(CIM##X##List *list);

CIMOBJ_DECLARE_TYPED_LIST(String, CIMString)
CIMOBJ_DECLARE_TYPED_LIST(Value, CIMValue)
CIMOBJ_DECLARE_TYPED_LIST(Property, CIMProperty)
CIMOBJ_DECLARE_TYPED_LIST(Qualifier, CIMQualifier)
CIMOBJ_DECLARE_TYPED_LIST(QualifierType, CIMQualifierType)
CIMOBJ_DECLARE_TYPED_LIST(Method, CIMMethod)
CIMOBJ_DECLARE_TYPED_LIST(Class, CIMClass)
CIMOBJ_DECLARE_TYPED_LIST(Instance, CIMInstance)
CIMOBJ_DECLARE_TYPED_LIST(ObjectPath, CIMObjectPath)

#ifdef __cplusplus
}
#endif

#endif
