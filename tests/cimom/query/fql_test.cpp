// fql_test.cpp - FQL filters on one instance that has a property of every
// kind: filter text -> true, false or unknown (told apart by matching the
// filter and its negation), or the status description of a bad filter.
#include <gtest/gtest.h>

#include <string>

#include "query/fql_filter.h"
#include "query_values.h"

namespace {

using cimom::FqlFilter;
using cimom::Status;
using namespace query_values;

CIMValue *instanceValue(const wchar_t *className, CIMPropertyList *props) {
    return newCIMValue(CIM_OBJECT, newInstance(str(className), nullptr, props));
}

CIMValue *part(const wchar_t *className, const wchar_t *kind, uint32_t speed) {
    return instanceValue(className, properties({{L"Kind", CIM_STRING, text(CIM_STRING, kind)},
                                                {L"Speed", CIM_UINT32, scalar(CIM_UINT32, speed)}}));
}

// A reference to Test_Owner.Id="o1",Num=7.
CIMValue *owner() {
    CIMObjectPath *path = newObjectPathWithName(str(L"Test_Owner"));
    freeReturnCode(objectPathAddKey(path, newPropertyKey(str(L"Id"), nullptr, text(CIM_STRING, L"o1"))));
    freeReturnCode(objectPathAddKey(path, newPropertyKey(str(L"Num"), nullptr, scalar(CIM_UINT32, 7u))));
    return newCIMValue(CIM_REFERENCE, path);
}

class Fql : public testing::Test {
protected:
    Fql() {
        std::wstring longText(3000, L'a');
        item_.reset(newInstance(str(L"Test_Item"), str(L"root/test"), properties({
            {L"Name", CIM_STRING, text(CIM_STRING, L"disk0")},
            {L"Label", CIM_STRING, text(CIM_STRING, LR"(it's "x"\y)")},
            {L"Version", CIM_STRING, text(CIM_STRING, L"1.2")},
            {L"Long", CIM_STRING, text(CIM_STRING, longText.c_str())},
            {L"Size", CIM_UINT32, scalar(CIM_UINT32, 4096u)},
            {L"Delta", CIM_SINT16, scalar(CIM_SINT16, int16_t(-5))},
            {L"Ratio", CIM_REAL64, scalar(CIM_REAL64, 2.5)},
            {L"Ready", CIM_BOOLEAN, scalar(CIM_BOOLEAN, 1)},
            {L"Letter", CIM_CHAR16, scalar(CIM_CHAR16, uint16_t('x'))},
            {L"When", CIM_DATETIME, text(CIM_DATETIME, L"20240101120000.000000+060")},
            {L"Span", CIM_DATETIME, text(CIM_DATETIME, L"00000001000000.000000:000")},
            {L"Nothing", CIM_STRING, nullptr},
            {L"Tags", CIM_STRING + CIM_ARRAY,
             array(CIM_STRING, {text(CIM_STRING, L"red"), text(CIM_STRING, L"green"), text(CIM_STRING, L"blue")})},
            {L"Counts", CIM_UINT8 + CIM_ARRAY,
             array(CIM_UINT8, {scalar(CIM_UINT8, uint8_t(1)), scalar(CIM_UINT8, uint8_t(2)), scalar(CIM_UINT8, uint8_t(3))})},
            {L"Empty", CIM_UINT32 + CIM_ARRAY, array(CIM_UINT32, {})},
            {L"Holes", CIM_STRING + CIM_ARRAY, array(CIM_STRING, {text(CIM_STRING, L"a"), nullptr})},
            {L"NullList", CIM_STRING + CIM_ARRAY, nullptr},
            {L"Owner", CIM_REFERENCE, owner()},
            {L"Part", CIM_OBJECT, part(L"Test_Part", L"cpu", 3000)},
            {L"Parts", CIM_OBJECT + CIM_ARRAY,
             array(CIM_OBJECT, {part(L"Test_Part", L"cpu", 3000), part(L"Test_SubPart", L"gpu", 1500)})},
        })));
    }

