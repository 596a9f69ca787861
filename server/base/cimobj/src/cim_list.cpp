// cim_list.cpp - the generic list: linked nodes (stable while their item
// stays) plus an index of the nodes for constant-time access by position.
// Nodes come from chunks the list owns, so that a list of n items is a
// handful of blocks, not n.
#include <cstring>

#include "internal.h"

struct CIMListNode {
    void *item;
    CIMListNode *next;
};

namespace {

// A block of nodes; the newest chunk is the list's, the older ones chain
// behind it.
struct NodeChunk {
    NodeChunk *older;
    int used;
    int capacity;
    CIMListNode nodes[1];
};

// Nodes per chunk: the first chunk is small (most lists are short), later
// ones double up to a bound.
constexpr int kFirstChunkNodes = 4;
constexpr int kLargestChunkNodes = 1024;

}  // namespace

struct CIMList {
    int type;
    int length;
    int capacity;          // slots of index
    CIMListNode **index;   // index[i] is the i-th node
    CIMListNode *first;
    CIMListNode *last;
    NodeChunk *chunks;     // where the nodes live
    CIMListNode *spares;   // nodes of removed items, for reuse
};

namespace cimobj {

int listItemKind(int listType) {
    switch (listType) {
    case CIMLIST_QUALIFIERTYPE: return CIMLIST_QUALIFIER;
    case CIMLIST_CLASS:
    case CIMLIST_PROPERTY:
    case CIMLIST_INSTANCE:
    case CIMLIST_OBJECTPATH:
    case CIMLIST_QUALIFIER:
    case CIMLIST_METHOD:
    case CIMLIST_VALUE:
    case CIMLIST_STRING:
    case CIMLIST_RETURNCODE:
    case CIMLIST_POINTER: return listType;
    default: return -1;
    }
}

void freeListItem(int kind, void *item) {
    switch (kind) {
    case CIMLIST_CLASS: freeCIMClass(static_cast<CIMClass *>(item)); break;
    case CIMLIST_PROPERTY: freeCIMProperty(static_cast<CIMProperty *>(item)); break;
    case CIMLIST_INSTANCE: freeCIMInstance(static_cast<CIMInstance *>(item)); break;
    case CIMLIST_OBJECTPATH: freeCIMObjectPath(static_cast<CIMObjectPath *>(item)); break;
    case CIMLIST_QUALIFIER: freeCIMQualifier(static_cast<CIMQualifier *>(item)); break;
    case CIMLIST_METHOD: freeMethod(static_cast<CIMMethod *>(item)); break;
    case CIMLIST_VALUE: freeCIMValue(static_cast<CIMValue *>(item)); break;
    case CIMLIST_STRING: freeCIMString(static_cast<CIMString *>(item)); break;
    case CIMLIST_RETURNCODE: freeReturnCode(static_cast<ReturnCode *>(item)); break;
    default: break;  // borrowed items
    }
}

}  // namespace cimobj

namespace {

void *copyItem(int kind, const void *item) {
    switch (kind) {
    case CIMLIST_CLASS: return copyCIMClass(static_cast<const CIMClass *>(item));
    case CIMLIST_PROPERTY: return copyCIMProperty(static_cast<const CIMProperty *>(item));
    case CIMLIST_INSTANCE: return copyCIMInstance(static_cast<const CIMInstance *>(item));
    case CIMLIST_OBJECTPATH: return copyObjectPath(static_cast<const CIMObjectPath *>(item));
    case CIMLIST_QUALIFIER: return copyCIMQualifier(static_cast<const CIMQualifier *>(item));
    case CIMLIST_METHOD: return copyMethod(static_cast<const CIMMethod *>(item));
    case CIMLIST_VALUE: return copyCIMValue(static_cast<const CIMValue *>(item));
    case CIMLIST_STRING: return copyCIMString(static_cast<const CIMString *>(item));
    case CIMLIST_RETURNCODE: return copyReturnCode(static_cast<const ReturnCode *>(item));
    default: return const_cast<void *>(item);
    }
}

// Makes room for one more node in the index (geometric growth).
bool reserveSlot(CIMList *list) {
    if (list->length < list->capacity) return true;
    if (list->capacity > (1 << 29)) return false;
    int capacity = list->capacity ? list->capacity * 2 : 8;
    auto *grown = static_cast<CIMListNode **>(
        std::realloc(list->index, static_cast<size_t>(capacity) * sizeof(CIMListNode *)));
    if (!grown) return false;
    list->index = grown;
    list->capacity = capacity;
    return true;
}

// A node for a new item: a spare one, else the next of the newest chunk (a
// new chunk when it is full); NULL when memory is exhausted.
CIMListNode *takeNode(CIMList *list) {
    if (CIMListNode *node = list->spares) {
        list->spares = node->next;
        return node;
    }
    NodeChunk *chunk = list->chunks;
    if (!chunk || chunk->used == chunk->capacity) {
        int capacity = chunk ? chunk->capacity * 2 : kFirstChunkNodes;
        if (capacity > kLargestChunkNodes) capacity = kLargestChunkNodes;
        auto *fresh = static_cast<NodeChunk *>(
            std::malloc(sizeof(NodeChunk) + static_cast<size_t>(capacity - 1) * sizeof(CIMListNode)));
        if (!fresh) return nullptr;
        fresh->older = chunk;
        fresh->used = 0;
        fresh->capacity = capacity;
        list->chunks = chunk = fresh;
    }
    return &chunk->nodes[chunk->used++];
}

// Makes room for count more items at once: index slots and one chunk that
// holds their nodes. False when memory is exhausted (the list still works).
bool reserveItems(CIMList *list, int count) {
    if (count <= 0 || list->length > (1 << 29) - count) return false;
    int wanted = list->length + count;
    if (wanted > list->capacity) {
        auto *grown = static_cast<CIMListNode **>(
            std::realloc(list->index, static_cast<size_t>(wanted) * sizeof(CIMListNode *)));
        if (!grown) return false;
        list->index = grown;
        list->capacity = wanted;
    }
    auto *chunk = static_cast<NodeChunk *>(
        std::malloc(sizeof(NodeChunk) + static_cast<size_t>(count - 1) * sizeof(CIMListNode)));
    if (!chunk) return false;
    chunk->older = list->chunks;
    chunk->used = 0;
    chunk->capacity = count;
    list->chunks = chunk;
    return true;
}

// Appends without looking at the item; false when memory is exhausted.
bool appendNode(CIMList *list, void *item) {
    if (!reserveSlot(list)) return false;
    CIMListNode *node = takeNode(list);
    if (!node) return false;
    node->item = item;
    node->next = nullptr;
    if (list->last) list->last->next = node;
    else list->first = node;
    list->last = node;
    list->index[list->length++] = node;
    return true;
}

// Frees nodes and index; the items only when freeItems.
void releaseList(CIMList *list, bool freeItems) {
    int kind = cimobj::listItemKind(list->type);
    if (freeItems) {
        for (int i = 0; i < list->length; ++i) cimobj::freeListItem(kind, list->index[i]->item);
    }
    for (NodeChunk *chunk = list->chunks; chunk;) {
        NodeChunk *older = chunk->older;
        std::free(chunk);
        chunk = older;
    }
    std::free(list->index);
    std::free(list);
}

}  // namespace

