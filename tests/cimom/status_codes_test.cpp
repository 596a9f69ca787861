// Every status code the object manager answers, each from an operation that
// gives it, called through the handle's slots as the module calls them.
#include <functional>

#include "om_fixture.h"

namespace omtest {
namespace {

// A provider that lists no instances and leaves the writes to the defaults.
class ListingOnly : public cimom::InstanceProvider {
public:
    cimom::Status getInstance(const cimom::ProviderContext &, const CIMObjectPath &, cimobj::InstancePtr &) override {
        return cimom::Status::error(6, "none here");
    }
    cimom::Status enumerateInstances(const cimom::ProviderContext &, std::vector<cimobj::InstancePtr> &) override {
        return {};
    }
};

class StatusCodes : public ObjectManagerTest {
protected:
    std::string extraMof() const override {
        return "class T_Lonely { [Key] string Name; };\n"
               "instance of T_Other { Id = 1; Note = \"one\"; };\n"
               "Qualifier EmbeddedInstance : string = null, Scope(property);\n"
               "Qualifier EmbeddedObject : boolean = false, Scope(property), Flavor(DisableOverride);\n"
               "class T_Holder { [Key] uint32 Id; [EmbeddedInstance(\"T_Other\")] string Item; real32 R;"
               " uint8 Smalls[]; };\n";
    }
};

cimobj::ClassPtr classOf(const std::string &name, const std::string &superName,
                         std::initializer_list<CIMProperty *> properties = {}) {
    cimobj::ClassPtr c(newCIMClass(str(name).release(), superName.empty() ? nullptr : str(superName).release()));
    for (CIMProperty *p : properties) {
        if (!c->properties) c->properties = newCIMPropertyList();
        freeReturnCode(appendToCIMPropertyList(c->properties, p));
    }
    return c;
}

CIMProperty *stringProperty(const std::string &name) {
    return newProperty(str(name).release(), nullptr, nullptr, CIM_STRING, nullptr, 0);
}

TEST_F(StatusCodes, EachFailureAnswersItsCodeAndSaysWhatWasWrong) {
    om->registerInstanceProvider(L"test", L"T_Lonely", std::make_shared<ListingOnly>());
    const CIMOMHandle &h = handle;
    struct Row {
        const char *operation;
        std::function<ReturnCode *()> call;
        std::string expected;
    };
    CIMInstance *instance = nullptr;
    CIMClass *cimClass = nullptr;
    CIMList *list = nullptr;
    CIMQualifierType *declaration = nullptr;
    CIMObjectPath *made = nullptr;
    auto create = [&](cimobj::InstancePtr i) { return h.pfn_createInstance(pathOf("").get(), i.get(), &made); };
    // A T_Holder with one typed value besides its key.
    auto hold = [&](const char *name, CIMValue *value) {
        cimobj::InstancePtr i = instanceOf("T_Holder", {{"Id", "1"}});
        freeReturnCode(instanceAddProperty(i.get(), newProperty(str(name).release(), nullptr, value, value->type,
                                                                nullptr, 0)));
        return create(std::move(i));
    };
    auto embedded = [](const char *className) {
        return newCIMValue(CIM_OBJECT, instanceOf(className, {{"Name", "n"}}).release());
    };
    auto createClass = [&](cimobj::ClassPtr c) { return h.pfn_createClass(pathOf("").get(), c.get()); };
    auto modifyClass = [&](cimobj::ClassPtr c) { return h.pfn_modifyClass(pathOf("").get(), c.get()); };
    auto setProperty = [&](const char *name, cimobj::ValuePtr value) {
        return h.pfn_setProperty(pathOf("T_Other", {{"Id", "1"}}).get(), str(name).get(), value.get());
    };
    auto getInstance = [&](const char *key) {
        return h.pfn_getInstance(pathOf("T_Other", {{key, "7"}}).get(), 0, 0, 0, nullptr, &instance);
    };
    auto invoke = [&](const char *target, const char *method) {
        CIMValue *value = nullptr;
        cimobj::ListPtr outs(newCIMPropertyList());
        return h.pfn_invokeMethod(pathOf(target).get(), str(method).get(), nullptr, outs.get(), &value);
    };
    const Row rows[] = {
        {"GetClass", [&] { return h.pfn_getClass(pathOf("T_Base", {}, "nowhere").get(), 0, 1, 0, nullptr, &cimClass); },
         "3: namespace nowhere does not exist"},
        {"GetInstance", [&] { return getInstance("Name"); },
         "4: the instance name lacks key Id of class T_Other"},
        {"DeleteInstance", [&] { return h.pfn_deleteInstance(pathOf("T_Other", {{"Id", "x"}}).get()); },
         "4: key Id: 'x' is not a uint32"},
        {"CreateClass", [&] { return createClass(classOf("T_New", "T_Nowhere")); },
         "10: superclass T_Nowhere of class T_New does not exist"},
        {"CreateClass", [&] { return createClass(classOf("t_other", "")); },
         "11: class t_other already exists in namespace test"},
        {"CreateClass", [&] {
             CIMProperty *p = stringProperty("Odd");
             freeReturnCode(propertyAddQualifier(p, newQualifier(str("Odd").release(), 0, nullptr, CIM_BOOLEAN, 0)));
             return createClass(classOf("T_New", "", {p})); },
         "4: qualifier Odd on property T_New.Odd is not declared"},
        {"CreateClass", [&] {
             CIMProperty *p = stringProperty("Name");
             CIMQualifier *q = newQualifier(str("Association").release(), 0, nullptr, CIM_BOOLEAN, 0);
             freeReturnCode(propertyAddQualifier(p, q));
             return createClass(classOf("T_New", "", {p})); },
         "4: qualifier Association may not be used on property T_New.Name"},
        {"ModifyClass", [&] { return modifyClass(classOf("T_Base", "", {stringProperty("More")})); },
         "8: class T_Base has subclasses; its members cannot change"},
        {"ModifyClass", [&] { return modifyClass(classOf("T_Other", "", {stringProperty("More")})); },
         "9: class T_Other has instances; its members cannot change"},
        {"ModifyClass", [&] { return modifyClass(classOf("T_Leaf", "T_Base")); },
         "10: class T_Leaf cannot change its superclass from T_Middle to T_Base"},
        {"CreateInstance", [&] { return create(instanceOf("T_Other", {{"Id", "2"}, {"Colour", "red"}})); },
         "4: class T_Other has no property Colour"},
        {"CreateInstance", [&] { return create(instanceOf("T_Other", {{"Id", "01"}})); },
         "11: instance T_Other.Id=1 already exists in namespace test"},
        {"CreateInstance", [&] { return create(instanceOf("T_Base", {{"Name", "b"}})); },
         "4: class T_Base is abstract and has no instances of its own"},
        {"CreateInstance", [&] { return create(instanceOf("T_Other", {{"Id", "4294967296"}})); },
         "4: property Id: '4294967296' is out of the range of uint32"},
        {"CreateInstance", [&] { return create(instanceOf("T_Other", {{"Note", "no key"}})); },
         "4: key property Id of class T_Other has no value"},
        {"CreateInstance", [&] { return hold("Item", embedded("T_Leaf")); },
         "4: property Item: an embedded instance of class T_Leaf is not a T_Other"},
        {"CreateInstance", [&] { return hold("Item", embedded("T_Nowhere")); },
         "4: property Item: embedded instance of class T_Nowhere: no such class in namespace test"},
        {"CreateInstance", [&] { return hold("Item", newCIMValue(CIM_CLASS, classOf("T_Shape", "").release())); },
         "4: property Item: holds embedded instances, not a class"},
        {"CreateInstance", [&] { return hold("Item", stringValue("<INSTANCE CLASSNAME=\"T_Other\"/>").release()); },
         "4: property Item: a string is not an embedded instance"},
        {"CreateInstance", [&] { double d = 1e39; return hold("R", newCIMValue(CIM_REAL64, &d)); },
         "4: property R: 1e+39 is out of the range of real32"},
        {"CreateInstance", [&] {
             return create(instanceOf("T_Link", {{"Source", "T_Other.Id=1"}, {"Target", "T_Leaf.Name=\"l\""}})); },
         "4: property Source: T_Other is not a T_Base"},
        {"CreateInstance", [&] { return hold("Smalls", uint32Value(1).release()); },
         "4: property Smalls: a uint32 value is not an array"},
        {"CreateInstance", [&] { return create(instanceOf("T_Lonely", {{"Name", "n"}})); },
         "7: the provider does not create instances"},
        {"GetProperty", [&] {
             CIMValue *value = nullptr;
             return h.pfn_getProperty(pathOf("T_Other", {{"Id", "1"}}).get(), str("Colour").get(), &value); },
         "12: class T_Other has no property Colour"},
        {"SetProperty", [&] { return setProperty("Note", uint32Value(5)); },
         "13: property Note: a uint32 value is not a string"},
        {"SetProperty", [&] { return setProperty("Id", stringValue("2")); },
         "4: key property Id cannot change"},
        {"SetProperty", [&] { return setProperty("Id", stringValue("-1")); },
         "4: property Id: '-1' is out of the range of uint32"},
        {"ExecQuery",
         [&] { return h.pfn_execQuery(pathOf("").get(), str("SELECT * FROM T_Other").get(), str("CQL").get(), &list); },
         "14: query language CQL is not supported; use WQL"},
        {"InvokeMethod", [&] { return invoke("T_Leaf", "Shrink"); },
         "17: class T_Leaf has no method Shrink"},
        {"GetQualifier", [&] { return h.pfn_getQualifier(str("test").get(), str("Colour").get(), &declaration); },
         "6: qualifier Colour is not declared in namespace test"},
        {"DeleteQualifier", [&] { return h.pfn_deleteQualifier(pathOf("Colour").get()); },
         "6: qualifier Colour is not declared in namespace test"},
    };
    std::string failures;
    for (const Row &row : rows) {
        std::string answered = statusText(row.call());
        if (answered != row.expected) failures += std::string(row.operation) + ": " + answered + "\n";
    }
    EXPECT_EQ(failures, "");
    // No failing call handed anything over.
    EXPECT_EQ(instance, nullptr);
    EXPECT_EQ(cimClass, nullptr);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(declaration, nullptr);
    EXPECT_EQ(made, nullptr);
}

TEST(Handle, SlotsAnswerStatusOneWithoutAnObjectManagerAndLeaveTheReservedSlots) {
    CIMOMHandle handle{};
    handle.reserved16 = &handle;
    cimom::installObjectManager(nullptr);
    cimom::fillCimomHandle(handle);
    EXPECT_EQ(handle.reserved0, nullptr);
    EXPECT_EQ(handle.reserved16, &handle);
    CIMInstanceList *list = nullptr;
    EXPECT_EQ(statusText(handle.pfn_enumerateInstances(pathOf("T_Other").get(), 0, 1, 0, 0, nullptr, &list)),
              "1: no object manager is installed");
}

}  // namespace
}  // namespace omtest
