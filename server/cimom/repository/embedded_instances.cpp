// embedded_instances.cpp - embedded instances typed by their classes.
#include "repository/embedded_instances.h"

#include <unordered_set>

#include "repository/instance_keys.h"
#include "support/embedded_types.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

using cimobj::toUtf8;

// How deep the current thread is inside embedded instances (conversion of
// an embedded instance's values comes back here for the ones they hold).
thread_local int embeddedDepth = 0;

Status typedInstance(const NamespaceData &space, const CIMInstance &given, cimobj::InstancePtr &typed) {
    std::wstring_view className = textOf(getInstanceName(&given));
    const ClassRecord *record = space.findClass(className);
    if (!record)
        return Status::error(4, "embedded instance of class " + toUtf8(className) + ": no such class in namespace " +
                                    toUtf8(space.name));
    cimobj::ListPtr properties = makeList(CIMLIST_PROPERTY);
    CIMList *raw = properties.get();
    std::unordered_set<std::wstring> seen;
    for (CIMProperty *p : items<CIMProperty>(given.properties)) {
        const CIMProperty *declared = record->property(textOf(p->name));
        if (!declared || !seen.insert(foldName(textOf(p->name))).second)
            return Status::error(4, "embedded instance of class " + toUtf8(record->name) +
                                        (declared ? ": property given twice: " : ": the class has no property ") +
                                        toUtf8(textOf(p->name)));
        cimobj::ValuePtr value;
        Status status = convertForProperty(space, *declared, p->value, value, 4, "embedded property");
        if (!status.ok()) return status;
        cimobj::PropertyPtr made(orThrow(newProperty(orThrow(copyCIMString(declared->name)), nullptr, value.get(),
                                                     heldType(*declared), nullptr, 0)));
        value.release();
        made->isKey = declared->isKey;
        appendOwned(&raw, CIMLIST_PROPERTY, std::move(made));
    }
    typed.reset(orThrow(newInstance(newText(record->name), newText(space.name), properties.release())));
    return Status::success();
}

// The instance a value element holds, typed in place.
Status typeOne(const NamespaceData &space, CIMValue &element) {
    if (element.type != CIM_OBJECT || element.isNull || !element.data.instance) return Status::success();
    cimobj::InstancePtr typed;
    Status status = typedInstance(space, *element.data.instance, typed);
    if (!status.ok()) return status;
    freeCIMInstance(element.data.instance);
    element.data.instance = typed.release();
    return status;
}

}  // namespace

Status typeEmbeddedInstances(const NamespaceData &space, CIMValue &value) {
    if (value.isNull || (value.type != CIM_OBJECT && value.type < CIM_ARRAY)) return Status::success();
    if (embeddedDepth >= maxEmbeddedInstanceDepth) return Status::error(4, "embedded instances nested too deeply");
    ++embeddedDepth;
    struct Leave {
        ~Leave() { --embeddedDepth; }
    } leave;
    // Typed into a copy, so that a failure leaves value as it was.
    cimobj::ValuePtr copy = copyValue(&value);
    Status status;
    if (copy->type >= CIM_ARRAY) {
        for (CIMValue *element : items<CIMValue>(copy->data.array))
            if (status.ok() && element) status = typeOne(space, *element);
    } else {
        status = typeOne(space, *copy);
    }
    if (!status.ok()) return status;
    std::swap(value, *copy);
    return status;
}

}  // namespace cimom
