// instance.cpp - CIMInstance: class name, namespace, properties and the path
// the object manager gave it.
#include "internal.h"

extern "C" {

CIMInstance *newInstanceEmpty(void) { return cimobj::allocRecord<CIMInstance>(); }

/* New instance; on success it takes className, nameSpace and properties
 * (each may be NULL). NULL when memory is exhausted (nothing taken). */
CIMInstance *newInstance(CIMString *className, CIMString *nameSpace,
                         CIMPropertyList *properties) {
    CIMInstance *i = newInstanceEmpty();
    if (!i) return nullptr;
    i->className = className;
    i->nameSpace = nameSpace;
    i->properties = properties;
    return i;
}

/* Deep copy; NULL in, NULL out; NULL when memory is exhausted. */
CIMInstance *copyCIMInstance(const CIMInstance *i) {
    if (!i) return nullptr;
    CIMInstance *copy = newInstanceEmpty();
    if (!copy) return nullptr;
    bool ok = cimobj::copyOptionalString(i->className, &copy->className) &&
              cimobj::copyOptionalString(i->nameSpace, &copy->nameSpace);
    if (ok && i->path) ok = (copy->path = copyObjectPath(i->path)) != nullptr;
    if (ok && i->properties) ok = (copy->properties = copyList(i->properties)) != nullptr;
    if (!ok) {
        freeCIMInstance(copy);
        return nullptr;
    }
    return copy;
}

void freeCIMInstance(CIMInstance *i) {
    if (!i) return;
    freeCIMObjectPath(i->path);
    freeCIMString(i->className);
    freeCIMString(i->nameSpace);
    freeList(i->properties);
    std::free(i);
}

/* The class name: the instance's own, else its path's. */
CIMString *getInstanceName(const CIMInstance *i) {
    if (!i) return nullptr;
    return i->className ? i->className : getObjectPathName(i->path);
}

/* The namespace: the instance's own, else its path's. */
CIMString *getInstanceNameSpace(const CIMInstance *i) {
    if (!i) return nullptr;
    return i->nameSpace ? i->nameSpace : getObjectPathNameSpace(i->path);
}

CIMObjectPath *getInstancePath(const CIMInstance *i) { return i ? i->path : nullptr; }
CIMPropertyList *getInstanceProperties(const CIMInstance *i) { return i ? i->properties : nullptr; }

int setInstanceName(CIMInstance *i, CIMString *className) {
    if (!i) return 0;
    cimobj::replaceString(&i->className, className);
    return 1;
}

int setInstanceNameSpace(CIMInstance *i, CIMString *nameSpace) {
    if (!i) return 0;
    cimobj::replaceString(&i->nameSpace, nameSpace);
    return 1;
}

int setInstancePath(CIMInstance *i, CIMObjectPath *path) {
    if (!i) return 0;
    if (i->path != path) freeCIMObjectPath(i->path);
    i->path = path;
    return 1;
}

int setInstanceProperties(CIMInstance *i, CIMPropertyList *properties) {
    if (!i) return 0;
    if (i->properties != properties) freeList(i->properties);
    i->properties = properties;
    return 1;
}

ReturnCode *instanceAddProperty(CIMInstance *i, CIMProperty *p) {
    if (!i || !p) return cimobj::statusWithText(4, "instanceAddProperty: no instance or property");
    return cimobj::appendCreating(&i->properties, CIMLIST_PROPERTY, p);
}

}  // extern "C"
