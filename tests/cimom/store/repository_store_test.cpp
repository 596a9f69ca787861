// repository_store_test.cpp - the durable repository: what is written comes
// back equal after a restart, a compile is one transaction, and files that
// cannot serve are refused with a clear reason.
#include <gtest/gtest.h>

#include "cimom/om_fixture.h"
#include "cimom/store/store_fixture.h"

namespace storetest {
namespace {

TEST(RepositoryStore, EverythingWrittenComesBackEqualAfterARestart) {
    TempDir dir;
    std::string before;
    {
        auto om = openManager(dir.file("repository.db"));
        ASSERT_TRUE(om);
        writeEveryKind(*om);
        before = describeRepository(*om);
    }
    auto again = openManager(dir.file("repository.db"));
    ASSERT_TRUE(again);
    EXPECT_EQ(describeRepository(*again), before);
}

}  // namespace
}  // namespace storetest
