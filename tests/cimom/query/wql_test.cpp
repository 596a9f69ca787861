// wql_test.cpp - the WQL engine over a fixed schema and four instances:
// query text -> the instances that match, or the status description.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <cimom/wql.h>

#include "query_values.h"

namespace {

using cimom::Status;
using cimom::WqlQuery;
using namespace query_values;

// Test_Base(Name, Size, Delta, Ratio, Flag, When, Span, Letter, Tags, Owner,
// Payload) <- Test_Sub(Extra); Test_Other unrelated.
class Schema : public cimom::WqlSchema {
public:
    Schema() {
        add(L"Test_Base", nullptr,
            properties({{L"Name", CIM_STRING, nullptr}, {L"Size", CIM_UINT32, nullptr}, {L"Delta", CIM_SINT32, nullptr},
                        {L"Ratio", CIM_REAL64, nullptr}, {L"Flag", CIM_BOOLEAN, nullptr},
                        {L"When", CIM_DATETIME, nullptr}, {L"Span", CIM_DATETIME, nullptr},
                        {L"Letter", CIM_CHAR16, nullptr}, {L"Tags", CIM_STRING + CIM_ARRAY, nullptr},
                        {L"Owner", CIM_REFERENCE, nullptr}, {L"Payload", CIM_OBJECT, nullptr}}));
        add(L"Test_Sub", L"Test_Base", properties({{L"Extra", CIM_STRING, nullptr}}));
        add(L"Test_Other", nullptr, nullptr);
    }
    const CIMClass *findClass(std::wstring_view name) override {
        auto found = classes_.find(lower(name));
        return found == classes_.end() ? nullptr : found->second.get();
    }
    bool isSameOrSubclass(std::wstring_view name, std::wstring_view base) override {
        for (const CIMClass *c = findClass(name); c; c = findClass(cimobj::view(getClassSuperName(c))))
            if (lower(cimobj::view(getClassName(c))) == lower(base)) return true;
        return false;
    }

private:
    static std::wstring lower(std::wstring_view s) {
        std::wstring l(s);
        for (wchar_t &c : l) c = towlower(c);
        return l;
    }
    void add(const wchar_t *name, const wchar_t *super, CIMPropertyList *props) {
        cimobj::ClassPtr c(newCIMClass(str(name), super ? str(super) : nullptr));
        setClassProperties(c.get(), props);
        classes_[lower(name)] = std::move(c);
    }
    std::map<std::wstring, cimobj::ClassPtr> classes_;
};

cimobj::InstancePtr instance(const wchar_t *className, CIMPropertyList *props) {
    cimobj::InstancePtr i(newInstance(str(className), str(L"root/test"), props));
    CIMObjectPath *path = newObjectPathWithName(str(className));
    freeReturnCode(objectPathAddKey(path, newPropertyKey(str(L"Name"), nullptr, copyCIMValue(propertyGetValue(getCIMPropertyAt(props, 0))))));
    setInstancePath(i.get(), path);
    return i;
}

class Wql : public testing::Test {
protected:
    Wql() {
        rows_.emplace_back("a", instance(L"Test_Base", properties({
            {L"Name", CIM_STRING, text(CIM_STRING, L"alpha")}, {L"Size", CIM_UINT32, scalar(CIM_UINT32, 10u)},
            {L"Delta", CIM_SINT32, scalar(CIM_SINT32, -5)}, {L"Ratio", CIM_REAL64, scalar(CIM_REAL64, 2.5)},
            {L"Flag", CIM_BOOLEAN, scalar(CIM_BOOLEAN, 1)},
            {L"When", CIM_DATETIME, text(CIM_DATETIME, L"20240101120000.000000+060")},
            {L"Span", CIM_DATETIME, text(CIM_DATETIME, L"00000001000000.000000:000")},
            {L"Letter", CIM_CHAR16, scalar(CIM_CHAR16, uint16_t('x'))},
            {L"Owner", CIM_REFERENCE, ref(L"Test_Sub")}, {L"Payload", CIM_OBJECT, embedded(L"Test_Sub")}})));
        rows_.emplace_back("b", instance(L"Test_Sub", properties({
            {L"Name", CIM_STRING, text(CIM_STRING, L"Beta")}, {L"Size", CIM_UINT32, scalar(CIM_UINT32, 4000000000u)},
            {L"Delta", CIM_SINT32, scalar(CIM_SINT32, 0)}, {L"Ratio", CIM_REAL64, scalar(CIM_REAL64, -1e10)},
            {L"Flag", CIM_BOOLEAN, scalar(CIM_BOOLEAN, 0)},
            {L"When", CIM_DATETIME, text(CIM_DATETIME, L"20240101110000.000000+000")},
            {L"Span", CIM_DATETIME, text(CIM_DATETIME, L"00000000230000.000000:000")},
            {L"Letter", CIM_CHAR16, scalar(CIM_CHAR16, uint16_t('y'))}, {L"Owner", CIM_REFERENCE, ref(L"Test_Other")},
            {L"Payload", CIM_OBJECT, embedded(L"Test_Base")}, {L"Extra", CIM_STRING, text(CIM_STRING, L"e")}})));
        rows_.emplace_back("c", instance(L"Test_Base", properties({
            {L"Name", CIM_STRING, text(CIM_STRING, L"gamma_1%")}, {L"Size", CIM_UINT32, nullptr},
            {L"Flag", CIM_BOOLEAN, nullptr}, {L"Tags", CIM_STRING + CIM_ARRAY, newCIMValue(CIM_STRING + CIM_ARRAY, newCIMValueList())}})));
        // d lacks Flag altogether: an absent property counts as NULL.
        rows_.emplace_back("d", instance(L"Test_Sub", properties({
            {L"Name", CIM_STRING, text(CIM_STRING, L"[x]")}, {L"Size", CIM_UINT32, scalar(CIM_UINT32, 10u)},
            {L"Delta", CIM_SINT32, scalar(CIM_SINT32, INT32_MIN)}, {L"Ratio", CIM_REAL64, scalar(CIM_REAL64, 10.0)},
            {L"When", CIM_DATETIME, text(CIM_DATETIME, L"20231231230000.000000-060")}})));
    }

