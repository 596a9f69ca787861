// mof_compile_test.cpp - the MOF compiler and writer: every construct read
// and written back, round trips, includes, broken files, and what the sink
// has seen when a compile fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cimom/mof/recording_sink.h"

namespace {

namespace fs = std::filesystem;

// The diagnostics, one per line.
std::string lines(const std::vector<cimom::MofDiagnostic> &diagnostics) {
    std::string text;
    for (const cimom::MofDiagnostic &diagnostic : diagnostics) text += diagnostic.text() + "\n";
    return text;
}

std::string compile(RecordingSink &sink, std::string_view text, const std::string &name = "test.mof") {
    return lines(cimom::compileMofText(text, name, sink));
}

const char *const everyConstruct = R"mof(// Declarations in every form the compiler reads.
qualifier Abstract : boolean = false, scope(class, association, indication), flavor(Restricted);
Qualifier Association : BOOLEAN = false, Scope(association), Flavor(DisableOverride, ToSubclass);
qualifier Description : string, scope(any), flavor(Translatable);
qualifier Key : boolean = false, scope(property, reference), flavor(DisableOverride);
qualifier In : boolean = true, scope(parameter);
qualifier Out : boolean = false, scope(parameter);
qualifier ValueMap : string[], scope(property, method, parameter);
qualifier MaxLen : uint32 = null, scope(property, method, parameter);
qualifier Limits : sint8[2] = {-128, 127}, scope(property), flavor(EnableOverride, Restricted);
qualifier EmbeddedObject : boolean = false, scope(property, parameter, method);

/* A class with every kind of member. */
[Abstract, Description("A \"managed\" element" /* joined */ " in two pieces.") : ToSubclass Translatable]
class Test_Element
{
    [Key, MaxLen(256)] string Name;
    uint8 Small = 0xFF;
    sint16 Negative = -0x10;
    uint32 Octal = 017;
    uint64 Binary = 101b;
    sint64 Big = -9223372036854775808;
    real32 Ratio = 0.1;
    real64 Precise = -1.5e-300;
    real64 Unbounded = -INF;
    real32 Undefined = NaN;
    boolean Flag = TRUE;
    char16 Letter = '\x41';
    char16 Quote = '\'';
    datetime Since = "20240131123000.000000+060";
    string Escapes = "tab\there\nline \\ \x263A\x1 end";
    uint16 Codes[] = {1, 2, 3};
    string Fixed[4];
    [ValueMap{"0", "1"}, Limits(5)] uint8 Mapped;
    [Description("Returns 0 on success.")]
    uint32 Reset([In, Description("How hard")] uint16 Level, [In(false), Out] string Log[], [Out] Test_Element REF Peer);
    boolean Empty();
};

[Association]
class Test_Link
{
    [Key] Test_Element REF Left;
    [Key] Test_Element REF Right;
};

class Test_Child : Test_Element
{
    [EmbeddedObject] string Payload;
};

#pragma locale("en_US")
instance of Test_Child as $first
{
    Name = "first";
    Codes = {};
    [Description("off")] Flag = false;
    Payload = "instance of Test_Child { Name = \"inner\"; };";
};
instance of test_child as $Second   // names match without regard to case
{
    name = "second";
    Ratio = 3;
    Fixed = {"a", null};
    Letter = 'z';
};
instance of Test_Link
{
    Left = $first;
    Right = $SECOND;
};
instance of Test_Link
{
    Left = "Test_Element.Name=\"x\"";
    Right = "//host/root/cimv2:Test_Child.Name=\"y\"";
};
#pragma namespace("root/other")
qualifier Description : string, scope(class);
)mof";

