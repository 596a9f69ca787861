// objects.cpp - throwing copies and path builders over the object library.
#include "support/objects.h"

namespace cimom {

namespace {

template <class Ptr, class T, class Copy>
Ptr copied(const T *original, Copy copy) {
    if (!original) return Ptr();
    return Ptr(orThrow(copy(original)));
}

}  // namespace

CIMString *newText(std::wstring_view text) {
    // The library wants NUL-terminated text; one buffer per thread serves.
    thread_local std::wstring terminated;
    terminated.assign(text);
    return orThrow(newCIMString(terminated.c_str()));
}

cimobj::ValuePtr copyValue(const CIMValue *v) { return copied<cimobj::ValuePtr>(v, copyCIMValue); }
cimobj::PropertyPtr copyProperty(const CIMProperty *p) { return copied<cimobj::PropertyPtr>(p, copyCIMProperty); }
cimobj::QualifierPtr copyQualifier(const CIMQualifier *q) { return copied<cimobj::QualifierPtr>(q, copyCIMQualifier); }
cimobj::MethodPtr copyMethodOf(const CIMMethod *m) { return copied<cimobj::MethodPtr>(m, copyMethod); }
cimobj::ClassPtr copyClass(const CIMClass *c) { return copied<cimobj::ClassPtr>(c, copyCIMClass); }
cimobj::InstancePtr copyInstance(const CIMInstance *i) { return copied<cimobj::InstancePtr>(i, copyCIMInstance); }
cimobj::PathPtr copyPath(const CIMObjectPath *p) { return copied<cimobj::PathPtr>(p, copyObjectPath); }
cimobj::ListPtr copyListOf(const CIMList *l) { return copied<cimobj::ListPtr>(l, copyList); }

void setPathLocation(CIMObjectPath *path, std::wstring_view nameSpace, std::wstring_view host) {
    setObjectPathNameSpace(path, nameSpace.empty() ? nullptr : newText(nameSpace));
    setObjectPathHost(path, host.empty() ? nullptr : newText(host));
}

cimobj::PathPtr makeClassPath(std::wstring_view className, std::wstring_view nameSpace, std::wstring_view host) {
    cimobj::StringPtr name = ownedText(className);
    cimobj::PathPtr path(orThrow(newObjectPathWithName(name.get())));
    name.release();
    setPathLocation(path.get(), nameSpace, host);
    return path;
}

}  // namespace cimom