    // The labels of the matching instances ("a b"), or the failure "<code>: <description>".
    std::string run(const std::wstring &query) {
        WqlQuery q;
        Status s = cimom::parseWqlQuery(query, q);
        if (s.ok()) s = q.validate(schema_);
        if (!s.ok()) return std::to_string(s.code) + ": " + s.message;
        std::string labels;
        for (const auto &[label, row] : rows_)
            if (q.matches(row.get(), schema_)) labels += (labels.empty() ? "" : " ") + label;
        return labels;
    }

    Schema schema_;
    std::vector<std::pair<std::string, cimobj::InstancePtr>> rows_;
};

TEST_F(Wql, SelectsTheInstancesTheConditionHoldsForOrSaysWhereTheQueryIsWrong) {
    const std::wstring from = L"SELECT * FROM Test_Base WHERE ";
    const std::pair<std::wstring, std::string> cases[] = {
        // Comparisons of every kind; names and keywords caseless, values not.
        {L"SELECT * FROM Test_Base", "a b c d"},
        {L"select name from TEST_BASE where NAME = 'alpha'", "a"},
        {from + L"Name = \"ALPHA\"", ""},
        {from + L"Name < 'a'", "b d"},
        {from + L"Size <> 10", "b"},
        {from + L"Size > 9 AND Size <= 10", "a d"},
        {from + L"Size >= 4000000000", "b"},
        {from + L"Size > -1", "a b d"},
        {from + L"Delta < -1", "a d"},
        {from + L"Delta >= -2147483648", "a b d"},
        {from + L"Ratio < 2.5e0", "b"},
        {from + L"Ratio = 10 OR Size = 10.0", "a d"},
        {from + L"5 < Size", "a b d"},
        {from + L"Flag = TRUE", "a"},
        {from + L"Flag != true", "b"},
        {from + L"Letter = 'x'", "a"},
        {from + L"Name = \"\\x61lpha\" OR Name = 'gamma_1\\x25' OR Name = '[x]'", "a c d"},
        // Datetimes as instants (offsets honoured) and intervals as durations.
        {from + L"When = '20240101110000.000000+000'", "a b"},
        {from + L"When >= '20240101050000.000000-360'", "a b"},
        {from + L"When < '20240101003000.000000+000'", "d"},
        {from + L"Span > '00000000230000.000000:000'", "a"},
        {from + L"Span = '20240101110000.000000+000'", ""},
        // Three-valued logic: NULL and absent properties make comparisons unknown.
        {from + L"NOT Flag = TRUE", "b"},
        {from + L"NOT (Flag = TRUE AND Size = 10)", "b"},
        {from + L"Flag = FALSE OR NOT Flag = FALSE", "a b"},
        {from + L"Size = NULL OR NOT Size = NULL", ""},
        {from + L"Flag IS NULL", "c d"},
        {from + L"Flag IS NOT NULL AND Tags IS NULL", "a b"},
        {from + L"((((NOT NOT Size = 10))))", "a d"},
        // LIKE patterns.
        {from + L"Name LIKE 'a%'", "a"},
        {from + L"Name LIKE '%a'", "a b"},
        {from + L"Name LIKE '_eta' OR Name LIKE 'a%%a'", "a b"},
        {from + L"Name LIKE '[^a-c]%'", "b c d"},
        {from + L"Name LIKE '%_1[%]' OR Name LIKE '[[]x]'", "c d"},
        {from + L"Name NOT LIKE '%a%'", "d"},
        {from + L"Letter LIKE '[x-y]'", "a b"},
        {from + L"Name LIKE ''", ""},
        // ISA on references, embedded instances and the instance itself.
        {from + L"Owner ISA 'Test_Base'", "a"},
        {from + L"NOT Owner ISA Test_Base", "b"},
        {from + L"Payload ISA 'test_sub'", "a"},
        {from + L"test_base ISA 'Test_Sub'", "b d"},
        // Syntax errors.
        {L"", "15: WQL column 1: expected SELECT"},
        {L"SELECT FROM Test_Base", "15: WQL column 8: expected '*' or a property name after 'SELECT'"},
        {L"SELECT Name Size FROM Test_Base", "15: WQL column 13: expected ',' or FROM after 'Name'"},
        {L"SELECT * FROM", "15: WQL column 14: expected a class name after 'FROM'"},
        {L"SELECT * FROM Test_Base Test_Sub", "15: WQL column 25: expected WHERE or the end of the query after 'Test_Base'"},
        {from, "15: WQL column 31: expected a condition after 'WHERE'"},
        {from + L"Name", "15: WQL column 35: expected a comparison operator after 'Name'"},
        {from + L"Size = ", "15: WQL column 38: expected a value after '='"},
        {from + L"(Size = 1", "15: WQL column 40: expected AND, OR or ')' after '1'"},
        {from + L"Name = 'a')", "15: WQL column 41: expected AND, OR or the end of the query after 'a'"},
        {from + L"Size IS 1", "15: WQL column 39: expected NULL or NOT NULL after 'IS'"},
        {from + L"Name NOT 'a'", "15: WQL column 40: expected LIKE after 'NOT'"},
        {from + L"Name LIKE 5", "15: WQL column 41: expected a string pattern after 'LIKE'"},
        {from + L"Name LIKE 'a[b'", "15: WQL column 41: a '[' without its ']' in the LIKE pattern"},
        {from + L"Owner ISA 5", "15: WQL column 41: expected a class name after 'ISA'"},
        {from + L"Name = 'abc", "15: WQL column 38: unterminated string"},
        {from + L"Name = 'a\\q'", "15: WQL column 40: unknown escape '\\q' in a string"},
        {from + L"Size = 12ab", "15: WQL column 38: malformed number '12ab'"},
        {from + L"Size # 1", "15: WQL column 36: unexpected character '#'"},
        {from + L"Size = 18446744073709551616", "15: WQL column 38: number out of range '18446744073709551616'"},
        {from + L"Size = -9223372036854775809", "15: WQL column 38: number out of range '-9223372036854775809'"},
        // Names the schema does not know, and operands that do not fit.
        {L"SELECT * FROM Nope", "15: WQL column 15: unknown class 'Nope'"},
        {L"SELECT Name, Extra FROM Test_Base", "15: WQL column 14: class 'Test_Base' has no property 'Extra'"},
        {from + L"Size = 1 OR Nope = 1", "15: WQL column 43: class 'Test_Base' has no property 'Nope'"},
        {from + L"Name > 5", "15: WQL column 36: cannot compare string property 'Name' with a number"},
        {from + L"Flag < TRUE", "15: WQL column 36: booleans compare only with = and <>"},
        {from + L"When = '2024'", "15: WQL column 38: '2024' is not a CIM datetime (yyyymmddhhmmss.mmmmmmsutc or ddddddddhhmmss.mmmmmm:000)"},
        {from + L"When = '20240230000000.000000+000'", "15: WQL column 38: '20240230000000.000000+000' is not a CIM datetime (yyyymmddhhmmss.mmmmmmsutc or ddddddddhhmmss.mmmmmm:000)"},
        {from + L"Size LIKE '1%'", "15: WQL column 36: LIKE applies to strings, not to uint32 property 'Size'"},
        {from + L"Name ISA 'Test_Base'", "15: WQL column 36: ISA applies to references and embedded objects, not to string property 'Name'"},
        {from + L"Owner ISA 'Nope'", "15: WQL column 41: unknown class 'Nope'"},
        {from + L"Tags = 'x'", "15: WQL column 31: string[] property 'Tags' can only be tested with IS [NOT] NULL"},
        {from + L"'x' = Owner", "15: WQL column 37: reference property 'Owner' can only be tested with ISA or IS [NOT] NULL"},
    };
    for (const auto &[query, expected] : cases) EXPECT_EQ(run(query), expected) << cimobj::toUtf8(query);
}

TEST_F(Wql, BoundsNestingAndTakesLongRuns) {
    const std::wstring from = L"SELECT * FROM Test_Base WHERE ";
    std::wstring open, close, nots;
    for (int i = 0; i < cimom::kMaxWqlNesting; ++i) open += L"(", close += L")", nots += L"NOT ";
    EXPECT_EQ(run(from + open + L"Size = 10" + close), "a d");
    EXPECT_EQ(run(from + nots + L"Size = 10"), "a d");
    EXPECT_EQ(run(from + open + L"(Size = 10" + close + L")"), "15: WQL column 95: conditions nested deeper than 64 levels");
    EXPECT_EQ(run(from + L"NOT " + nots + L"Size = 10"), "15: WQL column 287: conditions nested deeper than 64 levels");
    std::wstring run100k = from + L"Size = 4";
    for (int i = 0; i < 100000; ++i) run100k += L" OR Size = 4 AND Delta = 1";
    EXPECT_EQ(run(run100k + L" OR Name = 'alpha'"), "a");
}

TEST_F(Wql, ProjectsTheSelectedPropertiesInListOrderWithPathAndNulls) {
    WqlQuery q;
    ASSERT_TRUE(cimom::parseWqlQuery(L"SELECT flag, Name, NAME FROM Test_Base", q).ok());
    ASSERT_TRUE(q.validate(schema_).ok());
    const CIMInstance *d = rows_[3].second.get();
    cimobj::InstancePtr projected = q.project(d);
    ASSERT_TRUE(projected);
    EXPECT_EQ(cimobj::view(getInstanceName(projected.get())), L"Test_Sub");
    EXPECT_EQ(cimobj::view(getInstanceNameSpace(projected.get())), L"root/test");
    EXPECT_TRUE(isEqualObjectPath(getInstancePath(projected.get()), getInstancePath(d)));
    const CIMPropertyList *list = getInstanceProperties(projected.get());
    ASSERT_EQ(getCIMPropertyListLength(list), 2);
    const CIMProperty *flag = getCIMPropertyAt(list, 0), *name = getCIMPropertyAt(list, 1);
    EXPECT_EQ(cimobj::view(propertyGetName(flag)), L"Flag");
    EXPECT_EQ(propertyGetType(flag), CIM_BOOLEAN);
    EXPECT_TRUE(isCIMValueNull(propertyGetValue(flag)));
    EXPECT_TRUE(isEqualCIMValue(propertyGetValue(name), propertyGetValue(getCIMPropertyAt(getInstanceProperties(d), 0))));

    ASSERT_TRUE(cimom::parseWqlQuery(L"SELECT * FROM Test_Base", q).ok());
    EXPECT_EQ(q.project(d), nullptr);  // not validated yet
    ASSERT_TRUE(q.validate(schema_).ok());
    EXPECT_TRUE(q.selectsAll());
    EXPECT_EQ(getCIMPropertyListLength(getInstanceProperties(q.project(d).get())), 5);
}

TEST(WqlLanguage, AcceptsOnlyWqlInAnyCase) {
    EXPECT_TRUE(cimom::isWqlLanguage(L"WQL"));
    EXPECT_TRUE(cimom::isWqlLanguage(L"wQl"));
    EXPECT_FALSE(cimom::isWqlLanguage(L"WQL "));
    EXPECT_FALSE(cimom::isWqlLanguage(L"CQL"));
    EXPECT_FALSE(cimom::isWqlLanguage(L""));
}

}  // namespace
