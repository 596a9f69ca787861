// The table of open pulled enumerations on its own: what a pull in flight
// forbids, when contexts expire, and that identifiers do not repeat.
#include <gtest/gtest.h>

#include <set>

#include "semantics/enumeration_contexts.h"

namespace {

using cimom::EnumerationContexts;

// Results that never end.
class Endless : public cimom::PulledResults {
public:
    cimom::Status next(std::size_t, cimom::PulledPiece &) override { return cimom::Status::success(); }
    bool ended() const override { return false; }
    std::optional<std::uint64_t> remaining() const override { return std::nullopt; }
};

std::string opened(EnumerationContexts &table, const std::string &user, std::chrono::seconds timeout) {
    auto context = std::make_unique<EnumerationContexts::Context>();
    context->user = user;
    context->nameSpace = L"root/cimv2";
    context->kind = cimom::PulledKind::InstancesWithPath;
    context->timeout = timeout;
    context->results = std::make_unique<Endless>();
    std::string identifier;
    EXPECT_TRUE(table.add(std::move(context), identifier).ok());
    return identifier;
}

TEST(EnumerationContexts, APullInFlightHoldsItsContextAgainstCloseAndExpiry) {
    EnumerationContexts table;
    std::string id = opened(table, "alice", std::chrono::seconds(5));
    EnumerationContexts::Context *context = nullptr;
    ASSERT_TRUE(table.checkOut("alice", L"ROOT/cimv2", id, cimom::PulledKind::InstancesWithPath, context).ok())
        << "namespaces compare without case";
    EXPECT_EQ(table.close("alice", L"root/cimv2", id).code, 24);
    EXPECT_EQ(table.checkOut("alice", L"root/cimv2", id, std::nullopt, context).code, 24);
    EXPECT_EQ(table.expire(EnumerationContexts::Clock::now() + std::chrono::hours(1)), 0u) << "not while out";
    table.checkIn(id, true);
    EXPECT_EQ(table.close("bob", L"root/cimv2", id).code, 21) << "another user's";
    EXPECT_EQ(table.close("alice", L"root/other", id).code, 21) << "another namespace";
    EXPECT_EQ(table.expire(EnumerationContexts::Clock::now()), 0u) << "its timer restarted at check-in";
    EXPECT_EQ(table.expire(EnumerationContexts::Clock::now() + std::chrono::seconds(6)), 1u);
    EXPECT_EQ(table.close("alice", L"root/cimv2", id).code, 21) << "expired";
    cimom::PullStatistics figures = table.statistics();
    EXPECT_EQ(figures.open, 0u);
    EXPECT_EQ(figures.opened, 1u);
    EXPECT_EQ(figures.expired, 1u);
}

TEST(EnumerationContexts, LimitsCountOpenContextsAndIdentifiersAreFresh) {
    EnumerationContexts table;
    cimom::PullLimits limits;
    limits.maxContexts = 50;
    limits.maxContextsPerUser = 40;
    table.setLimits(limits);
    std::set<std::string> identifiers;
    std::chrono::seconds timeout{};
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(table.admit("alice", std::nullopt, timeout).ok());
        std::string id = opened(table, "alice", timeout);
        EXPECT_EQ(id.size(), 32u);
        identifiers.insert(id);
    }
    EXPECT_EQ(identifiers.size(), 40u);
    EXPECT_EQ(table.admit("alice", std::nullopt, timeout).code, 27);
    EXPECT_TRUE(table.admit("bob", 60, timeout).ok());
    EXPECT_EQ(timeout, std::chrono::seconds(60));
    EXPECT_EQ(table.admit("bob", 0, timeout).code, 22);
    EXPECT_EQ(table.admit("bob", limits.maxTimeout + 1, timeout).code, 22);
    table.refuseNew();
    EXPECT_EQ(table.admit("bob", std::nullopt, timeout).code, 28);
}

}  // namespace
