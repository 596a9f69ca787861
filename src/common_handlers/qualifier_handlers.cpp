// qualifier_handlers.cpp - QUALIFIER, QUALIFIER.DECLARATION and SCOPE.
#include "common_handlers/qualifier_handlers.h"

#include <cstring>

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "common_handlers/attributes.h"
#include "common_handlers/schema_handlers.h"

namespace {

// Three states of a boolean flavor attribute.
enum class Flag { Absent, True, False };

Flag flag_of(const ExpatElement *element, const char *name) {
    const char *value = attribute_value(element, name);
    if (!value) return Flag::Absent;
    return local_strcasecmp(value, "true") == 0 ? Flag::True : Flag::False;
}

// Flavor bits of a qualifier or declaration; absentIsTrue gives the
// declaration's defaults for OVERRIDABLE and TOSUBCLASS.
int flavor_of(const ExpatElement *element, bool absentIsTrue) {
    int flavor = 0;
    Flag overridable = flag_of(element, "OVERRIDABLE");
    if (overridable == Flag::True || (overridable == Flag::Absent && absentIsTrue))
        flavor |= CIM_FLAVOR_ENABLEOVERRIDE;
    else if (overridable == Flag::False)
        flavor |= CIM_FLAVOR_DISABLEOVERRIDE;
    Flag toSubclass = flag_of(element, "TOSUBCLASS");
    if (toSubclass == Flag::True || (toSubclass == Flag::Absent && absentIsTrue))
        flavor |= CIM_FLAVOR_TOSUBCLASS;
    else if (toSubclass == Flag::False)
        flavor |= CIM_FLAVOR_RESTRICTED;
    if (flag_of(element, "TRANSLATABLE") == Flag::True) flavor |= CIM_FLAVOR_TRANSLATABLE;
    return flavor;
}

// Attaches the qualifier to a property or parameter, or appends it to a
// list: the owner takes it, or it stays held after the failure is reported.
void add_to_property(CIMProperty *property, OwnedQualifier &qualifier) {
    if (!property) return REPORT_DECODING_ERROR();
    give(qualifier, propertyAddQualifier(property, qualifier.get()));
}
void add_to_list(CIMQualifierList *list, OwnedQualifier &qualifier) {
    if (!list) return REPORT_DECODING_ERROR();
    give(qualifier, appendToCIMQualifierList(list, qualifier.get()));
}

bool is_parameter_marker(const StackItem *entry) {
    return item_is(entry, item::Parameter) || item_is(entry, item::ParameterRefArray) ||
           item_is(entry, item::ParameterReference) || item_is(entry, item::ParameterArray);
}

// The last property of a CLASS or INSTANCE item, the last method of a CLASS
// item; NULL for any other item or when there is none.
CIMProperty *owner_last_property(const StackItem *owner) {
    if (item_is(owner, item::Class)) return last_property(getClassProperties(data_of<CIMClass>(owner)));
    if (item_is(owner, item::Instance)) return last_property(getInstanceProperties(data_of<CIMInstance>(owner)));
    return nullptr;
}
CIMMethod *owner_last_method(const StackItem *owner) {
    return item_is(owner, item::Class) ? last_method(getClassMethods(data_of<CIMClass>(owner))) : nullptr;
}

// Attaches the qualifier to the object the top item (marker) stands for.
// Returns true when there is such an object (the qualifier attached, or
// dropped for an INSTANCE), which is when the QUALIFIER_TYPE marker is to
// be pushed; false when the qualifier has no owner (a missing property,
// method or parameter of a known owner is reported).
bool attach_qualifier(MessageData *msgData, const StackItem *marker, OwnedQualifier &qualifier) {
    if (item_is(marker, item::Class)) {
        CIMQualifierList *list = class_qualifiers(data_of<CIMClass>(marker));
        if (!list) {
            REPORT_ALLOCATION_ERROR();
        } else {
            add_to_list(list, qualifier);
        }
        return true;
    }
    // The item that owns what the marker stands for, and whether it is of
    // the kind that can.
    const StackItem *owner = nullptr;
    bool ownerFits = false;
    if (item_is(marker, item::PropertyType)) {
        owner = peek_item(msgData, 1);
        ownerFits = item_is(owner, item::Class) || item_is(owner, item::Instance);
    } else if (item_is(marker, item::Method)) {
        owner = peek_item(msgData, 1);
        ownerFits = item_is(owner, item::Class);
    } else if (is_parameter_marker(marker)) {
        if (item_is(peek_item(msgData, 1), item::Method)) owner = peek_item(msgData, 2);
        ownerFits = item_is(owner, item::Class);
    } else {
        if (item_is(marker, item::ParamValue) || item_is(marker, item::ParamType)) {
            if (CIMProperty *parameter = current_parameter(msgData))
                give(qualifier, propertyAddQualifier(parameter, qualifier.get()));
            return true;
        }
        // Instances carry no qualifiers of their own.
        return item_is(marker, item::Instance);
    }
    if (!ownerFits) return false;
    if (item_is(marker, item::Method)) {
        CIMMethod *method = owner_last_method(owner);
        if (!method) return REPORT_DECODING_ERROR(), false;
        add_to_list(method_qualifiers(method), qualifier);
        return true;
    }
    CIMProperty *target = item_is(marker, item::PropertyType)
                              ? owner_last_property(owner)
                              : last_property(getMethodParameters(owner_last_method(owner)));
    if (!target) return REPORT_DECODING_ERROR(), false;
    add_to_property(target, qualifier);
    return true;
}

}  // namespace

