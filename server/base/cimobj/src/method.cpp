// method.cpp - CIMMethod: a method with its qualifiers and parameters.
#include "internal.h"

extern "C" {

/* New method; on success it takes name, classOrigin, qualifiers and
 * parameters (each may be NULL). NULL when memory is exhausted. */
CIMMethod *newMethod(CIMString *name, CIMString *classOrigin, int propagated,
                     CIMQualifierList *qualifiers, int returnType,
                     CIMPropertyList *parameters) {
    CIMMethod *m = cimobj::allocRecord<CIMMethod>();
    if (!m) return nullptr;
    m->name = name;
    m->classOrigin = classOrigin;
    m->propagated = propagated;
    m->qualifiers = qualifiers;
    m->returnType = returnType;
    m->parameters = parameters;
    return m;
}

/* Deep copy; NULL in, NULL out; NULL when memory is exhausted. */
CIMMethod *copyMethod(const CIMMethod *m) {
    if (!m) return nullptr;
    CIMMethod *copy = cimobj::allocRecord<CIMMethod>();
    if (!copy) return nullptr;
    copy->propagated = m->propagated;
    copy->returnType = m->returnType;
    bool ok = cimobj::copyOptionalString(m->name, &copy->name) &&
              cimobj::copyOptionalString(m->classOrigin, &copy->classOrigin);
    if (ok && m->qualifiers) ok = (copy->qualifiers = copyList(m->qualifiers)) != nullptr;
    if (ok && m->parameters) ok = (copy->parameters = copyList(m->parameters)) != nullptr;
    if (!ok) {
        freeMethod(copy);
        return nullptr;
    }
    return copy;
}

void freeMethod(CIMMethod *m) {
    if (!m) return;
    freeCIMString(m->name);
    freeCIMString(m->classOrigin);
    freeList(m->qualifiers);
    freeList(m->parameters);
    std::free(m);
}

CIMString *getMethodName(const CIMMethod *m) { return m ? m->name : nullptr; }
CIMString *getMethodClassOrigin(const CIMMethod *m) { return m ? m->classOrigin : nullptr; }
int isMethodPropagated(const CIMMethod *m) { return m ? m->propagated : 0; }
int getMethodReturnType(const CIMMethod *m) { return m ? m->returnType : CIM_NULL; }
CIMQualifierList *getMethodQualifiers(const CIMMethod *m) { return m ? m->qualifiers : nullptr; }
CIMPropertyList *getMethodParameters(const CIMMethod *m) { return m ? m->parameters : nullptr; }

int setMethodQualifiers(CIMMethod *m, CIMQualifierList *qualifiers) {
    if (!m) return 0;
    if (m->qualifiers != qualifiers) freeList(m->qualifiers);
    m->qualifiers = qualifiers;
    return 1;
}

int setMethodParameters(CIMMethod *m, CIMPropertyList *parameters) {
    if (!m) return 0;
    if (m->parameters != parameters) freeList(m->parameters);
    m->parameters = parameters;
    return 1;
}

}  // extern "C"
