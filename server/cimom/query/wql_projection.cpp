// wql_projection.cpp - the instance a query result carries: the selected
// properties only, with the instance's class, namespace and path; and the
// class that describes such results.
#include "wql_syntax.h"

namespace cimom {

namespace {

template <class T>
T *checked(T *object) {
    if (!object) throw std::bad_alloc();
    return object;
}

// A property of the class's type with a null value.
cimobj::PropertyPtr nullProperty(const wql::Slot &slot) {
    cimobj::StringPtr name = cimobj::makeString(slot.name);
    cimobj::ValuePtr value(checked(newCIMValueNULL(slot.type)));
    cimobj::PropertyPtr property(checked(newProperty(name.get(), nullptr, value.get(), slot.type, nullptr, 0)));
    name.release();
    value.release();
    return property;
}

// Copy of a string member; NULL stays NULL.
cimobj::StringPtr copyOf(const CIMString *text) {
    return cimobj::StringPtr(text ? checked(copyCIMString(text)) : nullptr);
}

}  // namespace

cimobj::InstancePtr WqlQuery::project(const CIMInstance *instance) const {
    if (!instance || !impl_ || !impl_->validated) return nullptr;
    if (impl_->all) return cimobj::InstancePtr(checked(copyCIMInstance(instance)));

    std::vector<const CIMProperty *> found = impl_->propertiesOf(instance);
    cimobj::ListPtr properties(checked(newCIMPropertyList()));
    for (int slot : impl_->projection) {
        cimobj::PropertyPtr property(found[slot] ? checked(copyCIMProperty(found[slot]))
                                                 : nullProperty(impl_->slots[slot]).release());
        if (!isSuccessfulFree(appendToCIMPropertyList(properties.get(), property.get()))) throw std::bad_alloc();
        property.release();
    }
    cimobj::StringPtr className = copyOf(instance->className), nameSpace = copyOf(instance->nameSpace);
    cimobj::InstancePtr result(checked(newInstance(className.get(), nameSpace.get(), properties.get())));
    className.release();
    nameSpace.release();
    properties.release();
    if (const CIMObjectPath *path = getInstancePath(instance)) {
        cimobj::PathPtr copy(checked(copyObjectPath(path)));
        if (!setInstancePath(result.get(), copy.get())) throw std::bad_alloc();
        copy.release();
    }
    return result;
}

cimobj::ClassPtr WqlQuery::resultClass(const CIMClass *fromClass) const {
    if (!fromClass || !impl_ || !impl_->validated) return nullptr;
    cimobj::ClassPtr result(checked(copyCIMClass(fromClass)));
    if (impl_->all) return result;
    std::vector<const CIMProperty *> found(impl_->slots.size(), nullptr);
    for (CIMListNode *node = getFirstCIMProperty(getClassProperties(fromClass)); node;
         node = getNextCIMProperty(node)) {
        const CIMProperty *property = getCurrentCIMProperty(node);
        auto slot = impl_->slotIndex.find(cimobj::view(propertyGetName(property)));
        if (slot != impl_->slotIndex.end() && !found[slot->second]) found[slot->second] = property;
    }
    cimobj::ListPtr properties(checked(newCIMPropertyList()));
    for (int slot : impl_->projection) {
        if (!found[slot]) continue;
        cimobj::PropertyPtr property(checked(copyCIMProperty(found[slot])));
        if (!isSuccessfulFree(appendToCIMPropertyList(properties.get(), property.get()))) throw std::bad_alloc();
        property.release();
    }
    if (!setClassProperties(result.get(), properties.get())) throw std::bad_alloc();
    properties.release();
    if (!setClassMethods(result.get(), nullptr)) throw std::bad_alloc();
    return result;
}

}  // namespace cimom