void common_qualifier_declaration_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name;
    int type;
    if (!read_name_and_type(element, &name, &type, "NAME attribute is null", "TYPE attribute is null")) return;
    const char *isArray = attribute_value(element, "ISARRAY");
    if (isArray && std::strcmp(isArray, "true") == 0 && !isArrayType(type)) type = arrayTypeOf(type);
    int flavor = flavor_of(element, true);
    CIMQualifierType *declaration = newQualifierType(name, flavor, nullptr, type, 0, CIM_SCOPE_UNSTATED);
    if (!declaration) {
        freeCIMString(name);
        REPORT_DECODING_ERROR();
        return;
    }
    push_new_item(&msgData->objectStack, item::QualifierDeclaration, destroy_qualifiertype, declaration);
}

void common_scope_element(MessageData *msgData, const ExpatElement *element) {
    StackItem *top = peek_item(msgData);
    if (!item_is(top, item::QualifierDeclaration)) return;
    int scope = 0;
    for (const ScopeAttribute &entry : cimxml_scope_attributes)
        if (attribute_is_true(element, entry.name)) scope += entry.bit;
    setQualifierTypeScope(data_of<CIMQualifierType>(top), scope ? scope : CIM_SCOPE_UNSTATED);
}

void common_qualifier_declaration_endhandler(MessageData *msgData) {
    TakenItem top(pop_finished_item(&msgData->objectStack, item::QualifierDeclaration));
    if (!top) return;
    Owned<CIMQualifierType, freeQualifierType> declaration(take_data<CIMQualifierType>(top.get()));
    const StackItem *owner = peek_item(msgData);
    if (!owner) return REPORT_DECODING_ERROR();
    if (!item_is(owner, item::ParamValue)) return;
    freeQualifierType(msgData->qualifierType);
    msgData->qualifierType = declaration.release();
}

void common_qualifier_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name;
    int type;
    if (!read_name_and_type(element, &name, &type)) return;
    int propagated = attribute_is_true(element, "PROPAGATED") ? 1 : 0;
    OwnedString held(name);
    OwnedQualifier qualifier(newQualifier(name, flavor_of(element, false), nullptr, type, propagated));
    if (!qualifier) return REPORT_DECODING_ERROR();
    held.release();
    const StackItem *marker = peek_item(msgData);
    if (marker && attach_qualifier(msgData, marker, qualifier))
        push_new_item(&msgData->objectStack, item::QualifierType, nullptr, nullptr, type);
}

void common_qualifier_endhandler(MessageData *msgData) {
    pop_marker(msgData, item::QualifierType);
}
