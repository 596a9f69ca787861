// Associators, AssociatorNames, References and ReferenceNames with each
// filter, on instance targets and on class targets, through the handle.
#include "om_fixture.h"

namespace omtest {
namespace {

class Associations : public ObjectManagerTest {
protected:
    std::string extraMof() const override {
        return "[Association] class T_Tie { [Key] T_Other REF Holder; [Key] T_Base REF Held; };\n"
               "instance of T_Middle as $a { Name = \"a\"; };\n"
               "instance of T_Middle as $b { Name = \"b\"; };\n"
               "instance of T_Leaf as $c { Name = \"c\"; Extra = 3; };\n"
               "instance of T_Other as $one { Id = 1; Note = \"held\"; };\n"
               "instance of T_Link { Source = $a; Target = $b; };\n"
               "instance of T_Link { Source = $a; Target = $c; };\n"
               "instance of T_Link { Source = $c; Target = $a; };\n"
               "instance of T_Tie { Holder = $one; Held = $b; };\n";
    }
    // Names or objects, described; a failure as its status.
    std::string names(bool associators, const cimobj::PathPtr &target, const char *assocClass,
                      const char *resultClass, const char *role, const char *resultRole) {
        auto text = [](const char *s) { return s ? str(s) : cimobj::StringPtr(); };
        return answer<CIMList>([&](CIMList **out) {
            return associators
                       ? handle.pfn_associatorNames(target.get(), text(assocClass).get(), text(resultClass).get(),
                                                    text(role).get(), text(resultRole).get(), out)
                       : handle.pfn_referenceNames(target.get(), text(resultClass).get(), text(role).get(), out);
        });
    }
    std::string objects(bool associators, const cimobj::PathPtr &target, const char *role,
                        const CIMStringList *properties) {
        cimobj::StringPtr roleText = role ? str(role) : nullptr;
        auto *list = const_cast<CIMStringList *>(properties);
        return answer<CIMList>([&](CIMList **out) {
            return associators ? handle.pfn_associators(target.get(), nullptr, nullptr, roleText.get(), nullptr, 0, 0,
                                                        list, out)
                               : handle.pfn_references(target.get(), nullptr, roleText.get(), 0, 0, list, out);
        });
    }
};

const std::string b = "//testhost/test:T_Middle.Name=\"b\"\n";
const std::string c = "//testhost/test:T_Leaf.Name=\"c\"\n";
const std::string one = "//testhost/test:T_Other.Id=1\n";

TEST_F(Associations, InstanceTargetsFollowEachFilter) {
    cimobj::PathPtr pathA = pathOf("T_Middle", {{"Name", "a"}});
    cimobj::PathPtr pathB = pathOf("t_middle", {{"name", "b"}});
    cimobj::PathPtr pathOne = pathOf("T_Other", {{"Id", "1"}});  // a string for a uint32 key
    const std::string linkAB = "//testhost/test:T_Link.Source=T_Middle.Name=\"a\",Target=T_Middle.Name=\"b\"\n";
    const std::string linkAC = "//testhost/test:T_Link.Source=T_Middle.Name=\"a\",Target=T_Leaf.Name=\"c\"\n";
    const std::string linkCA = "//testhost/test:T_Link.Source=T_Leaf.Name=\"c\",Target=T_Middle.Name=\"a\"\n";
    const std::string tie = "//testhost/test:T_Tie.Holder=T_Other.Id=1,Held=T_Middle.Name=\"b\"\n";
    struct Row {
        const char *filter;
        std::string answer, expected;
    } rows[] = {
        {"associators, no filter", names(true, pathA, nullptr, nullptr, nullptr, nullptr), b + c},
        {"associators, result role", names(true, pathA, nullptr, nullptr, nullptr, "Source"), c},
        {"associators, role", names(true, pathA, nullptr, nullptr, "Source", nullptr), b + c},
        {"associators, result class", names(true, pathA, nullptr, "T_Leaf", nullptr, nullptr), c},
        {"associators, association class", names(true, pathB, "T_Tie", nullptr, nullptr, nullptr), one},
        {"associators, other association class", names(true, pathA, "T_Tie", nullptr, nullptr, nullptr), ""},
        {"associators of a coerced key", names(true, pathOne, nullptr, nullptr, nullptr, nullptr), b},
        {"references, no filter", names(false, pathA, nullptr, nullptr, nullptr, nullptr), linkAB + linkAC + linkCA},
        {"references, role", names(false, pathA, nullptr, nullptr, "Target", nullptr), linkCA},
        {"references, result class", names(false, pathB, nullptr, "T_Tie", nullptr, nullptr), tie},
        {"references, unknown class",
         names(false, pathOf("T_Gone", {{"Name", "x"}}), nullptr, nullptr, nullptr, nullptr),
         "4: ObjectName: class T_Gone does not exist in namespace test"},
    };
    for (const Row &row : rows) EXPECT_EQ(row.answer, row.expected) << row.filter;
}

TEST_F(Associations, InstanceTargetsGiveObjectsCutToThePropertyList) {
    cimobj::ListPtr note = stringList({"Note"});
    EXPECT_EQ(objects(true, pathOf("T_Middle", {{"Name", "b"}}), "Held", note.get()),
              "instance of T_Other " + one.substr(0, one.size() - 1) + "\n  Note string = \"held\"\n");
    EXPECT_EQ(objects(false, pathOf("T_Other", {{"Id", "1"}}), nullptr, nullptr),
              "instance of T_Tie //testhost/test:T_Tie.Holder=T_Other.Id=1,Held=T_Middle.Name=\"b\"\n"
              "  Holder ref = T_Other.Id=1\n  Held ref = T_Middle.Name=\"b\"\n");
}

TEST_F(Associations, ClassTargetsAnswerFromTheSchema) {
    const std::string link = "//testhost/test:T_Link\n", tieClass = "//testhost/test:T_Tie\n";
    const std::string base = "//testhost/test:T_Base\n", other = "//testhost/test:T_Other\n";
    struct Row {
        const char *filter;
        std::string answer, expected;
    } rows[] = {
        {"references of a subclass of the referenced class",
         names(false, pathOf("T_Middle"), nullptr, nullptr, nullptr, nullptr),
         link + tieClass},
        {"references, role", names(false, pathOf("T_Middle"), nullptr, nullptr, "Holder", nullptr), ""},
        {"references, result class", names(false, pathOf("T_Leaf"), nullptr, "T_Tie", nullptr, nullptr), tieClass},
        {"associators", names(true, pathOf("T_Other"), nullptr, nullptr, nullptr, nullptr), base},
        {"associators, association class", names(true, pathOf("T_Leaf"), "T_Link", nullptr, nullptr, nullptr), base},
        {"associators, result class", names(true, pathOf("T_Base"), nullptr, "T_Other", nullptr, nullptr), other},
        {"associators, result role", names(true, pathOf("T_Base"), nullptr, nullptr, nullptr, "Holder"), other},
    };
    for (const Row &row : rows) EXPECT_EQ(row.answer, row.expected) << row.filter;
    cimobj::ListPtr noProperties = stringList({});
    EXPECT_EQ(objects(true, pathOf("T_Other"), "Holder", noProperties.get()), "class T_Base\n");
}

}  // namespace
}  // namespace omtest
