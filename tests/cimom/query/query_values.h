// query_values.h - values, properties and instances for the query engines'
// suites, in as few words as the tables need. Every function returns a new
// object that the caller (or the list or value it is handed to) owns.
#pragma once

#include <initializer_list>

#include <cimobj/cimobj.hpp>

namespace query_values {

inline CIMString *str(const wchar_t *text) { return newCIMString(text); }
template <class T>
CIMValue *scalar(int type, T value) { return newCIMValue(type, &value); }
// A string or datetime value.
inline CIMValue *text(int type, const wchar_t *value) {
    return type == CIM_STRING ? newCIMValue(type, str(value)) : newCIMValue(type, const_cast<wchar_t *>(value));
}
inline CIMValue *ref(const wchar_t *className) {
    return newCIMValue(CIM_REFERENCE, newObjectPathWithName(str(className)));
}
inline CIMValue *embedded(const wchar_t *className) {
    return newCIMValue(CIM_OBJECT, newInstance(str(className), nullptr, nullptr));
}
// An array of elementType holding elements (taken; NULL for a null element).
inline CIMValue *array(int elementType, std::initializer_list<CIMValue *> elements) {
    CIMValueList *list = newCIMValueList();
    for (CIMValue *element : elements) freeReturnCode(appendToList(list, element ? element : newCIMValueNULL(elementType)));
    return newCIMValue(elementType + CIM_ARRAY, list);
}

struct Prop {
    const wchar_t *name;
    int type;
    CIMValue *value;  // taken; NULL for a null value
};
inline CIMPropertyList *properties(std::initializer_list<Prop> props) {
    CIMPropertyList *list = newCIMPropertyList();
    for (const Prop &p : props) {
        CIMValue *value = p.value ? p.value : newCIMValueNULL(p.type);
        freeReturnCode(appendToCIMPropertyList(list, newProperty(str(p.name), nullptr, value, p.type, nullptr, 0)));
    }
    return list;
}

}  // namespace query_values
