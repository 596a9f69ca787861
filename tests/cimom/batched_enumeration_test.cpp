// Enumerations, associations and queries handed over in batches: the same
// results in the same order whatever the batch size, an early stop, writes
// between batches (the repository is not locked while a batch is out), and
// a provider that fails after the first batches.
#include "om_fixture.h"

namespace omtest {
namespace {

// Gives two instances, then fails.
class FailingHalfWay : public cimom::InstanceProvider {
public:
    cimom::Status getInstance(const cimom::ProviderContext &, const CIMObjectPath &, cimobj::InstancePtr &) override {
        return cimom::Status::error(6, "none here");
    }
    cimom::Status enumerateInstances(const cimom::ProviderContext &,
                                     std::vector<cimobj::InstancePtr> &instances) override {
        instances.push_back(instanceOf("T_Flaky", {{"Id", "100"}}));
        instances.push_back(instanceOf("T_Flaky", {{"Id", "101"}}));
        return cimom::Status::error(1, "the source went away half way");
    }
};

// Makes instances one at a time until the sink wants no more, noting how
// many batches had been delivered when it made each.
class Streaming : public cimom::InstanceProvider {
public:
    explicit Streaming(const std::vector<std::size_t> &delivered) : delivered_(delivered) {}
    cimom::Status getInstance(const cimom::ProviderContext &, const CIMObjectPath &, cimobj::InstancePtr &) override {
        return cimom::Status::error(6, "none here");
    }
    cimom::Status enumerateInstances(const cimom::ProviderContext &, std::vector<cimobj::InstancePtr> &) override {
        return cimom::Status::error(1, "asked for a whole list");
    }
    cimom::Status streamInstances(const cimom::ProviderContext &, const InstanceSink &sink) override {
        for (int id = 1; id <= 100; ++id) {
            batchesSeen.push_back(delivered_.size());
            if (!sink(instanceOf("T_Flaky", {{"Id", std::to_string(id)}}))) break;
        }
        return cimom::Status::success();
    }
    std::vector<std::size_t> batchesSeen;

private:
    const std::vector<std::size_t> &delivered_;
};

class BatchedEnumeration : public ObjectManagerTest {
protected:
    std::string extraMof() const override {
        std::string mof =
            "class T_Flaky : T_Other { };\n"
            "[Association] class T_Pair { [Key] T_Other REF One; [Key] T_Other REF Other; };\n";
        for (int id = 1; id <= 20; ++id)
            mof += "instance of T_Other as $o" + std::to_string(id) + " { Id = " + std::to_string(id) + "; };\n";
        for (int id = 2; id <= 20; ++id) mof += "instance of T_Pair { One = $o1; Other = $o" + std::to_string(id) + "; };\n";
        return mof;
    }
    // The Ids of an enumeration of className in batches of size, the batch
    // sizes in sizes; each batch passes through between before it is taken.
    cimom::Status run(const std::string &className, std::size_t size, std::vector<std::size_t> &sizes,
                      std::string &ids, const std::function<bool(std::size_t batch)> &between = nullptr) {
        return om->enumerateInstances(L"test", cimobj::fromUtf8(className), {}, size,
                                      [&](std::vector<cimobj::InstancePtr> &batch) {
                                          sizes.push_back(batch.size());
                                          for (const cimobj::InstancePtr &one : batch)
                                              ids += describe(findCIMProperty(one->properties, L"Id")->value) + " ";
                                          return between ? between(sizes.size()) : true;
                                      });
    }
};

TEST_F(BatchedEnumeration, GiveTheSameWhateverTheSizeAndSeeWritesBetweenBatches) {
    std::string all;
    for (int id = 1; id <= 20; ++id) all += std::to_string(id) + " ";
    struct Case {
        std::size_t size;
        std::vector<std::size_t> sizes;
    };
    for (const Case &c : {Case{1, std::vector<std::size_t>(20, 1)}, Case{7, {7, 7, 6}}, Case{0, {20}}, Case{20, {20}}}) {
        std::vector<std::size_t> sizes;
        std::string ids;
        EXPECT_TRUE(run("T_Other", c.size, sizes, ids).ok());
        EXPECT_EQ(ids, all) << c.size;
        EXPECT_EQ(sizes, c.sizes) << c.size;
        std::vector<cimobj::PathPtr> names;
        std::size_t named = 0;
        EXPECT_TRUE(om->enumerateInstanceNames(L"test", L"T_Other", c.size, [&](std::vector<cimobj::PathPtr> &batch) {
                          named += batch.size();
                          return true;
                      }).ok());
        EXPECT_EQ(named, 20u);
    }

    // Deliver asks to stop: what came is all there is, and that is success.
    std::vector<std::size_t> sizes;
    std::string ids;
    EXPECT_TRUE(run("T_Other", 5, sizes, ids, [](std::size_t) { return false; }).ok());
    EXPECT_EQ(sizes, std::vector<std::size_t>{5});

    // Between the first and second batch, one not yet read goes, one read
    // already goes, and a new one comes: it comes last.
    sizes.clear();
    ids.clear();
    EXPECT_TRUE(run("T_Other", 5, sizes, ids, [&](std::size_t batch) {
                    if (batch == 1) {
                        EXPECT_TRUE(om->deleteInstance(L"test", *pathOf("T_Other", {{"Id", "10"}})).ok());
                        EXPECT_TRUE(om->deleteInstance(L"test", *pathOf("T_Other", {{"Id", "2"}})).ok());
                        cimobj::PathPtr made;
                        EXPECT_TRUE(om->createInstance(L"test", *instanceOf("T_Other", {{"Id", "99"}}), made).ok());
                    }
                    return true;
                }).ok());
    EXPECT_EQ(ids, "1 2 3 4 5 6 7 8 9 11 12 13 14 15 16 17 18 19 20 99 ");
}

TEST_F(BatchedEnumeration, AssociationsAndQueriesComeInTheSameOrderAsWhole) {
    cimobj::PathPtr first = pathOf("T_Other", {{"Id", "1"}});
    auto pathsOf = [](const std::vector<cimobj::InstancePtr> &instances, std::string &text) {
        for (const cimobj::InstancePtr &one : instances) text += describe(getInstancePath(one.get())) + " ";
    };
    auto objectsIn = [&](std::size_t size, std::vector<std::size_t> &sizes, bool associators) {
        std::string paths;
        auto take = [&](cimom::ClassesOrInstances &batch) {
            sizes.push_back(batch.instances.size());
            pathsOf(batch.instances, paths);
            return sizes.size() < 2 || size != 5;  // batches of 5 stop after two
        };
        cimom::Status status = associators ? om->associators(L"test", *first, {}, {}, size, take)
                                           : om->references(L"test", *first, {}, {}, size, take);
        EXPECT_TRUE(status.ok()) << status.message;
        return paths;
    };
    for (bool associators : {true, false}) {
        cimom::ClassesOrInstances whole;
        ASSERT_TRUE((associators ? om->associators(L"test", *first, {}, {}, whole)
                                 : om->references(L"test", *first, {}, {}, whole))
                        .ok());
        ASSERT_EQ(whole.instances.size(), 19u);
        std::string wholePaths;
        pathsOf(whole.instances, wholePaths);
        std::vector<std::size_t> sizes;
        EXPECT_EQ(objectsIn(7, sizes, associators), wholePaths) << associators;
        EXPECT_EQ(sizes, (std::vector<std::size_t>{7, 7, 5})) << associators;
        sizes.clear();
        objectsIn(5, sizes, associators);
        EXPECT_EQ(sizes, (std::vector<std::size_t>{5, 5})) << "deliver asked to stop";

        std::vector<cimobj::PathPtr> names;
        sizes.clear();
        auto takeNames = [&](std::vector<cimobj::PathPtr> &batch) {
            sizes.push_back(batch.size());
            for (cimobj::PathPtr &one : batch) names.push_back(std::move(one));
            return true;
        };
        EXPECT_TRUE((associators ? om->associatorNames(L"test", *first, {}, 8, takeNames)
                                 : om->referenceNames(L"test", *first, {}, 8, takeNames))
                        .ok());
        EXPECT_EQ(sizes, (std::vector<std::size_t>{8, 8, 3})) << associators;
    }

    // Pulled, the associations come in pieces of the size asked, in the
    // same order, a filter dropping what it does not select.
    for (bool associators : {true, false}) {
        cimom::ClassesOrInstances whole;
        ASSERT_TRUE((associators ? om->associators(L"test", *first, {}, {}, whole)
                                 : om->references(L"test", *first, {}, {}, whole))
                        .ok());
        std::string wholePaths;
        pathsOf(whole.instances, wholePaths);
        for (const char *filter : {"", associators ? "Id >= 10" : "Other IS NOT NULL"}) {
            cimom::OpenEnumeration open;
            open.nameSpace = L"test";
            open.source = associators ? cimom::PulledSource::Associators : cimom::PulledSource::References;
            open.objectName = pathOf("T_Other", {{"Id", "1"}});
            if (*filter) {
                open.filterLanguage = L"DMTF:FQL";
                open.filterQuery = cimobj::fromUtf8(filter);
            }
            open.maxObjectCount = 7;
            cimom::PulledPiece piece;
            ASSERT_TRUE(om->openEnumeration(open, piece).ok());
            std::vector<std::size_t> sizes{piece.instances.size()};
            std::string pulled;
            pathsOf(piece.instances, pulled);
            for (int guard = 0; !piece.endOfSequence && guard < 10; ++guard) {
                std::string context = piece.context;
                ASSERT_TRUE(om->pullEnumeration("", L"test", context, open.kind, 7, piece).ok());
                sizes.push_back(piece.instances.size());
                pathsOf(piece.instances, pulled);
            }
            if (*filter && associators) {
                EXPECT_EQ(sizes, (std::vector<std::size_t>{7, 4})) << "Ids 10 to 20";
            } else {
                EXPECT_EQ(pulled, wholePaths) << associators;
                EXPECT_EQ(sizes, (std::vector<std::size_t>{7, 7, 5})) << associators;
            }
        }
    }

    std::vector<std::size_t> sizes;
    std::string ids;
    EXPECT_TRUE(om->execQuery(L"test", L"SELECT Id FROM T_Other WHERE Id > 10", L"WQL", 4,
                              [&](std::vector<cimobj::InstancePtr> &batch) {
                                  sizes.push_back(batch.size());
                                  for (const cimobj::InstancePtr &one : batch)
                                      ids += describe(findCIMProperty(one->properties, L"Id")->value) + " ";
                                  return true;
                              })
                    .ok());
    EXPECT_EQ(ids, "11 12 13 14 15 16 17 18 19 20 ");
    EXPECT_EQ(sizes, (std::vector<std::size_t>{4, 4, 2}));
}

TEST_F(BatchedEnumeration, AFailureAfterTheFirstBatchesComesAfterThem) {
    om->registerInstanceProvider(L"test", L"T_Flaky", std::make_shared<FailingHalfWay>());
    std::vector<std::size_t> sizes;
    std::string ids;
    cimom::Status status = run("T_Other", 8, sizes, ids);
    EXPECT_EQ(status.code, 1);
    EXPECT_EQ(status.message, "the source went away half way");
    EXPECT_EQ(sizes, (std::vector<std::size_t>{8, 8, 6})) << "what came before the failure comes before it";
    // The whole-list form fails the same way.
    std::vector<cimobj::InstancePtr> instances;
    EXPECT_EQ(om->enumerateInstances(L"test", L"T_Other", {}, instances).code, 1);
}

TEST_F(BatchedEnumeration, AProvidersInstancesGoOutWhileItMakesThemAndStopItWhenNoMoreAreWanted) {
    std::vector<std::size_t> sizes;
    auto provider = std::make_shared<Streaming>(sizes);
    om->registerInstanceProvider(L"test", L"T_Flaky", provider);
    std::string ids;
    EXPECT_TRUE(run("T_Flaky", 8, sizes, ids, [](std::size_t batch) { return batch < 2; }).ok());
    EXPECT_EQ(sizes, (std::vector<std::size_t>{8, 8}));
    ASSERT_EQ(provider->batchesSeen.size(), 16u) << "it stops when the second batch is refused";
    EXPECT_EQ(provider->batchesSeen[8], 1u) << "the first batch went out before the ninth instance was made";
}

}  // namespace
}  // namespace omtest
