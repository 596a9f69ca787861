// Fragments under construction stay reachable for the collector while a
// builder holds them, on the stack or in its spilled array, and collections
// run meanwhile.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cimxml_common/memory.h"
#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/fragment_builder.h"

using namespace fixtures;

namespace {

// Allocates and fills blocks of the fragments' size, so that a block the
// collector wrongly reclaimed would be overwritten.
void churn(std::size_t size, int count) {
    for (int i = 0; i < count; ++i) {
        char *block = static_cast<char *>(CIMXML_MALLOC(size, 1, CIMXML_ATOMIC));
        if (block != nullptr) std::memset(block, 'X', size);
    }
}

TEST(CollectorSafety, SpilledBuilderKeepsItsFragmentsAlive) {
    std::string expected;
    char *result = nullptr;
    {
        fragment_builder builder;
        for (int i = 0; i < 5000; ++i) {
            std::string piece = "<VALUE>" + std::to_string(i) + "</VALUE>\n";
            expected += piece;
            builder.take(concat_fragment({piece}));
            if (i % 1000 == 999) {
                GC_gcollect();
                churn(24, 20000);
            }
        }
        GC_gcollect();
        churn(24, 50000);
        result = builder.finish();
    }
    EXPECT_EQ(take(result), expected);
}

}  // namespace
