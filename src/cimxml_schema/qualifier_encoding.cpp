// qualifier_encoding.cpp - qualifiers and qualifier declarations.
#include "cimxml_schema/qualifier_encoding.h"

#include <cstdlib>

#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/value_encoding.h"
#include "cimxml_schema/xml_primitives.h"

namespace {

// Name written in a TYPE attribute: the element type's name for arrays.
const char *written_type_name(int type) { return typeNameText(isArrayType(type) ? scalarTypeOf(type) : type); }

// VALUE.ARRAY for array types, VALUE otherwise; nothing when there is nothing to write.
void write_qualifier_value(xml_sink &out, const CIMValue *value, int type) {
    if (value == nullptr) return;
    if (isArrayType(type))
        write_valuearray(out, value);
    else
        write_value(out, value);
}

}  // namespace

bool write_qualifier(xml_sink &out, const CIMQualifier *qualifier) {
    if (qualifier == nullptr) return false;
    int type = getQualifierValueType(qualifier);
    std::size_t mark = out.mark();
    out.put("<QUALIFIER");
    if (!put_string_attribute(out, "NAME", getQualifierName(qualifier))) return drop_element(out, mark);
    put_fixed_attribute(out, "TYPE", written_type_name(type));
    put_boolean_attribute(out, "PROPAGATED", isQualifierPropagated(qualifier));
    // The flavor list starts with its own blank: two blanks before it.
    out.put(" ");
    put_flavor_attributes(out, getQualifierFlavors(qualifier));
    out.put(">\n");
    write_qualifier_value(out, getQualifierValue(qualifier), type);
    out.put("</QUALIFIER>\n");
    return END_ELEMENT(out, mark);
}

char *cim_qualifier_toxml(const CIMQualifier *qualifier) {
    return written_fragment([&](xml_sink &out) { return write_qualifier(out, qualifier); });
}

int isArrayQualifierName(const CIMString *name) {
    static const wchar_t *const names[] = {L"ValueMap", L"Values", L"Modelcorrespondence"};
    const wchar_t *text = getCIMStringBuffer(name);
    if (text == nullptr) return 0;
    for (const wchar_t *candidate : names)
        if (local_wcscasecmp(text, candidate) == 0) return 1;
    return 0;
}

void put_scope_attributes(xml_sink &out, int bits) {
    for (const ScopeAttribute &scope : cimxml_scope_attributes) {
        // Each attribute carries a blank of its own and is joined with one more.
        out.put("  ");
        out.put(scope.name);
        out.put((bits & scope.bit) ? "=\"true\"" : "=\"false\"");
    }
}

char *scope_encodeformat(const CIMValue *scope) {
    if (scope == nullptr) return nullptr;
    char *text = getCharFromCIMValue(scope);
    int bits = text ? static_cast<int>(std::strtol(text, nullptr, 10)) : 0;
    cimxml_free(text, CIMXML_ATOMIC);
    return written_fragment([&](xml_sink &out) {
        put_scope_attributes(out, bits);
        return true;
    });
}

bool write_qualifierdeclaration(xml_sink &out, const CIMQualifierType *declaration) {
    if (declaration == nullptr) return false;
    const CIMString *name = getQualifierTypeName(declaration);
    int declared = getQualifierTypeValueType(declaration);
    const CIMValue *value = getQualifierTypeValue(declaration);
    std::size_t mark = out.mark();
    out.put("<QUALIFIER.DECLARATION");
    if (!put_string_attribute(out, "NAME", name)) return drop_element(out, mark);
    put_fixed_attribute(out, "TYPE", written_type_name(declared));
    put_boolean_attribute(out, "ISARRAY", isArrayType(declared) || isArrayQualifierName(name));
    int size = getCIMValueNumElements(value);
    if (isArrayType(declared) && value != nullptr && size > 0)
        put_count_attribute(out, "ARRAYSIZE", static_cast<unsigned>(size));
    out.put(" ");
    put_flavor_attributes(out, getQualifierTypeFlavors(declaration));
    out.put(">\n<SCOPE ");
    put_scope_attributes(out, getQualifierTypeScope(declaration));
    out.put("/>\n");
    write_qualifier_value(out, value, declared);
    out.put("</QUALIFIER.DECLARATION>\n");
    return END_ELEMENT(out, mark);
}

char *cim_qualifierdeclaration_toxml(const CIMQualifierType *declaration) {
    return written_fragment([&](xml_sink &out) { return write_qualifierdeclaration(out, declaration); });
}

int write_qualifier_elements(xml_sink &out, const CIMQualifierList *qualifiers) {
    if (qualifiers == nullptr) return 0;
    int written = 0;
    int count = getCIMQualifierListLength(qualifiers);
    for (int i = 0; i < count; ++i) {
        if (write_qualifier(out, getCIMQualifierAt(qualifiers, i))) ++written;
    }
    // An empty list is no failure; strict says so only when qualifiers were lost.
    if (written == 0 && (count > 0 || !strict_profile()))
        cimPrintMessage(CIM_LOG_ERROR, L"qualifierlist_toxml - Qualifier list encoding failed.");
    return written;
}

char *qualifierlist_toxml(const CIMQualifierList *qualifiers) {
    return written_fragment([&](xml_sink &out) { return write_qualifier_elements(out, qualifiers) > 0; });
}
