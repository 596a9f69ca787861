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
               "instance of T_Other { Id = 1; Note = \"one\"; };\n";
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
    cimobj::ValuePtr out;
    CIMInstance *instance = nullptr;
    CIMClass *cimClass = nullptr;
    CIMList *list = nullptr;
    CIMQualifierType *declaration = nullptr;
    const Row rows[] = {
        {"GetClass", [&] { return h.pfn_getClass(pathOf("T_Base", {}, "nowhere").get(), 0, 1, 0, nullptr, &cimClass); },
         "3: namespace nowhere does not exist"},
        {"EnumerateInstances", [&] { return h.pfn_enumerateInstances(pathOf("T_None").get(), 0, 1, 0, 0, nullptr, &list); },
         "5: class T_None does not exist in namespace test"},
        {"GetInstance", [&] { return h.pfn_getInstance(pathOf("T_Other", {{"Id", "7"}}).get(), 0, 0, 0, nullptr, &instance); },
         "6: no instance T_Other.Id=7 in namespace test"},
        {"GetInstance", [&] { return h.pfn_getInstance(pathOf("T_Other", {{"Name", "7"}}).get(), 0, 0, 0, nullptr, &instance); },
         "4: the instance name lacks key Id of class T_Other"},
        {"DeleteInstance", [&] { return h.pfn_deleteInstance(pathOf("T_Other", {{"Id", "x"}}).get()); },
         "4: key Id: 'x' is not a uint32"},
        {"CreateClass", [&] {
             cimobj::ClassPtr c = classOf("T_New", "T_Nowhere");
             return h.pfn_createClass(pathOf("T_New").get(), c.get()); },
         "10: superclass T_Nowhere of class T_New does not exist"},
        {"CreateClass", [&] {
             cimobj::ClassPtr c = classOf("t_other", "");
             return h.pfn_createClass(pathOf("t_other").get(), c.get()); },
         "11: class t_other already exists in namespace test"},
        {"CreateClass", [&] {
             CIMProperty *p = stringProperty("Odd");
             freeReturnCode(propertyAddQualifier(p, newQualifier(str("Odd").release(), 0, nullptr, CIM_BOOLEAN, 0)));
             cimobj::ClassPtr c = classOf("T_New", "", {p});
             return h.pfn_createClass(pathOf("T_New").get(), c.get()); },
         "4: qualifier Odd on property T_New.Odd is not declared"},
        {"CreateClass", [&] {
             CIMProperty *p = stringProperty("Name");
             freeReturnCode(propertyAddQualifier(p, newQualifier(str("Association").release(), 0, nullptr, CIM_BOOLEAN, 0)));
             cimobj::ClassPtr c = classOf("T_New", "", {p});
             return h.pfn_createClass(pathOf("T_New").get(), c.get()); },
         "4: qualifier Association may not be used on property T_New.Name"},
        {"ModifyClass", [&] {
             cimobj::ClassPtr c = classOf("T_Base", "", {stringProperty("More")});
             return h.pfn_modifyClass(pathOf("T_Base").get(), c.get()); },
         "8: class T_Base has subclasses; its members cannot change"},
        {"ModifyClass", [&] {
             cimobj::ClassPtr c = classOf("T_Other", "", {stringProperty("More")});
             return h.pfn_modifyClass(pathOf("T_Other").get(), c.get()); },
         "9: class T_Other has instances; its members cannot change"},
        {"ModifyClass", [&] {
             cimobj::ClassPtr c = classOf("T_Leaf", "T_Base");
             return h.pfn_modifyClass(pathOf("T_Leaf").get(), c.get()); },
         "10: class T_Leaf cannot change its superclass from T_Middle to T_Base"},
        {"CreateInstance", [&] {
             CIMObjectPath *made = nullptr;
             return h.pfn_createInstance(pathOf("T_Other").get(), instanceOf("T_Other", {{"Id", "2"}, {"Colour", "red"}}).get(), &made); },
         "12: class T_Other has no property Colour"},
        {"CreateInstance", [&] {
             CIMObjectPath *made = nullptr;
             return h.pfn_createInstance(pathOf("T_Other").get(), instanceOf("T_Other", {{"Id", "01"}}).get(), &made); },
         "11: instance T_Other.Id=1 already exists in namespace test"},
        {"CreateInstance", [&] {
             CIMObjectPath *made = nullptr;
             return h.pfn_createInstance(pathOf("T_Base").get(), instanceOf("T_Base", {{"Name", "b"}}).get(), &made); },
         "4: class T_Base is abstract and has no instances of its own"},
        {"CreateInstance", [&] {
             CIMObjectPath *made = nullptr;
             return h.pfn_createInstance(pathOf("T_Other").get(), instanceOf("T_Other", {{"Id", "4294967296"}}).get(), &made); },
         "4: property Id: '4294967296' is out of the range of uint32"},
        {"CreateInstance", [&] {
             CIMObjectPath *made = nullptr;
             return h.pfn_createInstance(pathOf("T_Other").get(), instanceOf("T_Other", {{"Note", "no key"}}).get(), &made); },
         "4: key property Id of class T_Other has no value"},
        {"CreateInstance", [&] {
             CIMObjectPath *made = nullptr;
             return h.pfn_createInstance(pathOf("T_Lonely").get(), instanceOf("T_Lonely", {{"Name", "n"}}).get(), &made); },
         "7: the provider does not create instances"},
        {"GetProperty", [&] {
             CIMValue *value = nullptr;
             return h.pfn_getProperty(pathOf("T_Other", {{"Id", "1"}}).get(), str("Colour").get(), &value); },
         "12: class T_Other has no property Colour"},
        {"SetProperty", [&] { return h.pfn_setProperty(pathOf("T_Other", {{"Id", "1"}}).get(), str("Note").get(), uint32Value(5).get()); },
         "13: property Note: a uint32 value is not a string"},
        {"SetProperty", [&] { return h.pfn_setProperty(pathOf("T_Other", {{"Id", "1"}}).get(), str("Id").get(), stringValue("2").get()); },
         "4: key property Id cannot change"},
        {"SetProperty", [&] { return h.pfn_setProperty(pathOf("T_Other", {{"Id", "1"}}).get(), str("Id").get(), stringValue("-1").get()); },
         "4: property Id: '-1' is out of the range of uint32"},
        {"ExecQuery", [&] { return h.pfn_execQuery(pathOf("", {}).get(), str("SELECT * FROM T_Other").get(), str("CQL").get(), &list); },
         "14: query language CQL is not supported; use WQL"},
        {"InvokeMethod", [&] {
             CIMValue *value = nullptr;
             cimobj::ListPtr outs(newCIMPropertyList());
             return h.pfn_invokeMethod(pathOf("T_Middle").get(), str("Grow").get(), nullptr, outs.get(), &value); },
         "16: no provider serves method T_Middle.Grow"},
        {"InvokeMethod", [&] {
             CIMValue *value = nullptr;
             cimobj::ListPtr outs(newCIMPropertyList());
             return h.pfn_invokeMethod(pathOf("T_Leaf").get(), str("Shrink").get(), nullptr, outs.get(), &value); },
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
