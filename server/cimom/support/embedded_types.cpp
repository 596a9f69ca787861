// embedded_types.cpp - the held types of properties with embedded objects.
#include "support/embedded_types.h"

#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

const CIMQualifier *qualifierOf(const CIMProperty &declared, std::wstring_view name) {
    for (CIMQualifier *q : items<CIMQualifier>(declared.qualifiers))
        if (sameName(textOf(q->name), name)) return q;
    return nullptr;
}

}  // namespace

int heldType(const CIMProperty &declared) {
    int array = declared.type >= CIM_ARRAY ? CIM_ARRAY : 0;
    if (declared.type - array != CIM_STRING) return declared.type;
    if (!embeddedInstanceClass(declared).empty()) return CIM_OBJECT + array;
    const CIMQualifier *object = qualifierOf(declared, L"EmbeddedObject");
    if (object && object->value && !object->value->isNull && object->value->type == CIM_BOOLEAN &&
        object->value->data.boolean)
        return CIM_CLASS + array;
    return declared.type;
}

std::wstring embeddedInstanceClass(const CIMProperty &declared) {
    const CIMQualifier *q = qualifierOf(declared, L"EmbeddedInstance");
    if (!q || !q->value || q->value->isNull || q->value->type != CIM_STRING) return {};
    return std::wstring(textOf(q->value->data.string));
}

}  // namespace cimom
