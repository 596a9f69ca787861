// Instances: keys found whatever type or case a client writes them in,
// untyped values converted to the declared types, and modifications limited
// to what the property list names.
#include "om_fixture.h"

namespace omtest {
namespace {

class Instances : public ObjectManagerTest {
protected:
    std::string extraMof() const override {
        return "[Association] class T_Keys { [Key] uint8 Small; [Key] boolean Flag; [Key] datetime When;"
               " [Key] T_Other REF Other; string Value; };\n"
               "instance of T_Other { Id = 1; };\n";
    }
    std::string get(const cimobj::PathPtr &path, const CIMStringList *properties = nullptr) {
        return answer<CIMInstance>([&](CIMInstance **out) {
            return handle.pfn_getInstance(path.get(), 0, 0, 0, const_cast<CIMStringList *>(properties), out);
        });
    }
};

cimobj::PathPtr keysPath(cimobj::ValuePtr small, cimobj::ValuePtr flag, const std::string &when, const char *other) {
    cimobj::PathPtr path = pathOf("T_Keys", {{"WHEN", when}, {"other", other}});
    freeReturnCode(objectPathAddKey(path.get(), newPropertyKey(str("small").release(), nullptr, small.release())));
    freeReturnCode(objectPathAddKey(path.get(), newPropertyKey(str("Flag").release(), nullptr, flag.release())));
    return path;
}

TEST_F(Instances, KeysWrittenAsTextOrTypedFindTheSameInstance) {
    CIMObjectPath *made = nullptr;
    ASSERT_EQ(statusText(handle.pfn_createInstance(
                  pathOf("T_Keys").get(),
                  instanceOf("T_Keys", {{"Small", "200"}, {"Flag", "TRUE"}, {"When", "20240102030405.000000+060"},
                                        {"Other", "T_Other.Id=\"1\""}, {"Value", "found"}}).get(),
                  &made)),
              "0: ");
    cimobj::PathPtr madePath(made);
    const std::string when = "20240102030405.000000+060";
    const std::string name = "//testhost/test:T_Keys.Small=200,Flag=true,When=" + when + ",Other=T_Other.Id=1";
    EXPECT_EQ(describe(made), name);
    const std::string found = "instance of T_Keys " + name +
                              "\n  Small uint8 = 200\n  Flag boolean = true\n  When datetime = " + when + "\n"
                              "  Other ref = T_Other.Id=1\n  Value string = \"found\"\n";
    uint8_t small = 200;
    int yes = 1;
    struct Row {
        const char *written;
        std::string answer, expected;
    } rows[] = {
        {"text", get(keysPath(stringValue("200"), stringValue("true"), when, "T_Other.Id=1")), found},
        {"typed",
         get(keysPath(cimobj::ValuePtr(newCIMValue(CIM_UINT8, &small)),
                      cimobj::ValuePtr(newCIMValue(CIM_BOOLEAN, &yes)), when, "//elsewhere/test:t_other.ID=1")),
         found},
        {"another number", get(keysPath(uint32Value(201), stringValue("true"), when, "T_Other.Id=1")),
         "6: no instance T_Keys.Flag=true,Other=\"T_Other.Id=1\",Small=201,When=\"" + when + "\" in namespace test"},
        {"out of range", get(keysPath(uint32Value(256), stringValue("true"), "x", "T_Other.Id=1")),
         "4: key Small: 256 is out of the range of uint8"},
        {"not a datetime", get(keysPath(uint32Value(200), stringValue("true"), "2024", "T_Other.Id=1")),
         "4: key When: '2024' is not a datetime"},
    };
    for (const Row &row : rows) EXPECT_EQ(row.answer, row.expected) << row.written;
}

TEST_F(Instances, ModificationsChangeWhatThePropertyListNamesAndNoMore) {
    CIMObjectPath *made = nullptr;
    ASSERT_EQ(statusText(handle.pfn_createInstance(
                  pathOf("T_Leaf").get(), instanceOf("T_Leaf", {{"Name", "x"}, {"Size", "7"}, {"Flag", "false"}}).get(),
                  &made)),
              "0: ");
    freeCIMObjectPath(made);
    const cimobj::PathPtr path = pathOf("T_Leaf", {{"Name", "x"}});
    const std::string head = "instance of T_Leaf //testhost/test:T_Leaf.Name=\"x\"\n  Name string = \"x\"\n";
    EXPECT_EQ(get(path), head + "  Label string = \"middle\"\n  Size uint32 = 7\n  Flag boolean = false\n"
                                "  Extra sint64 = NULL\n");

    // Listed and given: changed; listed, not given: back to the default;
    // given, not listed: ignored.
    cimobj::ListPtr listed = stringList({"Label", "Size"});
    cimobj::InstancePtr labelAndExtra = instanceOf("T_Leaf", {{"Label", "new"}, {"Extra", "9"}});
    EXPECT_EQ(statusText(handle.pfn_setInstance(path.get(), labelAndExtra.get(), 0, listed.get())),
              "0: ");
    EXPECT_EQ(get(path), head + "  Label string = \"new\"\n  Size uint32 = NULL\n  Flag boolean = false\n"
                                "  Extra sint64 = NULL\n");
    // Without a list: what the instance carries.
    EXPECT_EQ(statusText(handle.pfn_setInstance(path.get(), instanceOf("T_Leaf", {{"Extra", "-9"}}).get(), 0, nullptr)),
              "0: ");
    // SetProperty as a client sends it: untyped text.
    EXPECT_EQ(statusText(handle.pfn_setProperty(path.get(), str("size").get(), stringValue("5").get())), "0: ");
    CIMValue *value = nullptr;
    EXPECT_EQ(statusText(handle.pfn_getProperty(path.get(), str("Size").get(), &value)), "0: ");
    cimobj::ValuePtr owned(value);
    EXPECT_EQ(describe(value) + " " + std::to_string(getCIMValueType(value)), "5 4");
    cimobj::ListPtr some = stringList({"Extra", "Size"});
    EXPECT_EQ(get(path, some.get()),
              "instance of T_Leaf //testhost/test:T_Leaf.Name=\"x\"\n  Size uint32 = 5\n  Extra sint64 = -9\n");

    EXPECT_EQ(statusText(handle.pfn_setInstance(path.get(), instanceOf("T_Leaf", {{"Name", "y"}}).get(), 0, nullptr)),
              "4: key property Name cannot change");
    // A name the class lacks is left out of the list: nothing changes.
    cimobj::ListPtr colour = stringList({"Colour"});
    EXPECT_EQ(statusText(handle.pfn_setInstance(path.get(), instanceOf("T_Leaf", {}).get(), 0, colour.get())), "0: ");
    EXPECT_EQ(get(path, some.get()),
              "instance of T_Leaf //testhost/test:T_Leaf.Name=\"x\"\n  Size uint32 = 5\n  Extra sint64 = -9\n");
}

}  // namespace
}  // namespace omtest
