// typed_lists.cpp - the typed forms of the generic list. A typed call on a
// list that holds another kind of item finds nothing and takes nothing, so a
// mix-up never hands out an item as the wrong record.
#include "internal.h"

namespace {

// True when a list of listType may hold items of kind.
bool holdsKind(const CIMList *list, int kind) {
    int listKind = cimobj::listItemKind(getListType(list));
    return listKind == kind || listKind == CIMLIST_POINTER;
}

}  // namespace

#define CIMOBJ_DEFINE_TYPED_LIST(X, Item, LISTTYPE)                                  \
    CIM##X##List *newCIM##X##List(void) { return newList(LISTTYPE); }                \
    ReturnCode *appendToCIM##X##List(CIM##X##List *list, Item *item) {               \
        if (list && !holdsKind(list, cimobj::listItemKind(LISTTYPE)))                \
            return cimobj::statusWithText(4, "appendToCIM" #X "List: wrong list type"); \
        return appendToList(list, item);                                             \
    }                                                                                \
    Item *getCIM##X##At(const CIM##X##List *list, int index) {                       \
        if (!holdsKind(list, cimobj::listItemKind(LISTTYPE))) return nullptr;        \
        return static_cast<Item *>(getElementAt(list, index));                       \
    }                                                                                \
    int getCIM##X##ListLength(const CIM##X##List *list) { return getLength(list); }  \
    int isEmptyCIM##X##List(const CIM##X##List *list) {                              \
        return getLength(list) == 0 ? 1 : 0;                                         \
    }                                                                                \
    CIMListNode *getFirstCIM##X(const CIM##X##List *list) {                          \
        return holdsKind(list, cimobj::listItemKind(LISTTYPE)) ? getFirstNode(list)  \
                                                               : nullptr;           \
    }                                                                                \
    CIMListNode *getLastCIM##X(const CIM##X##List *list) {                           \
        return holdsKind(list, cimobj::listItemKind(LISTTYPE)) ? getLastNode(list)   \
                                                               : nullptr;           \
    }                                                                                \
    CIMListNode *getNextCIM##X(const CIMListNode *node) { return getNextNode(node); } \
    Item *getCurrentCIM##X(const CIMListNode *node) {                                \
        return static_cast<Item *>(getNodeItem(node));                               \
    }                                                                                \
    CIM##X##List *copyCIM##X##List(const CIM##X##List *list) { return copyList(list); } \
    void freeCIM##X##List(CIM##X##List *list) { freeList(list); }

extern "C" {

CIMOBJ_DEFINE_TYPED_LIST(String, CIMString, CIMLIST_STRING)
CIMOBJ_DEFINE_TYPED_LIST(Value, CIMValue, CIMLIST_VALUE)
CIMOBJ_DEFINE_TYPED_LIST(Property, CIMProperty, CIMLIST_PROPERTY)
CIMOBJ_DEFINE_TYPED_LIST(Qualifier, CIMQualifier, CIMLIST_QUALIFIER)
CIMOBJ_DEFINE_TYPED_LIST(QualifierType, CIMQualifierType, CIMLIST_QUALIFIERTYPE)
CIMOBJ_DEFINE_TYPED_LIST(Method, CIMMethod, CIMLIST_METHOD)
CIMOBJ_DEFINE_TYPED_LIST(Class, CIMClass, CIMLIST_CLASS)
CIMOBJ_DEFINE_TYPED_LIST(Instance, CIMInstance, CIMLIST_INSTANCE)
CIMOBJ_DEFINE_TYPED_LIST(ObjectPath, CIMObjectPath, CIMLIST_OBJECTPATH)

}  // extern "C"
