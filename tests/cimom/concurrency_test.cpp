// Eight threads mixing reads and writes of instances through the handle:
// nothing crashes, no read sees half of a write, and the counts add up.
#include <atomic>
#include <chrono>
#include <thread>

#include "om_fixture.h"

namespace omtest {
namespace {

class Concurrency : public ObjectManagerTest {};

// A modification that sets Size and Note together; a reader that sees one
// without the other saw half a write.
cimobj::InstancePtr sizeAndNote(unsigned size) {
    return instanceOf("T_Other", {{"Size", std::to_string(size)}, {"Note", "size " + std::to_string(size)}});
}

TEST_F(Concurrency, ReadersAndWritersKeepEveryInvariant) {
    ASSERT_EQ(compile("class T_Sized : T_Other { uint32 Size; };"), "");
    std::atomic<bool> stop{false};
    std::atomic<int> problems{0}, reads{0};
    int created[4] = {}, deleted[4] = {};
    std::vector<std::thread> threads;
    for (int w = 0; w < 4; ++w) {
        threads.emplace_back([&, w] {
            for (unsigned n = 0; !stop; ++n) {
                unsigned id = w * 1000000 + n;
                cimobj::InstancePtr instance = instanceOf("T_Sized", {{"Id", std::to_string(id)}, {"Note", "size 0"}});
                CIMObjectPath *made = nullptr;
                ReturnCode *rc = handle.pfn_createInstance(pathOf("T_Sized").get(), instance.get(), &made);
                if (statusText(rc) != "0: ") ++problems;
                cimobj::PathPtr path(made);
                ++created[w];
                setObjectPathNameSpace(path.get(), str("test").release());
                cimobj::InstancePtr change = sizeAndNote(n);
                if (statusText(handle.pfn_setInstance(path.get(), change.get(), 0, nullptr)) != "0: ") ++problems;
                // Odd ones go again; readers never expect to get those.
                if (n % 2 && statusText(handle.pfn_deleteInstance(path.get())) == "0: ") ++deleted[w];
            }
        });
    }
    for (int r = 0; r < 4; ++r) {
        threads.emplace_back([&] {
            while (!stop) {
                CIMInstanceList *found = nullptr;
                ReturnCode *rc = handle.pfn_enumerateInstances(pathOf("T_Other").get(), 0, 1, 0, 0, nullptr, &found);
                if (statusText(rc) != "0: ") ++problems;
                cimobj::ListPtr owned(found);
                for (int i = 0; i < getLength(found); ++i) {
                    auto *instance = static_cast<CIMInstance *>(getElementAt(found, i));
                    const CIMProperty *size = findCIMProperty(instance->properties, L"Size");
                    std::string note = describe(findCIMProperty(instance->properties, L"Note")->value);
                    if (note != "\"size " + describe(size->value) + "\"" && note != "\"size 0\"") ++problems;
                    if (describe(size->value) == "NULL" || size->value->data.u32 % 2) continue;
                    CIMInstance *got = nullptr;
                    if (statusText(handle.pfn_getInstance(getInstancePath(instance), 0, 0, 0, nullptr, &got)) != "0: ")
                        ++problems;
                    freeCIMInstance(got);
                    ++reads;
                }
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    stop = true;
    for (std::thread &t : threads) t.join();
    EXPECT_EQ(problems, 0);
    EXPECT_GT(reads, 0);
    std::vector<cimobj::PathPtr> names;
    ASSERT_TRUE(om->enumerateInstanceNames(L"test", L"T_Sized", names).ok());
    int expected = 0;
    for (int w = 0; w < 4; ++w) expected += created[w] - deleted[w];
    EXPECT_EQ(static_cast<int>(names.size()), expected);
}

}  // namespace
}  // namespace omtest