const char *const everyConstructWritten = R"mof(qualifier Abstract : boolean = false, scope(class, association, indication), flavor(EnableOverride, Restricted);
qualifier Association : boolean = false, scope(association), flavor(DisableOverride, ToSubclass);
qualifier Description : string, scope(any), flavor(EnableOverride, ToSubclass, Translatable);
qualifier Key : boolean = false, scope(property, reference), flavor(DisableOverride, ToSubclass);
qualifier In : boolean = true, scope(parameter), flavor(EnableOverride, ToSubclass);
qualifier Out : boolean = false, scope(parameter), flavor(EnableOverride, ToSubclass);
qualifier ValueMap : string[], scope(property, method, parameter), flavor(EnableOverride, ToSubclass);
qualifier MaxLen : uint32, scope(property, method, parameter), flavor(EnableOverride, ToSubclass);
qualifier Limits : sint8[2] = {-128, 127}, scope(property), flavor(EnableOverride, Restricted);
qualifier EmbeddedObject : boolean = false, scope(property, method, parameter), flavor(EnableOverride, ToSubclass);
[Abstract, Description("A \"managed\" element in two pieces.") : ToSubclass Translatable]
class Test_Element
{
    [Key, MaxLen(256)]
    string Name;
    uint8 Small = 255;
    sint16 Negative = -16;
    uint32 Octal = 15;
    uint64 Binary = 5;
    sint64 Big = -9223372036854775808;
    real32 Ratio = 0.1;
    real64 Precise = -1.5e-300;
    real64 Unbounded = -INF;
    real32 Undefined = NaN;
    boolean Flag = true;
    char16 Letter = 'A';
    char16 Quote = '\'';
    datetime Since = "20240131123000.000000+060";
    string Escapes = "tab\there\nline \\ ☺\x0001 end";
    uint16 Codes[] = {1, 2, 3};
    string Fixed[];
    [ValueMap{"0", "1"}, Limits{5}]
    uint8 Mapped;
    [Description("Returns 0 on success.")]
    uint32 Reset([In, Description("How hard")] uint16 Level, [In(false), Out] string Log[], [Out] Test_Element REF Peer);
    boolean Empty();
};
[Association]
class Test_Link
{
    [Key]
    Test_Element REF Left;
    [Key]
    Test_Element REF Right;
};
class Test_Child : Test_Element
{
    [EmbeddedObject]
    string Payload;
};
instance of Test_Child
{
    Name = "first";
    Codes = {};
    [Description("off")] Flag = false;
    Payload = instance of Test_Child
    {
        Name = "inner";
    };
};
instance of Test_Child
{
    Name = "second";
    Ratio = 3.0;
    Fixed = {"a", null};
    Letter = 'z';
};
instance of Test_Link
{
    Left = "root/cimv2:Test_Child.Name=\"first\"";
    Right = "root/cimv2:Test_Child.Name=\"second\"";
};
instance of Test_Link
{
    Left = "Test_Element.Name=\"x\"";
    Right = "//host/root/cimv2:Test_Child.Name=\"y\"";
};
#pragma namespace("root/other")
qualifier Description : string, scope(class), flavor(EnableOverride, ToSubclass);
)mof";

TEST(MofCompiler, ReadsEveryConstructAndWritesItBack) {
    RecordingSink sink;
    EXPECT_EQ(compile(sink, everyConstruct), "");
    EXPECT_EQ(sink.text, everyConstructWritten);
    // A class is written with its own members: the inherited ones are left out.
    EXPECT_EQ(cimom::writeClassMof(sink.findClass(L"root/cimv2", L"Test_Child")),
              "class Test_Child : Test_Element\n{\n    [EmbeddedObject]\n    string Payload;\n};\n");
    // text -> objects -> text -> objects -> text
    RecordingSink again;
    EXPECT_EQ(compile(again, sink.text), "");
    EXPECT_EQ(again.text, sink.text);
}

