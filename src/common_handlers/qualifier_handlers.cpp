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

// Attaches q to p; on failure q is freed and the failure reported.
void add_to_property(CIMProperty *property, CIMQualifier *qualifier) {
    if (!property) {
        freeCIMQualifier(qualifier);
        REPORT_DECODING_ERROR();
        return;
    }
    if (!STATUS_OK(propertyAddQualifier(property, qualifier))) freeCIMQualifier(qualifier);
}

// Appends q to list; on failure q is freed and the failure reported.
void add_to_list(CIMQualifierList *list, CIMQualifier *qualifier) {
    if (!list) {
        freeCIMQualifier(qualifier);
        REPORT_DECODING_ERROR();
        return;
    }
    if (!STATUS_OK(appendToCIMQualifierList(list, qualifier))) freeCIMQualifier(qualifier);
}

bool is_parameter_marker(const StackItem *entry) {
    return item_is(entry, item::Parameter) || item_is(entry, item::ParameterRefArray) ||
           item_is(entry, item::ParameterReference) || item_is(entry, item::ParameterArray);
}

// Attaches q to the owner that marker (already popped) stands for. Returns
// true when the owner was found (q attached, or dropped for an INSTANCE),
// which is when the QUALIFIER_TYPE marker is to be pushed; false when q was
// freed without an owner. Every item popped here, marker included, is pushed
// back in the reverse order.
bool attach_qualifier(MessageData *msgData, StackItem *marker, CIMQualifier *qualifier) {
    Stack *stack = &msgData->objectStack;

    if (item_is(marker, item::Class)) {
        push_back(stack, marker);
        if (!marker->data) {
            freeCIMQualifier(qualifier);
            REPORT_DECODING_ERROR();
            return false;
        }
        CIMQualifierList *list = class_qualifiers(static_cast<CIMClass *>(marker->data));
        if (!list) {
            freeCIMQualifier(qualifier);
            REPORT_ALLOCATION_ERROR();
            return true;
        }
        add_to_list(list, qualifier);
        return true;
    }

    if (item_is(marker, item::PropertyType)) {
        StackItem *owner = stack_pop(stack);
        bool found = false;
        if ((item_is(owner, item::Class) || item_is(owner, item::Instance)) && owner->data) {
            CIMPropertyList *properties = item_is(owner, item::Class)
                                              ? getClassProperties(static_cast<CIMClass *>(owner->data))
                                              : getInstanceProperties(static_cast<CIMInstance *>(owner->data));
            CIMProperty *property = last_property(properties);
            if (property) {
                add_to_property(property, qualifier);
                found = true;
            } else {
                freeCIMQualifier(qualifier);
                REPORT_DECODING_ERROR();
            }
        } else {
            freeCIMQualifier(qualifier);
        }
        push_back(stack, owner);
        push_back(stack, marker);
        return found;
    }

    if (item_is(marker, item::Method)) {
        StackItem *owner = stack_pop(stack);
        bool found = false;
        if (item_is(owner, item::Class) && owner->data) {
            CIMMethod *method = last_method(getClassMethods(static_cast<CIMClass *>(owner->data)));
            if (method) {
                add_to_list(method_qualifiers(method), qualifier);
                found = true;
            } else {
                freeCIMQualifier(qualifier);
                REPORT_DECODING_ERROR();
            }
        } else {
            freeCIMQualifier(qualifier);
        }
        push_back(stack, owner);
        push_back(stack, marker);
        return found;
    }

    if (is_parameter_marker(marker)) {
        StackItem *methodItem = stack_pop(stack);
        StackItem *classItem = item_is(methodItem, item::Method) ? stack_pop(stack) : nullptr;
        bool found = false;
        if (item_is(classItem, item::Class) && classItem->data) {
            CIMMethod *method = last_method(getClassMethods(static_cast<CIMClass *>(classItem->data)));
            CIMProperty *parameter = last_property(getMethodParameters(method));
            if (parameter) {
                add_to_property(parameter, qualifier);
                found = true;
            } else {
                freeCIMQualifier(qualifier);
                REPORT_DECODING_ERROR();
            }
        } else {
            freeCIMQualifier(qualifier);
        }
        push_back(stack, classItem);
        push_back(stack, methodItem);
        push_back(stack, marker);
        return found;
    }

    if (item_is(marker, item::Instance) && marker->data) {
        // Instances carry no qualifiers of their own.
        freeCIMQualifier(qualifier);
        push_back(stack, marker);
        return true;
    }

    if (item_is(marker, item::ParamValue) || item_is(marker, item::ParamType)) {
        CIMProperty *parameter = current_parameter(msgData);
        if (parameter) {
            if (!STATUS_OK(propertyAddQualifier(parameter, qualifier))) freeCIMQualifier(qualifier);
        } else {
            freeCIMQualifier(qualifier);
        }
        push_back(stack, marker);
        return true;
    }

    push_back(stack, marker);
    freeCIMQualifier(qualifier);
    return false;
}

}  // namespace

