// The flags of GetClass, EnumerateClasses(Names) and EnumerateInstances on a
// small hierarchy with an override, through the handle's slots.
#include "om_fixture.h"

namespace omtest {
namespace {

class Flags : public ObjectManagerTest {
protected:
    std::string extraMof() const override {
        return "instance of T_Middle { Name = \"m1\"; Flag = true; };\n"
               "instance of T_Leaf { Name = \"l1\"; Label = \"leafy\"; Extra = 5; };\n";
    }
    std::string getClass(const char *name, int localOnly, int qualifiers, int origin, const CIMStringList *properties) {
        return answer<CIMClass>([&](CIMClass **out) {
            return handle.pfn_getClass(pathOf(name).get(), localOnly, qualifiers, origin,
                                       const_cast<CIMStringList *>(properties), out);
        });
    }
    std::string enumerateClasses(const char *name, int deep, int localOnly, int qualifiers) {
        return answer<CIMList>([&](CIMList **out) {
            return handle.pfn_enumerateClasses(pathOf(name).get(), deep, localOnly, qualifiers, 0, out);
        });
    }
    std::string enumerateClassNames(const char *name, int deep) {
        return answer<CIMList>(
            [&](CIMList **out) { return handle.pfn_enumerateClassNames(pathOf(name).get(), deep, out); });
    }
    std::string enumerateInstances(const char *name, int deep, int localOnly, int origin,
                                   const CIMStringList *properties) {
        return answer<CIMList>([&](CIMList **out) {
            return handle.pfn_enumerateInstances(pathOf(name).get(), localOnly, deep, 0, origin,
                                                 const_cast<CIMStringList *>(properties), out);
        });
    }
};

TEST_F(Flags, GetClassGivesWhatEachFlagAsksFor) {
    cimobj::ListPtr someProperties = stringList({"name", "FLAG", "Nothing"});
    cimobj::ListPtr noProperties = stringList({});
    struct Row {
        const char *flags;
        std::string answer, expected;
    } rows[] = {
        {"inherited members with origins and propagated qualifiers", getClass("T_Leaf", 0, 1, 1, nullptr),
         "class T_Leaf : T_Middle ^Description(\"in between\")/ET\n"
         "  ^Name string origin=T_Base ^Key(true)/DT ^Description(\"the name\")/ET\n"
         "  ^Label string = \"middle\" origin=T_Middle ^Description(\"relabelled\")/ET\n"
         "  ^Size uint32 origin=T_Base\n"
         "  ^Flag boolean origin=T_Middle\n"
         "  Extra sint64 origin=T_Leaf\n"
         "  ^uint32 Grow(uint32 By In(true)/DT, uint32 Now Out(true)/DT) origin=T_Middle\n"},
        {"local only: the override and the new members", getClass("T_Middle", 1, 1, 0, nullptr),
         "class T_Middle : T_Base Description(\"in between\")/ET\n"
         "  Label string = \"middle\" Override(\"Label\")/ER Description(\"relabelled\")/ET\n"
         "  Flag boolean\n"
         "  uint32 Grow(uint32 By In(true)/DT, uint32 Now Out(true)/DT)\n"},
        {"restricted qualifiers stay with their class", getClass("T_Base", 1, 1, 0, nullptr),
         "class T_Base Abstract(true)/ER Description(\"the top\")/ET\n"
         "  Name string Key(true)/DT Description(\"the name\")/ET\n"
         "  Label string = \"base\"\n"
         "  Size uint32 Units(\"bytes\")/ER\n"},
        {"property list, any case, unknown names ignored, no qualifiers",
         getClass("T_Middle", 0, 0, 0, someProperties.get()),
         "class T_Middle : T_Base\n  ^Name string\n  Flag boolean\n  uint32 Grow(uint32 By, uint32 Now)\n"},
        {"empty property list", getClass("T_Leaf", 1, 0, 0, noProperties.get()), "class T_Leaf : T_Middle\n"},
        {"class names are caseless", getClass("t_OTHER", 1, 0, 0, nullptr),
         "class T_Other\n  Id uint32\n  Note string\n"},
    };
    for (const Row &row : rows) EXPECT_EQ(row.answer, row.expected) << row.flags;
}

TEST_F(Flags, EnumerationsFollowDeepInheritance) {
    EXPECT_EQ(enumerateClassNames("", 0),
              "//testhost/test:T_Base\n//testhost/test:T_Link\n//testhost/test:T_Other\n");
    EXPECT_EQ(enumerateClassNames("", 1),
              "//testhost/test:T_Base\n//testhost/test:T_Middle\n//testhost/test:T_Leaf\n"
              "//testhost/test:T_Link\n//testhost/test:T_Other\n");
    EXPECT_EQ(enumerateClassNames("T_Base", 0), "//testhost/test:T_Middle\n");
    EXPECT_EQ(enumerateClassNames("T_Leaf", 1), "");
    EXPECT_EQ(enumerateClasses("T_Base", 1, 1, 0),
              "class T_Middle : T_Base\n  Label string = \"middle\"\n  Flag boolean\n"
              "  uint32 Grow(uint32 By, uint32 Now)\n"
              "class T_Leaf : T_Middle\n  Extra sint64\n");
}

TEST_F(Flags, EnumerateInstancesCutsPropertiesByDeepInheritanceLocalOnlyAndPropertyList) {
    const std::string middle = "instance of T_Middle //testhost/test:T_Middle.Name=\"m1\"\n";
    const std::string leaf = "instance of T_Leaf //testhost/test:T_Leaf.Name=\"l1\"\n";
    cimobj::ListPtr someProperties = stringList({"Extra", "name"});
    struct Row {
        const char *flags;
        std::string answer, expected;
    } rows[] = {
        {"deep", enumerateInstances("T_Middle", 1, 0, 0, nullptr),
         middle + "  Name string = \"m1\"\n  Label string = \"middle\"\n  Size uint32 = NULL\n  Flag boolean = true\n" +
             leaf + "  Name string = \"l1\"\n  Label string = \"leafy\"\n  Size uint32 = NULL\n"
                    "  Flag boolean = NULL\n  Extra sint64 = 5\n"},
        {"shallow: the requested class's properties only", enumerateInstances("T_Middle", 0, 0, 0, nullptr),
         middle + "  Name string = \"m1\"\n  Label string = \"middle\"\n  Size uint32 = NULL\n  Flag boolean = true\n" +
             leaf + "  Name string = \"l1\"\n  Label string = \"leafy\"\n  Size uint32 = NULL\n"
                    "  Flag boolean = NULL\n"},
        {"local only: nothing inherited unchanged from above", enumerateInstances("T_Middle", 1, 1, 0, nullptr),
         middle + "  Label string = \"middle\"\n  Flag boolean = true\n" + leaf +
             "  Label string = \"leafy\"\n  Flag boolean = NULL\n  Extra sint64 = 5\n"},
        {"property list with class origins", enumerateInstances("T_Base", 1, 0, 1, someProperties.get()),
         middle + "  Name string = \"m1\" origin=T_Base\n" + leaf +
             "  Name string = \"l1\" origin=T_Base\n  Extra sint64 = 5 origin=T_Leaf\n"},
    };
    for (const Row &row : rows) EXPECT_EQ(row.answer, row.expected) << row.flags;
}

}  // namespace
}  // namespace omtest
