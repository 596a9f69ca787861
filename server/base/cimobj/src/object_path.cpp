// object_path.cpp - CIMObjectPath: class name, namespace, host and keys.
#include "internal.h"

namespace {

bool isKeyProperty(const CIMProperty *p) {
    return p && (p->isKey || isBoolQualEnabledInList(p->qualifiers, L"Key"));
}

// Copies of the key properties of an instance's property list; *keys stays
// NULL when there are none. False when memory is exhausted.
bool copyKeyProperties(const CIMPropertyList *properties, CIMPropertyList **keys) {
    *keys = nullptr;
    for (CIMListNode *n = getFirstNode(properties); n; n = getNextNode(n)) {
        auto *p = static_cast<const CIMProperty *>(getNodeItem(n));
        if (!isKeyProperty(p)) continue;
        CIMProperty *copy = copyCIMProperty(p);
        if (!copy) return false;
        copy->isKey = 1;
        if (!isSuccessfulFree(cimobj::appendCreating(keys, CIMLIST_PROPERTY, copy))) {
            freeCIMProperty(copy);
            return false;
        }
    }
    return true;
}

int keyCount(const CIMObjectPath *p) { return getLength(p->mkeys); }

}  // namespace

extern "C" {

/* New path naming className (taken; may be NULL). NULL when memory is
 * exhausted (nothing taken). */
CIMObjectPath *newObjectPathWithName(CIMString *className) {
    CIMObjectPath *p = cimobj::allocRecord<CIMObjectPath>();
    if (p) p->className = className;
    return p;
}

/* New path of an instance (see cimobj_objects.h). NULL for NULL or when
 * memory is exhausted. */
CIMObjectPath *newObjectPathFromInst(const CIMInstance *i) {
    if (!i) return nullptr;
    CIMObjectPath *p = newObjectPathWithName(nullptr);
    if (!p) return nullptr;
    const CIMObjectPath *own = i->path;
    bool ok = cimobj::copyOptionalString(getInstanceName(i), &p->className) &&
              cimobj::copyOptionalString(getInstanceNameSpace(i), &p->nameSpace) &&
              cimobj::copyOptionalString(own ? own->host : nullptr, &p->host) &&
              copyKeyProperties(i->properties, &p->mkeys);
    if (ok && !p->mkeys && own && own->mkeys)
        ok = (p->mkeys = copyList(own->mkeys)) != nullptr;
    if (!ok) {
        freeCIMObjectPath(p);
        return nullptr;
    }
    return p;
}

/* Deep copy; NULL in, NULL out; NULL when memory is exhausted. */
CIMObjectPath *copyObjectPath(const CIMObjectPath *p) {
    if (!p) return nullptr;
    CIMObjectPath *copy = newObjectPathWithName(nullptr);
    if (!copy) return nullptr;
    bool ok = cimobj::copyOptionalString(p->className, &copy->className) &&
              cimobj::copyOptionalString(p->nameSpace, &copy->nameSpace) &&
              cimobj::copyOptionalString(p->host, &copy->host);
    if (ok && p->mkeys) ok = (copy->mkeys = copyList(p->mkeys)) != nullptr;
    if (!ok) {
        freeCIMObjectPath(copy);
        return nullptr;
    }
    return copy;
}

void freeCIMObjectPath(CIMObjectPath *p) {
    if (!p) return;
    freeCIMString(p->className);
    freeCIMString(p->nameSpace);
    freeCIMString(p->host);
    freeList(p->mkeys);
    std::free(p);
}

CIMString *getObjectPathName(const CIMObjectPath *p) { return p ? p->className : nullptr; }
CIMString *getObjectPathNameSpace(const CIMObjectPath *p) { return p ? p->nameSpace : nullptr; }
CIMString *getObjectPathHost(const CIMObjectPath *p) { return p ? p->host : nullptr; }
CIMPropertyList *getObjectPathKeys(const CIMObjectPath *p) { return p ? p->mkeys : nullptr; }

int setObjectPathName(CIMObjectPath *p, CIMString *className) {
    if (!p) return 0;
    cimobj::replaceString(&p->className, className);
    return 1;
}

int setObjectPathNameSpace(CIMObjectPath *p, CIMString *nameSpace) {
    if (!p) return 0;
    cimobj::replaceString(&p->nameSpace, nameSpace);
    return 1;
}

int setObjectPathHost(CIMObjectPath *p, CIMString *host) {
    if (!p) return 0;
    cimobj::replaceString(&p->host, host);
    return 1;
}

int setObjectPathKeys(CIMObjectPath *p, CIMPropertyList *keys) {
    if (!p) return 0;
    if (p->mkeys != keys) freeList(p->mkeys);
    p->mkeys = keys;
    return 1;
}

ReturnCode *objectPathAddKey(CIMObjectPath *p, CIMProperty *key) {
    if (!p || !key) return cimobj::statusWithText(4, "objectPathAddKey: no path or key");
    return cimobj::appendCreating(&p->mkeys, CIMLIST_PROPERTY, key);
}

/* Same class (caseless) and the same keys in any order: names caseless,
 * values by isEqualCIMValue. Host and namespace are not compared. */
int isEqualObjectPath(const CIMObjectPath *a, const CIMObjectPath *b) {
    if (!a || !b) return a == b ? 1 : 0;
    if (cimStringCaseCmp(a->className, b->className) != 0) return 0;
    if (keyCount(a) != keyCount(b)) return 0;
    for (CIMListNode *n = getFirstNode(a->mkeys); n; n = getNextNode(n)) {
        auto *key = static_cast<const CIMProperty *>(getNodeItem(n));
        const CIMProperty *other =
            findCIMProperty(b->mkeys, key && key->name ? key->name->buffer : nullptr);
        if (!other || !isEqualCIMValue(key->value, other->value)) return 0;
    }
    return 1;
}

}  // extern "C"
