// object_path_text_test.cpp - object paths read from and written to their
// text form, with and without the key types of a class.
#include <gtest/gtest.h>

#include <cimom/object_path_text.h>

namespace {

// Reads text and writes the path back; "error: ..." when it does not read.
std::string rewritten(std::wstring_view text, const cimom::KeyTypeLookup &keyTypes = {}) {
    std::string error;
    cimobj::PathPtr path = cimom::parseObjectPathText(text, &error, keyTypes);
    return path ? cimobj::toUtf8(cimom::writeObjectPathText(path.get())) : "error: " + error;
}

TEST(ObjectPathText, ReadsAndWritesPaths) {
    static const struct {
        const wchar_t *text;
        const char *written;
    } cases[] = {
        {L"root/cimv2:CIM_A.Name=\"x\"", "root/cimv2:CIM_A.Name=\"x\""},
        // Keys sorted by name without regard to case; escapes kept.
        {L"CIM_A.b=1,A=\"q\\\"uote\\\\\",c=\"\"", "CIM_A.A=\"q\\\"uote\\\\\",b=1,c=\"\""},
        {L"  //host:5988/root/cimv2:CIM_A.Flag=TRUE,N=-3,R=2.5,X=0x1F,Z=1e3  ",
         "//host:5988/root/cimv2:CIM_A.Flag=true,N=-3,R=2.5,X=31,Z=1000.0"},
        {L"CIM_A", "CIM_A"},
        {L"ns:CIM_A=@", "ns:CIM_A"},
        // A quoted instance path is a reference (its own keys read and rewritten); other texts stay strings.
        {L"CIM_L.Left=\"ns:CIM_A.Name=\\\"x\\\"\",Right=\"CIM_A.N=0x10\",S=\"a=b\"",
         "CIM_L.Left=\"ns:CIM_A.Name=\\\"x\\\"\",Right=\"CIM_A.N=16\",S=\"a=b\""},
        {L"", "error: expected a class name at character 1"},
        {L"//host", "error: expected a host name and '/' after '//' at character 3"},
        {L"//h/CIM_A.K=1", "error: expected a namespace and ':' after the host at character 5"},
        {L":CIM_A", "error: expected a namespace before ':' at character 1"},
        {L"ns:9A", "error: expected a class name at character 4"},
        {L"CIM_A.", "error: expected a key name at character 7"},
        {L"CIM_A.K", "error: expected '=' after key name K at character 8"},
        {L"CIM_A K=1", "error: expected '.' and keys after the class name at character 6"},
        {L"CIM_A.K=\"x", "error: value of key K is not closed with '\"' at character 9"},
        {L"CIM_A.K=\"x\"y", "error: expected ',' between keys at character 12"},
        {L"CIM_A.K=1,k=2", "error: key k is given twice at character 11"},
        {L"CIM_A.K=", "error: expected a value for key K at character 9"},
        {L"CIM_A.K=abc", "error: expected a number, true, false or a quoted text as value of key K at character 9"},
        {L"CIM_A.K=99999999999999999999", "error: integer 99999999999999999999 out of range for uint64 key K at character 9"},
        {L"CIM_A.K=-9223372036854775809", "error: integer -9223372036854775809 out of range for sint64 key K at character 9"},
    };
    for (const auto &row : cases) EXPECT_EQ(rewritten(row.text), row.written) << cimobj::toUtf8(row.text);
}

// With the class's key types, values are converted to them.
TEST(ObjectPathText, TypesKeysAsTheClassDeclares) {
    cimom::KeyTypeLookup keyTypes = [](std::wstring_view, std::wstring_view, std::wstring_view key) {
        if (key == L"Small") return static_cast<int>(CIM_UINT8);
        if (key == L"Ref") return static_cast<int>(CIM_REFERENCE);
        if (key == L"Name") return static_cast<int>(CIM_STRING);
        if (key == L"On") return static_cast<int>(CIM_BOOLEAN);
        return -1;
    };
    static const struct {
        const wchar_t *text;
        const char *written;
    } cases[] = {
        {L"T.Small=\"7\",Name=42,On=\"TRUE\"", "T.Name=\"42\",On=true,Small=7"},
        {L"T.Ref=\"T.Small=\\\"1\\\"\"", "T.Ref=\"T.Small=1\""},
        {L"T.Name=\"T.Small=1\"", "T.Name=\"T.Small=1\""},
        {L"T.Small=300", "error: integer 300 out of range for uint8 key Small at character 9"},
        {L"T.On=1", "error: key On needs a boolean value, not 1 at character 6"},
        {L"T.Ref=\"T.Small=\\\"x\\\"\"",
         "error: reference key Ref: key Small needs a uint8 value, not x at character 9 of the reference "
         "at character 7"},
    };
    for (const auto &row : cases) EXPECT_EQ(rewritten(row.text, keyTypes), row.written) << cimobj::toUtf8(row.text);
}

}  // namespace
