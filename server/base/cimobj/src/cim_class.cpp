// cim_class.cpp - CIMClass: its own path (name and namespace), superclass,
// qualifiers, properties and methods.
#include "internal.h"

namespace {

// Replaces a list member, freeing the old list.
int replaceList(CIMList **slot, CIMList *replacement) {
    if (*slot != replacement) freeList(*slot);
    *slot = replacement;
    return 1;
}

// The class's path, made when it has none; NULL when memory is exhausted.
CIMObjectPath *ensurePath(CIMClass *c) {
    if (!c->path) c->path = newObjectPathWithName(nullptr);
    return c->path;
}

}  // namespace

extern "C" {

/* A class whose path is present but empty. NULL when memory is exhausted. */
CIMClass *newCIMClassEmpty(void) {
    CIMClass *c = cimobj::allocRecord<CIMClass>();
    if (!c) return nullptr;
    if (!ensurePath(c)) {
        std::free(c);
        return nullptr;
    }
    return c;
}

/* A class named name with superClass; both taken on success. */
CIMClass *newCIMClass(CIMString *name, CIMString *superClass) {
    CIMClass *c = newCIMClassEmpty();
    if (!c) return nullptr;
    c->path->className = name;
    c->superClass = superClass;
    return c;
}

/* Deep copy; NULL in, NULL out; NULL when memory is exhausted. */
CIMClass *copyCIMClass(const CIMClass *c) {
    if (!c) return nullptr;
    CIMClass *copy = cimobj::allocRecord<CIMClass>();
    if (!copy) return nullptr;
    bool ok = (copy->path = c->path ? copyObjectPath(c->path) : newObjectPathWithName(nullptr)) &&
              cimobj::copyOptionalString(c->superClass, &copy->superClass);
    if (ok && c->qualifiers) ok = (copy->qualifiers = copyList(c->qualifiers)) != nullptr;
    if (ok && c->properties) ok = (copy->properties = copyList(c->properties)) != nullptr;
    if (ok && c->methods) ok = (copy->methods = copyList(c->methods)) != nullptr;
    if (!ok) {
        freeCIMClass(copy);
        return nullptr;
    }
    return copy;
}

void freeCIMClass(CIMClass *c) {
    if (!c) return;
    freeCIMObjectPath(c->path);
    freeCIMString(c->superClass);
    freeList(c->qualifiers);
    freeList(c->properties);
    freeList(c->methods);
    std::free(c);
}

CIMString *getClassName(const CIMClass *c) { return c ? getObjectPathName(c->path) : nullptr; }
CIMString *getClassSuperName(const CIMClass *c) { return c ? c->superClass : nullptr; }
CIMString *getClassNameSpace(const CIMClass *c) { return c ? getObjectPathNameSpace(c->path) : nullptr; }
CIMObjectPath *getClassPath(const CIMClass *c) { return c ? c->path : nullptr; }
CIMQualifierList *getClassQualifiers(const CIMClass *c) { return c ? c->qualifiers : nullptr; }
CIMPropertyList *getClassProperties(const CIMClass *c) { return c ? c->properties : nullptr; }
CIMMethodList *getClassMethods(const CIMClass *c) { return c ? c->methods : nullptr; }

int setClassName(CIMClass *c, CIMString *name) {
    if (!c || !ensurePath(c)) return 0;
    return setObjectPathName(c->path, name);
}

int setClassNameSpace(CIMClass *c, CIMString *nameSpace) {
    if (!c || !ensurePath(c)) return 0;
    return setObjectPathNameSpace(c->path, nameSpace);
}

int setClassSuperName(CIMClass *c, CIMString *superClass) {
    if (!c) return 0;
    cimobj::replaceString(&c->superClass, superClass);
    return 1;
}

int setClassQualifiers(CIMClass *c, CIMQualifierList *qualifiers) {
    return c ? replaceList(&c->qualifiers, qualifiers) : 0;
}

int setClassProperties(CIMClass *c, CIMPropertyList *properties) {
    return c ? replaceList(&c->properties, properties) : 0;
}

int setClassMethods(CIMClass *c, CIMMethodList *methods) {
    return c ? replaceList(&c->methods, methods) : 0;
}

}  // extern "C"
