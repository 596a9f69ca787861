// Namespaces made and removed through CIM_Namespace instances, providers
// whose results pass the same filters as stored instances, method
// providers, and the log of exported indications.
#include "om_fixture.h"

#include "providers/live_names.h"
#include "support/log_capture.h"

namespace omtest {
namespace {

class NamespacesAndProviders : public ObjectManagerTest {
protected:
    std::string extraMof() const override {
        return "#pragma namespace(\"root/interop\")\n"
               "Qualifier Key : boolean = false, Scope(property, reference), Flavor(DisableOverride, ToSubclass);\n"
               "class CIM_Namespace { [Key] string SystemName; [Key] string Name; string Caption; };\n";
    }
    std::string names(const char *className, const std::string &nameSpace) {
        return answer<CIMList>([&](CIMList **out) {
            return handle.pfn_enumerateInstanceNames(pathOf(className, {}, nameSpace).get(), out);
        });
    }
    std::string create(const cimobj::InstancePtr &instance, const std::string &nameSpace) {
        return answer<CIMObjectPath>([&](CIMObjectPath **out) {
            return handle.pfn_createInstance(pathOf("", {}, nameSpace).get(), instance.get(), out);
        });
    }
};

TEST_F(NamespacesAndProviders, NamespacesAreCreatedListedAndDeletedAsInstances) {
    // A namespace's keys name the system that hosts the object manager.
    const std::string system = "SystemName=\"" + toUtf8(cimom::live::currentIdentity().host) + "\"";
    EXPECT_EQ(create(instanceOf("CIM_Namespace", {{"Name", "root/new"}}), "root/interop"),
              "//testhost/root/interop:CIM_Namespace." + system + ",Name=\"root/new\"");
    // Sent to the namespace it makes, as the project's own client sends it.
    EXPECT_EQ(create(instanceOf("CIM_Namespace", {{"Name", "root/other"}}), "root/other"),
              "//testhost/root/other:CIM_Namespace." + system + ",Name=\"root/other\"");
    EXPECT_EQ(create(instanceOf("CIM_Namespace", {{"Name", "ROOT/NEW"}}), "root/interop"),
              "11: namespace ROOT/NEW already exists");
    const std::string listed = "//testhost/root/interop:CIM_Namespace." + system + ",Name=\"";
    EXPECT_EQ(names("CIM_Namespace", "Root/Interop"),
              listed + "test\"\n" + listed + "root/interop\"\n" + listed + "root/new\"\n" + listed + "root/other\"\n");
    cimobj::PathPtr doomed = pathOf("CIM_Namespace", {{"Name", "root/NEW"}}, "root/interop");
    EXPECT_EQ(statusText(handle.pfn_deleteInstance(doomed.get())), "0: ");
    // Removed by a request sent to the namespace itself, as it was made;
    // another namespace's instance is not found there.
    EXPECT_EQ(statusText(handle.pfn_deleteInstance(pathOf("CIM_Namespace", {{"Name", "test"}}, "root/other").get())),
              "5: class CIM_Namespace does not exist in namespace root/other");
    EXPECT_EQ(statusText(handle.pfn_deleteInstance(pathOf("CIM_Namespace", {{"Name", "Root/Other"}}, "root/other").get())),
              "0: ");
    EXPECT_EQ(names("CIM_Namespace", "root/interop"), listed + "test\"\n" + listed + "root/interop\"\n");
    EXPECT_EQ(names("T_Other", "root/new"), "3: namespace root/new does not exist");
    EXPECT_EQ(names("CIM_Namespace", "test"), "5: class CIM_Namespace does not exist in namespace test");
    EXPECT_EQ(create(instanceOf("T_Other", {{"Id", "1"}}), "root/none"), "3: namespace root/none does not exist");
}

// Serves T_Leaf from memory of its own and T_Middle.Grow.
class LeafProvider : public cimom::InstanceProvider, public cimom::MethodProvider {
public:
    cimom::Status getInstance(const cimom::ProviderContext &context, const CIMObjectPath &,
                              cimobj::InstancePtr &instance) override {
        instance = leaf(context);
        return {};
    }
    cimom::Status enumerateInstances(const cimom::ProviderContext &context,
                                     std::vector<cimobj::InstancePtr> &instances) override {
        instances.push_back(leaf(context));
        return {};
    }
    cimom::Status invokeMethod(const cimom::ProviderContext &, const CIMObjectPath &target, const CIMMethod &method,
                               const std::vector<cimobj::PropertyPtr> &in, std::vector<cimobj::PropertyPtr> &out,
                               cimobj::ValuePtr &returnValue) override {
        called = toUtf8(method.name) + " on " + describe(&target) + " with " + describe(in.at(0)->value) + " " +
                 std::to_string(in.at(0)->value->type);
        out.emplace_back(newProperty(str("Now").release(), nullptr, uint32Value(42).release(), CIM_UINT32, nullptr, 0));
        returnValue = uint32Value(0);
        return {};
    }
    std::string called;

private:
    static cimobj::InstancePtr leaf(const cimom::ProviderContext &context) {
        cimobj::InstancePtr instance = instanceOf("T_Leaf", {{"Name", "live"}, {"Label", "from the provider"}});
        EXPECT_EQ(toUtf8(getClassName(context.cimClass)), "T_Leaf");
        return instance;
    }
};

TEST_F(NamespacesAndProviders, ProviderResultsPassTheSameFiltersAsStoredOnes) {
    auto provider = std::make_shared<LeafProvider>();
    om->registerInstanceProvider(L"test", L"t_leaf", provider);
    om->registerMethodProvider(L"test", L"T_Middle", provider);
    ASSERT_EQ(compile("instance of T_Middle { Name = \"stored\"; };"), "");
    cimobj::ListPtr properties = stringList({"Label"});
    EXPECT_EQ(answer<CIMList>([&](CIMList **found) {
                  return handle.pfn_enumerateInstances(pathOf("T_Base").get(), 0, 1, 0, 1, properties.get(), found);
              }),
              "instance of T_Middle //testhost/test:T_Middle.Name=\"stored\"\n"
              "  Label string = \"middle\" origin=T_Middle\n"
              "instance of T_Leaf //testhost/test:T_Leaf.Name=\"live\"\n"
              "  Label string = \"from the provider\" origin=T_Middle\n");
    EXPECT_EQ(names("T_Leaf", "test"), "//testhost/test:T_Leaf.Name=\"live\"\n");

    // The method of a subclass without a provider of its own reaches its
    // superclass's provider, its parameter converted to the declared type.
    cimobj::ListPtr in(newCIMPropertyList());
    freeReturnCode(appendToCIMPropertyList(
        in.get(), newProperty(str("by").release(), nullptr, stringValue("3").release(), CIM_STRING, nullptr, 0)));
    cimobj::ListPtr out(newCIMPropertyList());
    CIMValue *returned = nullptr;
    cimobj::PathPtr live = pathOf("T_Leaf", {{"Name", "live"}});
    EXPECT_EQ(statusText(handle.pfn_invokeMethod(live.get(), str("GROW").get(), in.get(), out.get(), &returned)),
              "0: ");
    cimobj::ValuePtr ownedReturn(returned);
    EXPECT_EQ(provider->called, "Grow on test:T_Leaf.Name=\"live\" with 3 4");
    EXPECT_EQ(describe(returned) + " " + describe(getCIMPropertyAt(out.get(), 0)->value), "0 42");
    freeReturnCode(appendToCIMPropertyList(
        in.get(), newProperty(str("Speed").release(), nullptr, stringValue("3").release(), CIM_STRING, nullptr, 0)));
    EXPECT_EQ(statusText(handle.pfn_invokeMethod(live.get(), str("Grow").get(), in.get(), out.get(), &returned)),
              "4: method Grow has no parameter Speed");
}

TEST_F(NamespacesAndProviders, ExportedIndicationsKeepTheNewestThousandAndAreLogged) {
    testsupport::LogCapture log(CIM_LOG_INFO);
    for (int i = 0; i < 1002; ++i) {
        cimobj::InstancePtr indication = instanceOf("T_Alert", {{"Sequence", std::to_string(i)}});
        EXPECT_EQ(statusText(handle.pfn_deliverIndication(i == 0 ? nullptr : pathOf("", {}, "root/x").get(),
                                                          indication.get())),
                  "0: ");
    }
    std::vector<cimom::ReceivedIndication> kept = om->receivedIndications();
    ASSERT_EQ(kept.size(), 1000u);
    EXPECT_EQ(describe(kept.front().indication.get()), "instance of T_Alert (no path)\n  Sequence string = \"2\"\n");
    EXPECT_EQ(describe(kept.back().indication.get()), "instance of T_Alert (no path)\n  Sequence string = \"1001\"\n");
    EXPECT_EQ(toUtf8(kept.back().nameSpace), "root/x");
    EXPECT_TRUE(log.contains("indication T_Alert received for namespace (none)", CIM_LOG_INFO));
    EXPECT_EQ(log.lines().size(), 1002u);
}

}  // namespace
}  // namespace omtest
