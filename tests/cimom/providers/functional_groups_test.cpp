// The operation groups a communication mechanism advertises, derived from
// the slots a CIMOM handle fills.
#include <gtest/gtest.h>

#include <cimom/handle.h>
#include <cimom/interop_providers.h>

#include <functional>

namespace {

TEST(FunctionalGroups, AGroupCountsOnlyWithAllItsSlotsAndTheGroupItBuildsOn) {
    struct Case {
        const char *without;
        std::function<void(CIMOMHandle &)> remove;
        std::vector<std::uint16_t> groups;
    };
    const Case cases[] = {
        {"nothing", [](CIMOMHandle &) {}, {2, 3, 4, 5, 6, 7, 8}},
        // Basic Write gone takes Instance and Schema Manipulation and Qualifier Declaration with it.
        {"SetProperty", [](CIMOMHandle &h) { h.pfn_setProperty = nullptr; }, {2, 6, 7}},
        {"ModifyClass", [](CIMOMHandle &h) { h.pfn_modifyClass = nullptr; }, {2, 3, 5, 6, 7}},
        {"ReferenceNames", [](CIMOMHandle &h) { h.pfn_referenceNames = nullptr; }, {2, 3, 4, 5, 7, 8}},
        {"ExecQuery", [](CIMOMHandle &h) { h.pfn_execQuery = nullptr; }, {2, 3, 4, 5, 6, 8}},
        {"EnumerateQualifiers", [](CIMOMHandle &h) { h.pfn_enumerateQualifiers = nullptr; }, {2, 3, 4, 5, 6, 7}},
        {"GetProperty", [](CIMOMHandle &h) { h.pfn_getProperty = nullptr; }, {}},
    };
    for (const Case &c : cases) {
        CIMOMHandle handle{};
        cimom::fillCimomHandle(handle);
        c.remove(handle);
        EXPECT_EQ(cimom::functionalGroupsOf(handle), c.groups) << "without " << c.without;
    }
    EXPECT_EQ(cimom::functionalGroupsOf(CIMOMHandle{}), std::vector<std::uint16_t>{});
}

}  // namespace