// Properties typed as embedded instances and classes (as classes made from
// CIM-XML have them) read their MOF strings as objects; the writer writes
// the objects back in place, which the compiler reads to the same objects.
TEST(MofCompiler, ReadsAndWritesEmbeddedObjects) {
    RecordingSink sink;
    ASSERT_EQ(compile(sink, "class Inner { uint8 Size; string Text; };"), "");
    cimobj::ClassPtr holder(newCIMClass(newCIMString(L"Holder"), nullptr));
    setClassProperties(holder.get(), newCIMPropertyList());
    for (auto [name, type] : {std::pair{L"Object", CIM_OBJECT}, std::pair{L"Schema", CIM_CLASS}})
        freeReturnCode(appendToList(holder->properties, newProperty(newCIMString(name), nullptr,
                                                                    newCIMValueNULL(type), type, nullptr, 0)));
    sink.text.clear();
    ASSERT_TRUE(sink.createClass(L"root/cimv2", std::move(holder)).ok());
    EXPECT_EQ(sink.text, "class Holder\n{\n    object Object;\n    class Schema;\n};\n");
    sink.text.clear();
    const char *source = "instance of Holder { Object = \"instance of Inner { Size = 7; Text = \\\"a \\\\\\\"b\\\\\\\"\\\"; };\";"
                         " Schema = \"class Nested : Inner { };\"; };";
    const char *written =
        "instance of Holder\n{\n"
        "    Object = instance of Inner\n    {\n        Size = 7;\n        Text = \"a \\\"b\\\"\";\n    };\n"
        "    Schema = class Nested : Inner\n    {\n    };\n};\n";
    ASSERT_EQ(compile(sink, source), "");
    EXPECT_EQ(sink.text, written);
    sink.text.clear();
    ASSERT_EQ(compile(sink, written), "");
    EXPECT_EQ(sink.text, written);
    EXPECT_EQ(compile(sink, "instance of Holder { Object = \"instance of Inner { Size = 300; };\"; };"),
              "test.mof:1:31: embedded instance at 1:28: integer 300 out of range for uint8\n");
}

// Each broken text is compiled after a small schema; the whole list of
// diagnostics is compared.
TEST(MofCompiler, ReportsWhatIsWrongAndWhere) {
    const char *schema =
        "qualifier Key : boolean = false, scope(property);\n"
        "qualifier Description : string, scope(any);\n"
        "class T { [Key] string Name; uint8 Small; boolean Flag; datetime When; T REF Other; sint8 List[]; };\n";
    const struct {
        std::string text;
        const char *diagnostics;
    } cases[] = {
        {"class A { string N }", "1:20: expected ';' after property declaration"},
        {"instance of T { Small = 300; };", "1:25: integer 300 out of range for uint8"},
        {"instance of T { List = {1, -129}; };", "1:28: integer -129 out of range for sint8"},
        {"instance of T { Small = 99999999999999999999999; };",
         "1:25: integer 99999999999999999999999 out of range for uint8"},
        {"instance of T { Small = 1.5; };", "1:25: expected a value of type uint8 for property Small, found a real"},
        {"instance of T { Flag = \"yes\"; };", "1:24: expected a value of type boolean for property Flag, found a string"},
        {"instance of T { When = \"2024\"; };", "1:24: invalid datetime value \"2024\""},
        {"instance of T { Other = \"T.Name=\"; };",
         "1:25: invalid object path \"T.Name=\": expected a value for key Name at character 8"},
        {"instance of Nope { };", "1:13: class Nope is not defined"},
        {"instance of T {\n  Nope = 1; };", "2:3: class T has no property Nope"},
        {"instance of T { Name = \"x\"; name = \"y\"; };", "1:29: property name is given twice"},
        {"[Bogus] class B { };", "1:2: qualifier Bogus is not declared"},
        {"[Description] class B { };", "1:2: qualifier Description needs a value of type string"},
        {"[Key(1)] class B { };", "1:6: expected a value of type boolean for qualifier Key, found an integer"},
        {"class B { string X; uint8 x; };", "1:27: property x is declared twice"},
        {"class B { uint8 M(uint8 a, uint8 A); };", "1:34: parameter A is declared twice"},
        {"instance of T { Other = $nowhere; };", "1:25: alias $nowhere is not defined before this point"},
        {"instance of T as $a { };\ninstance of T as $A { };", "2:18: alias $A is already defined"},
        // Several syntax errors: each declaration is reported, the sink never called.
        {"class G { string X; }\nclass H { uint9 Y; };\ninstance T { };\n[Description(\"x\") : Sideways] class L { };",
         "2:1: expected ';' after the class declaration\n2:11: unknown type 'uint9'\n"
         "3:10: expected 'of' after 'instance'\n4:21: unknown flavor 'Sideways'"},
        {"instance of T { Name = \"ab\xe2\x98\xba\n; };", "1:24: string is not closed with '\"' before the end of the line"},
        {"instance of T { Name = \"a\\qb\"; };", "1:26: unknown escape sequence '\\q'"},
        {"instance of T { Small = 12ab; };", "1:25: invalid number '12ab'"},
        {"instance of T { Small = 'ab'; };", "1:25: char16 literal must hold exactly one character"},
        {"instance of T { List = {{1}}; };", "1:25: arrays cannot be nested"},
        {"instance of T { List = {1, 2,}; };", "1:30: expected a value"},
        {"qualifier Q : string, scope(everything);", "1:29: unknown scope 'everything'"},
        {"#pragma namespace(root)", "1:19: expected a string in #pragma namespace"},
        {"\x01\x02\xff garbage;\nclass", "1:1: unexpected byte 0x01\n2:6: expected the class name"},
        {"class C { /* never closed", "1:11: comment is not closed with '*/'"},
        {"class D {", "1:10: expected '}' to end the class body"},
        {std::string(100000, '['), "1:2: expected a qualifier name"},
    };
    for (const auto &row : cases) {
        RecordingSink sink;
        ASSERT_EQ(compile(sink, schema, "schema.mof"), "");
        std::string found = compile(sink, row.text, "broken.mof");
        for (size_t at; (at = found.find("broken.mof:")) != std::string::npos;) found.erase(at, 11);
        EXPECT_EQ(found, row.diagnostics + std::string("\n")) << row.text;
        EXPECT_EQ(sink.calls.size(), 3u) << row.text;
    }
}

