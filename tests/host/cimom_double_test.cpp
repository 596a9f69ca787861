// The test object manager itself: what it records, what it hands over, and
// that several doubles and threads do not mix their calls.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "support/cimom_double.h"

namespace {

using testsupport::CallArgs;
using testsupport::CimomDouble;

struct PathOwner {
    CIMObjectPath *path;
    ~PathOwner() { freeCIMObjectPath(path); }
};

CIMObjectPath *path_in(const wchar_t *nameSpace, const wchar_t *className) {
    CIMObjectPath *path = newObjectPathWithName(className ? newCIMString(className) : nullptr);
    setObjectPathNameSpace(path, newCIMString(nameSpace));
    return path;
}

TEST(CimomDouble, RecordsEveryArgumentAsReadableText) {
    CimomDouble cimom;
    PathOwner target{path_in(L"root/cimv2", nullptr)};
    CIMClassList *classes = reinterpret_cast<CIMClassList *>(1);
    ReturnCode *status = cimom.handle()->pfn_enumerateClasses(target.path, 0, 1, 1, 0, &classes);
    EXPECT_EQ(getErrorFromRetCode(status), 0);
    freeReturnCode(status);
    EXPECT_EQ(classes, nullptr) << "no factory: the out-result is NULL";
    EXPECT_EQ(cimom.lastCall("pfn_enumerateClasses"),
              (CallArgs{{"path", "root/cimv2:(none)"},
                        {"deepInheritance", "0"},
                        {"localOnly", "1"},
                        {"includeQualifiers", "1"},
                        {"includeClassOrigin", "0"}}));

    PathOwner instancePath{testsupport::makeInstancePath(L"CIM_Foo", 7)};
    CIMStringList *properties = newCIMStringList();
    freeReturnCode(appendToCIMStringList(properties, newCIMString(L"Caption")));
    CIMInstance *instance = nullptr;
    freeReturnCode(cimom.handle()->pfn_getInstance(instancePath.path, 1, 0, 0, properties, &instance));
    freeCIMStringList(properties);
    EXPECT_EQ(cimom.lastCall("pfn_getInstance"),
              (CallArgs{{"instancePath", "root/cimv2:CIM_Foo.Name=\"CIM_Foo-7\""},
                        {"localOnly", "1"},
                        {"includeQualifiers", "0"},
                        {"includeClassOrigin", "0"},
                        {"propertyList", "{Caption}"}}));

    CIMValue *value = newCIMValue(CIM_STRING, newCIMString(L"x"));
    freeReturnCode(cimom.handle()->pfn_setProperty(instancePath.path, nullptr, value));
    freeCIMValue(value);
    EXPECT_EQ(cimom.lastCall("pfn_setProperty")[1].second, "(null)");
    EXPECT_EQ(cimom.lastCall("pfn_setProperty")[2].second, "string \"x\"");
}

TEST(CimomDouble, DescribesInstancesWithEveryPropertyInOrder) {
    CIMInstance *instance = testsupport::makeInstance(L"CIM_Foo", 3);
    EXPECT_EQ(testsupport::instanceText(instance),
              "root/cimv2:CIM_Foo{Name:string=\"CIM_Foo-3\",Caption:string=\"Item 3\","
              "Description:string=\"Test item <3> & co\",ElementName:string=\"element3\","
              "Count:uint32=3,Size:uint64=1000000000003,Delta:sint32=-3,Enabled:boolean=true,"
              "Ratio:real64=0.25,Installed:datetime=\"20240131120000.000000+000\"}");
    EXPECT_EQ(testsupport::pathText(getInstancePath(instance)), "root/cimv2:CIM_Foo.Name=\"CIM_Foo-3\"");
    freeCIMInstance(instance);
}

TEST(CimomDouble, AnswersWithTheStatusAndAFreshResultPerCall) {
    CimomDouble cimom;
    cimom.setResult("pfn_getClass", [] { return static_cast<void *>(testsupport::makeClass(L"CIM_Foo")); });
    PathOwner target{path_in(L"root/cimv2", L"CIM_Foo")};
    CIMClass *first = nullptr;
    CIMClass *second = nullptr;
    freeReturnCode(cimom.handle()->pfn_getClass(target.path, 1, 1, 0, nullptr, &first));
    freeReturnCode(cimom.handle()->pfn_getClass(target.path, 1, 1, 0, nullptr, &second));
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(testsupport::classText(first),
              "root/cimv2:CIM_Foo{Name:string=(null),Caption:string=\"A thing\",Count:uint32=(null),"
              "Enabled:boolean=false}");
    freeCIMClass(first);
    freeCIMClass(second);

    cimom.setStatus("pfn_getClass", 6, "Class CIM_Foo not found");
    CIMClass *none = nullptr;
    ReturnCode *status = cimom.handle()->pfn_getClass(target.path, 1, 1, 0, nullptr, &none);
    EXPECT_EQ(getErrorFromRetCode(status), 6);
    EXPECT_EQ(testsupport::narrowText(getReturnCodeDescription(status)), "Class CIM_Foo not found");
    EXPECT_EQ(none, nullptr) << "a failing slot hands over nothing unless asked to";
    freeReturnCode(status);
    EXPECT_EQ(cimom.callCount("pfn_getClass"), 3u);
}

TEST(CimomDouble, RejectsUnknownSlotNamesAndLeavesChosenSlotsNull) {
    CimomDouble cimom;
    EXPECT_THROW(cimom.setStatus("pfn_getclass", 1), std::invalid_argument);
    EXPECT_THROW(cimom.lastCall("pfn_getClass"), std::out_of_range);
    cimom.leaveNull({"pfn_getClass", "pfn_deliverIndication"});
    EXPECT_EQ(cimom.handle()->pfn_getClass, nullptr);
    EXPECT_EQ(cimom.handle()->pfn_deliverIndication, nullptr);
    EXPECT_NE(cimom.handle()->pfn_enumerateClasses, nullptr);
    cimom.answerEverySlot();
    EXPECT_NE(cimom.handle()->pfn_getClass, nullptr);
}

TEST(CimomDouble, KeepsTwoDoublesAndManyThreadsApart) {
    CimomDouble a;
    CimomDouble b;
    PathOwner target{path_in(L"root/a", nullptr)};
    constexpr int threads = 8;
    constexpr int calls = 200;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            CimomDouble &cimom = t % 2 == 0 ? a : b;
            for (int i = 0; i < calls; ++i) freeReturnCode(cimom.handle()->pfn_deleteClass(target.path));
        });
    }
    for (auto &worker : workers) worker.join();
    EXPECT_EQ(a.callCount("pfn_deleteClass"), static_cast<std::size_t>(threads / 2 * calls));
    EXPECT_EQ(b.callCount("pfn_deleteClass"), static_cast<std::size_t>(threads / 2 * calls));
    EXPECT_EQ(a.calls().size(), static_cast<std::size_t>(threads / 2 * calls));
}