extern "C" {

/* New empty list; NULL for an unknown list type or exhausted memory. */
CIMList *newList(int listType) {
    if (cimobj::listItemKind(listType) < 0) return nullptr;
    CIMList *list = cimobj::allocRecord<CIMList>();
    if (list) list->type = listType;
    return list;
}

/* Status 0 and the list holds item; 4 for a NULL list or item, 1 when memory
 * is exhausted (then nothing is taken). */
ReturnCode *appendToList(CIMList *list, void *item) {
    if (!list || !item) return cimobj::statusWithText(4, "appendToList: no list or item");
    if (!appendNode(list, item)) return cimobj::statusWithText(1, "appendToList: out of memory");
    return cimobj::statusOnly(0);
}

/* Unlinks the first node holding item; the item is not freed. */
int removeFromList(CIMList *list, const void *item) {
    if (!list) return 0;
    for (int i = 0; i < list->length; ++i) {
        CIMListNode *node = list->index[i];
        if (node->item != item) continue;
        CIMListNode *previous = i > 0 ? list->index[i - 1] : nullptr;
        if (previous) previous->next = node->next;
        else list->first = node->next;
        if (list->last == node) list->last = previous;
        std::memmove(list->index + i, list->index + i + 1,
                     static_cast<size_t>(list->length - i - 1) * sizeof(CIMListNode *));
        --list->length;
        node->item = nullptr;
        node->next = list->spares;
        list->spares = node;
        return 1;
    }
    return 0;
}

int getListType(const CIMList *list) { return list ? list->type : -1; }

int getLength(const CIMList *list) { return list ? list->length : 0; }

void *getElementAt(const CIMList *list, int index) {
    if (!list || index < 0 || index >= list->length) return nullptr;
    return list->index[index]->item;
}

/* Deep copy by the list type; NULL in, NULL out; NULL when memory is
 * exhausted (nothing leaks). */
CIMList *copyList(const CIMList *list) {
    if (!list) return nullptr;
    CIMList *copy = newList(list->type);
    if (!copy) return nullptr;
    int kind = cimobj::listItemKind(list->type);
    reserveItems(copy, list->length);
    for (CIMListNode *node = list->first; node; node = node->next) {
        void *item = copyItem(kind, node->item);
        if (!item || !appendNode(copy, item)) {
            if (item && kind != CIMLIST_POINTER) cimobj::freeListItem(kind, item);
            releaseList(copy, true);
            return nullptr;
        }
    }
    return copy;
}

void freeList(CIMList *list) {
    if (list) releaseList(list, true);
}

CIMListNode *getFirstNode(const CIMList *list) { return list ? list->first : nullptr; }

CIMListNode *getLastNode(const CIMList *list) { return list ? list->last : nullptr; }

CIMListNode *getNextNode(const CIMListNode *node) { return node ? node->next : nullptr; }

void *getNodeItem(const CIMListNode *node) { return node ? node->item : nullptr; }

}  // extern "C"

namespace cimobj {

ReturnCode *appendCreating(CIMList **list, int listType, void *item) {
    bool made = false;
    if (!*list) {
        *list = newList(listType);
        if (!*list) return statusWithText(1, "out of memory");
        made = true;
    }
    ReturnCode *rc = appendToList(*list, item);
    if (made && (!rc || rc->rc != 0)) {
        freeList(*list);
        *list = nullptr;
    }
    return rc;
}

}  // namespace cimobj