    // "true", "false" or "unknown" for a filter; its status description when bad.
    std::string truth(const std::wstring &text) {
        FqlFilter filter, negation;
        Status s = cimom::parseFqlFilter(text, filter);
        if (!s.ok()) return s.message;
        EXPECT_TRUE(cimom::parseFqlFilter(L"NOT (" + text + L")", negation).ok());
        // Test_Part and Test_SubPart are Test_Bases.
        auto subclass = [](std::wstring_view name, std::wstring_view base) {
            return base == L"Test_Base" && (name == L"Test_Part" || name == L"Test_SubPart");
        };
        bool yes = filter.matches(item_.get(), subclass), no = negation.matches(item_.get(), subclass);
        if (yes && no) return "both";
        return yes ? "true" : no ? "false" : "unknown";
    }

    struct Row {
        const wchar_t *filter;
        const char *expected;  // true, false, unknown, or the error description
    };
    void check(std::initializer_list<Row> rows) {
        for (const Row &row : rows) EXPECT_EQ(truth(row.filter), row.expected) << cimobj::toUtf8(row.filter);
    }

    cimobj::InstancePtr item_;
};

TEST_F(Fql, ComparesEachTypeByValue) {
    check({
        // Integers of any width and sign, in every base, against reals too.
        {L"Size = 4096", "true"}, {L"Size <> 4096", "false"}, {L"Size < 5000", "true"}, {L"Size <= 4096", "true"},
        {L"Size > 4096", "false"}, {L"Size >= 4097", "false"}, {L"Size = 0x1000", "true"},
        {L"Size = 1000000000000b", "true"}, {L"Size = 4096.0", "true"}, {L"Size > 4095.5", "true"},
        {L"Size < 18446744073709551615", "true"}, {L"4096 = Size", "true"}, {L"Delta = -5", "true"},
        {L"Delta > -0x6", "true"}, {L"Delta <= -5.5", "false"}, {L"Delta < Size", "true"},
        {L"Ratio = 2.5", "true"}, {L"Ratio > 25e-1", "false"}, {L"Ratio < +3", "true"},
        // Strings and char16, case-sensitively, with escapes in either quotes.
        {L"Name = \"disk0\"", "true"}, {L"Name = 'disk0'", "true"}, {L"Name = \"DISK0\"", "false"},
        {L"Name < \"disk1\"", "true"}, {L"Name >= \"disl\"", "false"}, {L"Name <> \"x\"", "true"},
        {LR"(Label = "it's \"x\"\\y")", "true"}, {LR"(Label = 'it\'s "x"\\y')", "true"},
        {LR"(Letter = "\x78")", "true"}, {L"Letter < 'y'", "true"},
        {L"Ready = TRUE", "true"}, {L"Ready <> true", "false"}, {L"Ready = False", "false"},
        // Datetimes as instants (the offset honoured) and intervals as durations.
        {L"When = \"20240101110000.000000+000\"", "true"}, {L"When < \"20240101120000.000000+000\"", "true"},
        {L"Span = \"00000001000000.000000:000\"", "true"}, {L"Span > \"00000000230000.000000:000\"", "true"},
        // References: same class and keys, in any order and case of names.
        {LR"(Owner = "Test_Owner.Id=\"o1\",Num=7")", "true"}, {LR"(Owner = "test_owner.num=7,ID=\"o1\"")", "true"},
        {LR"(Owner <> "Test_Owner.Id=\"o2\",Num=7")", "true"}, {LR"(Owner = "Test_Owner.Id=\"O1\",Num=7")", "false"},
    });
}

TEST_F(Fql, NullAndMismatchedKindsAreUnknown) {
    check({
        {L"Nothing = 'x'", "unknown"}, {L"Nothing IS NULL", "true"}, {L"Nothing IS NOT NULL", "false"},
        {L"Absent IS NULL", "true"}, {L"Absent = 1", "unknown"}, {L"Size = NULL", "unknown"},
        {L"Size IS NOT NULL", "true"}, {L"Nothing = 'x' OR Size = 4096", "true"},
        {L"Nothing = 'x' AND Size = 4096", "unknown"}, {L"Nothing = 'x' AND Size = 1", "false"},
        {L"NOT Nothing = 'x'", "unknown"},
        {L"Name = 5", "unknown"}, {L"Size = '4096'", "unknown"}, {L"Ready = 1", "unknown"},
        {L"Tags = 'red'", "unknown"}, {L"Part = 1", "unknown"}, {L"Size LIKE '4.*'", "unknown"},
        {L"Ready < Ready", "unknown"}, {L"When = \"00000001000000.000000:000\"", "unknown"},
        {L"When = 'tomorrow'", "unknown"}, {LR"(Owner < "Test_Owner.Id=\"o1\",Num=7")", "unknown"},
        {L"Owner = 'o1'", "unknown"}, {L"Name ISA Test_Part", "unknown"}, {L"Part ISA Test_Unknown", "false"},
    });
}

TEST_F(Fql, MatchesLikePatternsAgainstTheWholeString) {
    check({
        {L"Name LIKE 'disk[0-9]'", "true"}, {L"Name LIKE 'disk'", "false"}, {L"Name LIKE 'd.*'", "true"},
        {L"Name LIKE 'D.*'", "false"}, {L"Name NOT LIKE 'x.*'", "true"}, {L"Name LIKE '(disk|part)[0-9]+'", "true"},
        {L"Name LIKE 'di[^a-r]k0?'", "true"}, {L"Name LIKE 'd.{4}'", "true"}, {L"Name LIKE 'd.{5,}'", "false"},
        {L"Name LIKE 'd.{2,3}0'", "true"}, {L"Name LIKE 'disk0|x'", "true"}, {L"Name LIKE ''", "false"},
        {L"Version LIKE '1\\\\.2'", "true"}, {L"Version LIKE '1.2'", "true"}, {L"Version LIKE '1\\\\.3'", "false"},
        {L"Version LIKE '[\\\\].]+2'", "false"}, {L"Label LIKE '.*\\\\\\\\y'", "true"},
        {L"Label LIKE 'it.s \"x\".y'", "true"}, {L"Letter LIKE '[x]'", "true"},
        // Patterns that take exponential time where matching backtracks.
        {L"Long LIKE '(a*)*b'", "false"}, {L"Long LIKE '(a|aa)*(a|a)*c'", "false"}, {L"Long LIKE '(a?){1000}a*'", "true"},
    });
}

TEST_F(Fql, QuantifiesOverArraysAndIndexesThem) {
    check({
        {L"Tags[0] = 'red'", "true"}, {L"Tags[2] = 'blue'", "true"}, {L"Tags[3] = 'x'", "unknown"},
        {L"Tags[3] IS NULL", "true"}, {L"Counts[1] = 2", "true"}, {L"Name[0] = 'd'", "unknown"},
        {L"ANY Tags = 'green'", "true"}, {L"ANY Tags = 'pink'", "false"}, {L"EVERY Tags <> 'pink'", "true"},
        {L"EVERY Tags = 'red'", "false"}, {L"ANY Counts > 2", "true"}, {L"EVERY Counts >= 1", "true"},
        {L"every Counts > 1", "false"}, {L"ANY Empty = 1", "false"}, {L"EVERY Empty = 1", "true"},
        {L"ANY Holes = 'a'", "true"}, {L"EVERY Holes = 'a'", "unknown"}, {L"ANY Holes = 'b'", "unknown"},
        {L"ANY Holes IS NULL", "true"}, {L"EVERY Tags LIKE '[a-z]+'", "true"}, {L"ANY Tags LIKE 'gr.*'", "true"},
        {L"ANY Name = 'disk0'", "unknown"}, {L"ANY NullList = 'x'", "unknown"}, {L"NullList IS NULL", "true"},
        {L"ANY Counts = Size", "false"}, {L"ANY Tags = Name", "false"},
        // Embedded instances, alone and in arrays.
        {L"Part.Kind = 'cpu'", "true"}, {L"Part.Speed > 2000", "true"}, {L"Part.Missing IS NULL", "true"},
        {L"Nothing.Kind IS NULL", "true"}, {L"Name.Kind = 'x'", "unknown"}, {L"Parts[1].Kind = 'gpu'", "true"},
        {L"Parts.Kind = 'cpu'", "unknown"}, {L"ANY Parts.Kind = 'gpu'", "true"},
        {L"EVERY Parts.Speed >= 1500", "true"}, {L"EVERY Parts.Speed > 1500", "false"},
        {L"Part ISA Test_Part", "true"}, {L"Part ISA \"test_part\"", "true"}, {L"Part ISA Test_Base", "true"},
        {L"Owner ISA Test_Owner", "true"}, {L"ANY Parts ISA Test_SubPart", "true"},
        {L"EVERY Parts ISA Test_SubPart", "false"}, {L"EVERY Parts ISA Test_Base", "true"},
    });
}

TEST_F(Fql, BindsNotThenAndThenOr) {
    check({
        {L"Size = 4096 OR Size = 1 AND Ready = FALSE", "true"}, {L"(Size = 4096 OR Size = 1) AND Ready = FALSE", "false"},
        {L"NOT Size = 4096 OR Ready = TRUE", "true"}, {L"NOT (Size = 4096 OR Ready = TRUE)", "false"},
        {L"NOT NOT Size = 4096", "true"}, {L"size = 4096 and name like 'd.*' or not ready = true", "true"},
        {L"((((Size = 4096))))", "true"},
    });
}

TEST_F(Fql, SaysWhatIsWrongWithABadFilterAndWhere) {
    check({
        {L"", "FQL column 1: expected a condition"},
        {L"Size =", "FQL column 7: expected a value after '='"},
        {L"Size == 1", "FQL column 7: expected a value after '='"},
        {L"Size = 1 Ready", "FQL column 10: expected AND, OR or the end of the filter after '1'"},
        {L"(Size = 1", "FQL column 10: expected AND, OR or ')' after '1'"},
        {L"Size = 1 AND", "FQL column 13: expected a condition after 'AND'"},
        {L"Size != 1", "FQL column 6: unexpected character '!'"},
        {L"SELECT * FROM Test_Item", "FQL column 8: unexpected character '*'"},
        {L"Name = \"abc", "FQL column 8: unterminated string"},
        {L"Name = \"a\\qb\"", "FQL column 10: unknown escape '\\q' in a string"},
        {L"Size = 12abc", "FQL column 8: malformed number '12abc'"},
        {L"Size = 0x", "FQL column 8: malformed number '0x'"},
        {L"Size = 102b1", "FQL column 8: malformed number '102b1'"},
        {L"Size = 18446744073709551616", "FQL column 8: number out of range '18446744073709551616'"},
        {L"Tags[-1] = 'a'", "FQL column 6: an array index is a whole number from 0 to 2147483647, not '-1'"},
        {L"Tags[x] = 'a'", "FQL column 6: expected an array index after '['"},
        {L"Tags[1 = 'a'", "FQL column 8: expected ']' after '1'"},
        {L"Part. = 1", "FQL column 7: expected a property name after '.'"},
        {L"ANY 5 = Size", "FQL column 5: expected a property name after 'ANY'"},
        {L"5 = 6", "FQL column 3: a comparison needs a property on one side"},
        {L"Ready < TRUE", "FQL column 7: booleans compare only with = and <>"},
        {L"'x' LIKE 'y'", "FQL column 1: LIKE tests a property, not a literal"},
        {L"Name LIKE 5", "FQL column 11: expected a string pattern after 'LIKE'"},
        {L"Name NOT = 5", "FQL column 10: expected LIKE after 'NOT'"},
        {L"Name LIKE 'a(b'", "FQL column 11: LIKE pattern, at its character 2: a '(' without its ')'"},
        {L"Name LIKE 'a)'", "FQL column 11: LIKE pattern, at its character 2: unmatched ')'"},
        {L"Name LIKE '*a'", "FQL column 11: LIKE pattern, at its character 1: nothing to repeat before '*'"},
        {L"Name LIKE 'a^'",
         "FQL column 11: LIKE pattern, at its character 2: '^' needs a backslash (a pattern always matches the "
         "whole text)"},
        {L"Name LIKE '[b-a]'", "FQL column 11: LIKE pattern, at its character 2: a range whose end comes before its start"},
        {L"Name LIKE '[ab'", "FQL column 11: LIKE pattern, at its character 1: a '[' without its ']'"},
        {L"Name LIKE 'a{2,1}'", "FQL column 11: LIKE pattern, at its character 2: a repeat whose maximum is below its minimum"},
        {L"Name LIKE 'a{2'", "FQL column 11: LIKE pattern, at its character 2: expected '}' closing the repeat at this '{'"},
        {L"Name LIKE '(ab){1000}{1000}'",
         "FQL column 11: LIKE pattern, at its character 17: the pattern is too large (repeats multiply what they repeat)"},
        {L"Name IS 5", "FQL column 9: expected NULL or NOT NULL after 'IS'"},
        {L"Name IS NOT 5", "FQL column 13: expected NULL after 'NOT'"},
        {L"Part ISA", "FQL column 9: expected a class name after 'ISA'"},
        {L"Part ISA ''", "FQL column 10: expected a class name, not an empty string"},
        {L"Size", "FQL column 5: expected a comparison operator, IS, LIKE or ISA after 'Size'"},
        {L"Size = 1 ]", "FQL column 10: expected AND, OR or the end of the filter after '1'"},
    });
    std::wstring deep(65, L'(');
    EXPECT_EQ(truth(deep + L"Size = 1"), "FQL column 65: conditions nested deeper than 64 levels");
}

TEST_F(Fql, ListsThePropertiesItReadsOnceEach) {
    FqlFilter filter;
    ASSERT_TRUE(cimom::parseFqlFilter(L"Size = 1 AND (size > 2 OR Part.Kind = 'x' OR ANY Parts.Speed > 1) "
                                      L"AND Tags[0] IS NULL OR 3 < Delta",
                                      filter).ok());
    EXPECT_EQ(filter.propertyNames(), (std::vector<std::wstring>{L"Size", L"Part", L"Parts", L"Tags", L"Delta"}));
    EXPECT_FALSE(filter.matches(nullptr));
    EXPECT_FALSE(FqlFilter().matches(item_.get()));
    EXPECT_TRUE(FqlFilter().propertyNames().empty());
    EXPECT_TRUE(cimom::isFilterQueryLanguage(L"DMTF:FQL"));
    EXPECT_FALSE(cimom::isFilterQueryLanguage(L"dmtf:fql"));
    EXPECT_FALSE(cimom::isFilterQueryLanguage(L"WQL"));
}

TEST_F(Fql, ParsesAndMatchesALongFilterOfManyTerms) {
    std::wstring text = L"Size = 0";
    for (int i = 1; i < 20000; ++i) text += L" OR Size = " + std::to_wstring(i) + L" AND Name LIKE 'd.*'";
    FqlFilter filter;
    ASSERT_TRUE(cimom::parseFqlFilter(text, filter).ok());
    EXPECT_TRUE(filter.matches(item_.get()));
    EXPECT_EQ(filter.propertyNames(), (std::vector<std::wstring>{L"Size", L"Name"}));
}

}  // namespace