TEST(CimomDouble, InvokeMethodFillsTheOutputListItIsLent) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    PathOwner target{path_in(L"root/cimv2", L"CIM_Foo")};
    CIMString *method = newCIMString(L"Reset");
    CIMPropertyList *in = newCIMPropertyList();
    uint32_t level = 2;
    freeReturnCode(appendToCIMPropertyList(
        in, newProperty(newCIMString(L"Level"), nullptr, newCIMValue(CIM_UINT32, &level), CIM_UINT32, nullptr, 0)));
    CIMPropertyList *out = newCIMPropertyList();
    CIMValue *returned = nullptr;
    freeReturnCode(cimom.handle()->pfn_invokeMethod(target.path, method, in, out, &returned));
    EXPECT_EQ(testsupport::valueText(returned), "uint32 0");
    EXPECT_EQ(testsupport::parametersText(out), "{Result:string=\"done\"}");
    EXPECT_EQ(cimom.lastCall("pfn_invokeMethod"),
              (CallArgs{{"path", "root/cimv2:CIM_Foo"},
                        {"methodName", "Reset"},
                        {"inParameters", "{Level:uint32=2}"},
                        {"outParameters", "{}"}}));
    freeCIMValue(returned);
    freeCIMPropertyList(out);
    freeCIMPropertyList(in);
    freeCIMString(method);
}

}  // namespace
