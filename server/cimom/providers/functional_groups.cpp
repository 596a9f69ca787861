// functional_groups.cpp - the operation groups a CIMOM handle serves, as
// a communication mechanism advertises them.
#include "cimom/interop_providers.h"

#include <algorithm>

namespace cimom {

namespace {

// A group counts when its slots are filled and the group it builds on
// (0: none) counts; the table lists that group first.
struct Group {
    std::uint16_t value;  // FunctionalProfilesSupported
    std::uint16_t buildsOn;
    bool (*served)(const CIMOMHandle &handle);
};

template <class... Slots>
bool allFilled(Slots... slots) {
    return ((slots != nullptr) && ...);
}

const Group groups[] = {
    {2, 0,  // Basic Read
     [](const CIMOMHandle &h) {
         return allFilled(h.pfn_getClass, h.pfn_enumerateClasses, h.pfn_enumerateClassNames, h.pfn_getInstance,
                          h.pfn_enumerateInstances, h.pfn_enumerateInstanceNames, h.pfn_getProperty);
     }},
    {3, 2, [](const CIMOMHandle &h) { return allFilled(h.pfn_setProperty); }},  // Basic Write
    {5, 3,  // Instance Manipulation
     [](const CIMOMHandle &h) { return allFilled(h.pfn_createInstance, h.pfn_setInstance, h.pfn_deleteInstance); }},
    {4, 5,  // Schema Manipulation
     [](const CIMOMHandle &h) { return allFilled(h.pfn_createClass, h.pfn_modifyClass, h.pfn_deleteClass); }},
    {6, 2,  // Association Traversal
     [](const CIMOMHandle &h) {
         return allFilled(h.pfn_associators, h.pfn_associatorNames, h.pfn_references, h.pfn_referenceNames);
     }},
    {7, 2, [](const CIMOMHandle &h) { return allFilled(h.pfn_execQuery); }},  // Query Execution
    {8, 4,  // Qualifier Declaration
     [](const CIMOMHandle &h) {
         return allFilled(h.pfn_getQualifier, h.pfn_setQualifier, h.pfn_deleteQualifier, h.pfn_enumerateQualifiers);
     }},
};

}  // namespace

std::vector<std::uint16_t> functionalGroupsOf(const CIMOMHandle &handle) {
    std::vector<std::uint16_t> served;
    for (const Group &group : groups) {
        bool base = group.buildsOn == 0 || std::find(served.begin(), served.end(), group.buildsOn) != served.end();
        if (base && group.served(handle)) served.push_back(group.value);
    }
    std::sort(served.begin(), served.end());
    return served;
}

}  // namespace cimom
