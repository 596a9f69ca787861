// live_provider.cpp - planning and building the instances of live providers.
#include "providers/live_provider.h"

#include "providers/live_values.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom::live {

namespace {

bool asked(const PropertyNames &properties, std::wstring_view name) {
    if (!properties) return true;
    for (const std::wstring &wanted : *properties)
        if (sameName(wanted, name)) return true;
    return false;
}

cimobj::ValuePtr defaultOf(const CIMProperty &declared) {
    if (!isCIMValueNull(declared.value)) return copyValue(declared.value);
    return cimobj::ValuePtr(orThrow(newCIMValueNULL(declared.type)));
}

}  // namespace

InstancePlan planInstance(const ProviderContext &context, std::span<const wchar_t *const> names,
                          std::span<const unsigned> needs) {
    InstancePlan plan;
    for (const CIMProperty *declared : items<CIMProperty>(getClassProperties(context.cimClass))) {
        std::wstring_view name = textOf(declared->name);
        if (!declared->isKey && !asked(context.properties, name)) continue;
        int source = declared->isKey ? InstancePlan::keyValue : InstancePlan::classDefault;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (sameName(names[i], name)) {
                source = static_cast<int>(i);
                plan.needs |= needs[i];
                break;
            }
        }
        plan.entries.push_back({declared, source});
    }
    return plan;
}

cimobj::InstancePtr buildInstance(const ProviderContext &context, const InstancePlan &plan, const KeyValues &keys,
                                  const std::function<cimobj::ValuePtr(int)> &valueAt) {
    cimobj::InstancePtr instance(orThrow(newInstance(newText(textOf(getClassName(context.cimClass))), nullptr, nullptr)));
    for (const InstancePlan::Entry &entry : plan.entries) {
        const CIMProperty &declared = *entry.declared;
        cimobj::ValuePtr value;
        if (entry.source == InstancePlan::keyValue) {
            for (const auto &[name, text] : keys)
                if (sameName(name, textOf(declared.name))) value = textValue(text);
        } else if (entry.source == InstancePlan::classDefault) {
            value = defaultOf(declared);
        } else {
            value = valueAt(entry.source);
        }
        if (!value) value.reset(orThrow(newCIMValueNULL(declared.type)));
        cimobj::PropertyPtr property(
            orThrow(newProperty(newText(textOf(declared.name)), nullptr, value.get(), declared.type, nullptr, 0)));
        value.release();
        property->isKey = declared.isKey;
        appendOwned(&instance->properties, CIMLIST_PROPERTY, std::move(property));
    }
    return instance;
}

}  // namespace cimom::live