// The sink sees the declarations before the failing one, in order, and
// nothing after it: a typing error and a refusal by the sink alike.
TEST(MofCompiler, StopsAtTheFirstDeclarationThatFails) {
    const char *text = "qualifier Q : boolean, scope(any);\nclass A { uint8 N; };\ninstance of A { N = 1; };\n"
                       "instance of A { N = 256; };\nclass B { };\n";
    RecordingSink sink;
    EXPECT_EQ(compile(sink, text), "test.mof:4:21: integer 256 out of range for uint8\n");
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"qualifier Q", "class A", "instance of A"}));
}

class MofIncludes : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("mof_includes_" + std::to_string(::getpid()));
        fs::create_directories(dir / "sub");
        fs::create_directories(dir / "lib");
    }
    void TearDown() override { fs::remove_all(dir); }
    void write(const std::string &name, const std::string &text) { std::ofstream(dir / name) << text; }
    fs::path dir;
};

// Included files are read in place, from the includer's folder or the
// include folders; a namespace pragma holds to the end of its file.
TEST_F(MofIncludes, ReadsIncludedFilesInPlace) {
    write("main.mof", "#pragma include(\"base.mof\")\nclass B : A { };\n");
    write("lib/base.mof", "class A { };\n#pragma namespace(\"root/lib\")\nclass L { };\n");
    RecordingSink sink;
    cimom::MofOptions options;
    options.includeDirs = {(dir / "lib").string()};
    EXPECT_EQ(lines(cimom::compileMofFile((dir / "main.mof").string(), sink, options)), "");
    EXPECT_EQ(sink.text, "class A\n{\n};\n#pragma namespace(\"root/lib\")\nclass L\n{\n};\n"
                         "#pragma namespace(\"root/cimv2\")\nclass B : A\n{\n};\n");
}

// Syntax errors of every file are reported, including a cycle and a
// missing file; the sink is never called.
TEST_F(MofIncludes, ReportsErrorsOfEveryFile) {
    write("main.mof", "class A { };\n#pragma include(\"sub/inc.mof\")\nclass B { uint8 X }\n");
    write("sub/inc.mof", "class C { };\n#pragma include(\"../main.mof\")\nclass D : { };\n#pragma include(\"gone.mof\")\n");
    RecordingSink sink;
    std::string base = dir.string();
    EXPECT_EQ(lines(cimom::compileMofFile(base + "/main.mof", sink)),
              base + "/sub/inc.mof:2:17: include cycle: \"../main.mof\" is already being read\n" + base +
                  "/sub/inc.mof:3:11: expected the superclass name after ':'\n" + base +
                  "/sub/inc.mof:4:17: cannot open include file \"gone.mof\"\n" + base +
                  "/main.mof:3:19: expected ';' after property declaration\n");
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(lines(cimom::compileMofFile(base + "/none.mof", sink)),
              base + "/none.mof: cannot read file: No such file or directory\n");
}

}  // namespace