void common_qualifier_declaration_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name;
    int type;
    if (!read_name_and_type(element, &name, &type, "NAME attribute is null", "TYPE attribute is null")) return;
    const char *isArray = attribute_value(element, "ISARRAY");
    if (isArray && std::strcmp(isArray, "true") == 0 && !isArrayType(type)) type = arrayTypeOf(type);
    int flavor = flavor_of(element, true);
    CIMQualifierType *declaration = newQualifierType(name, flavor, nullptr, type, 0, CIM_SCOPE_ANY);
    if (!declaration) {
        freeCIMString(name);
        REPORT_DECODING_ERROR();
        return;
    }
    push_new_item(&msgData->objectStack, item::QualifierDeclaration, destroy_qualifiertype, declaration);
}

void common_scope_element(MessageData *msgData, const ExpatElement *element) {
    StackItem *top = stack_pop(&msgData->objectStack);
    if (!top) return;
    if (!item_has_kind(top)) {
        freeStackItem(top);
        REPORT_DECODING_ERROR();
        return;
    }
    if (item_is(top, item::QualifierDeclaration)) {
        int scope = 0;
        for (const ScopeAttribute &entry : cimxml_scope_attributes)
            if (attribute_is_true(element, entry.name)) scope += entry.bit;
        setQualifierTypeScope(static_cast<CIMQualifierType *>(top->data), scope ? scope : CIM_SCOPE_ANY);
    }
    push_back(&msgData->objectStack, top);
}

void common_qualifier_declaration_endhandler(MessageData *msgData) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_finished_item(stack, item::QualifierDeclaration);
    if (!top) return;
    CIMQualifierType *declaration = static_cast<CIMQualifierType *>(take_data(top));
    StackItem *owner = stack_pop(stack);
    if (!owner) {
        freeStackItem(top);
        freeQualifierType(declaration);
        REPORT_DECODING_ERROR();
        return;
    }
    if (item_is(owner, item::ParamValue)) {
        freeQualifierType(msgData->qualifierType);
        msgData->qualifierType = declaration;
    } else {
        freeQualifierType(declaration);
    }
    freeStackItem(top);
    push_back(stack, owner);
}

void common_qualifier_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name;
    int type;
    if (!read_name_and_type(element, &name, &type)) return;
    int propagated = attribute_is_true(element, "PROPAGATED") ? 1 : 0;
    CIMQualifier *qualifier = newQualifier(name, flavor_of(element, false), nullptr, type, propagated);
    if (!qualifier) {
        freeCIMString(name);
        REPORT_DECODING_ERROR();
        return;
    }
    Stack *stack = &msgData->objectStack;
    if (stack_isEmpty(stack)) {
        freeCIMQualifier(qualifier);
        return;
    }
    StackItem *marker = stack_pop(stack);
    if (!item_has_kind(marker)) {
        freeStackItem(marker);
        freeCIMQualifier(qualifier);
        REPORT_DECODING_ERROR();
        return;
    }
    if (attach_qualifier(msgData, marker, qualifier)) push_new_item(stack, item::QualifierType, nullptr, nullptr, type);
}

void common_qualifier_endhandler(MessageData *msgData) {
    pop_marker(msgData, item::QualifierType);
}
