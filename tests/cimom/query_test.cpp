// ExecQuery through the handle: WQL over stored instances of a class and its
// subclasses, and the statuses of queries that cannot run.
#include "om_fixture.h"

namespace omtest {
namespace {

class Queries : public ObjectManagerTest {
protected:
    std::string extraMof() const override {
        return "instance of T_Middle { Name = \"m1\"; Size = 10; Flag = true; };\n"
               "instance of T_Middle { Name = \"m2\"; Label = \"other\"; Size = 3; Flag = false; };\n"
               "instance of T_Leaf { Name = \"l1\"; Size = 7; Extra = -2; };\n";
    }
    // The paths of the results, or the whole results with whole set; a
    // failure as its status.
    std::string query(const std::string &text, bool whole = false) {
        CIMList *found = nullptr;
        std::string status =
            statusText(handle.pfn_execQuery(pathOf("", {}).get(), str(text).get(), str("wql").get(), &found));
        cimobj::ListPtr owned(found);
        if (status != "0: ") return status;
        if (whole) return describeList(found);
        std::string paths;
        for (int i = 0; i < getLength(found); ++i) {
            std::string path = describe(getInstancePath(static_cast<CIMInstance *>(getElementAt(found, i))));
            paths += path.substr(path.find(':') + 1) + " ";
        }
        return paths;
    }
};

TEST_F(Queries, SelectsTheInstancesTheConditionHolds) {
    const std::string m1 = "T_Middle.Name=\"m1\" ", m2 = "T_Middle.Name=\"m2\" ", l1 = "T_Leaf.Name=\"l1\" ";
    struct Row {
        const char *query;
        std::string expected;
    } rows[] = {
        {"SELECT * FROM T_Middle", m1 + m2 + l1},
        {"select * from t_middle where flag = true", m1},
        {"SELECT * FROM T_Base WHERE Flag = true", "15: WQL column 28: class 'T_Base' has no property 'Flag'"},
        {"SELECT * FROM T_Middle WHERE Size > 5 AND NOT Label LIKE 'm%'", ""},
        {"SELECT * FROM T_Middle WHERE Size >= 7 OR Label <> 'middle'", m1 + m2 + l1},
        {"SELECT * FROM T_Middle WHERE Flag IS NULL", l1},
        {"SELECT * FROM T_Middle WHERE T_Middle ISA 'T_Leaf'", l1},
        {"SELECT * FROM T_Middle WHERE (Size < 5) OR Name = 'l1'", m2 + l1},
        {"SELECT * FROM T_Other", ""},
        {"SELECT FROM T_Middle", "15: WQL column 8: expected '*' or a property name after 'SELECT'"},
        {"SELECT Colour FROM T_Middle", "15: WQL column 8: class 'T_Middle' has no property 'Colour'"},
        {"SELECT * FROM T_Gone", "15: WQL column 15: unknown class 'T_Gone'"},
    };
    for (const Row &row : rows) EXPECT_EQ(query(row.query), row.expected) << row.query;
    EXPECT_EQ(query("SELECT Size, Name FROM T_Leaf", true),
              "instance of T_Leaf //testhost/test:T_Leaf.Name=\"l1\"\n  Size uint32 = 7\n  Name string = \"l1\"\n");
}

}  // namespace
}  // namespace omtest
