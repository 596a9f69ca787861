// Decoding of whole request documents: the call, its target path, its
// parameters with every kind of object they hold, and what is recorded as
// the last error on the way; the two clean-ups of attribute values (entity
// decoding, trimming of line breaks). Refused documents are the handler's
// tests.
#include <gtest/gtest.h>

#include "cimxml_common/memory.h"
#include "common_handlers/attributes.h"
#include "decoding/decoded.h"
#include "support/profiles.h"

namespace {

using namespace decoding;

struct Case {
    const char *name;
    std::string document;
    std::string decoded;  // in the classic profile
    std::string lastError = unchanged;
    // What the strict profile decodes differently, and its last error when
    // that differs ("" for the same).
    ProfileChanges strict = {};
    std::string strictError = "";
};

void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

std::string new_class(const std::string &element) {
    return intrinsic("CreateClass", "root/cimv2", iparam("NewClass", element));
}
const std::string reference =
    "<VALUE.REFERENCE><INSTANCEPATH><NAMESPACEPATH><HOST>h.example</HOST><LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/>"
    "<NAMESPACE NAME=\"x\"/></LOCALNAMESPACEPATH></NAMESPACEPATH><INSTANCENAME CLASSNAME=\"Ref\">"
    "<KEYBINDING NAME=\"K\"><KEYVALUE>1</KEYVALUE></KEYBINDING></INSTANCENAME></INSTANCEPATH></VALUE.REFERENCE>";

const Case cases[] = {
    // The two worked examples.
    {"GetInstance",
     intrinsic("GetInstance", "root/cimv2",
               "<IPARAMVALUE NAME=\"InstanceName\">\n<INSTANCENAME CLASSNAME=\"X\">\n<KEYBINDING NAME=\"K\">\n"
               "<KEYVALUE VALUETYPE=\"string\" TYPE=\"string\">v</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n"
               "</IPARAMVALUE>\n<IPARAMVALUE NAME=\"LocalOnly\"><VALUE>false</VALUE></IPARAMVALUE>\n"),
     "1 1001 GetInstance intrinsic root/cimv2:Container\n"
     "InstanceName:reference={(null):X.K=\"v\"} refclass=X\n"
     "LocalOnly:boolean=false\n"},
    {"NewClass",
     new_class("<CLASS NAME=\"C\" SUPERCLASS=\"Base\">\n"
               "<QUALIFIER NAME=\"Abstract\" TYPE=\"boolean\"><VALUE>true</VALUE></QUALIFIER>\n"
               "<PROPERTY NAME=\"P\" TYPE=\"string\">\n<QUALIFIER NAME=\"Description\" TYPE=\"string\" "
               "TRANSLATABLE=\"true\"><VALUE>a p</VALUE></QUALIFIER>\n<VALUE>hello</VALUE>\n</PROPERTY>\n"
               // The second VALUE no longer finds its property and is ignored.
               "<PROPERTY NAME=\"Count\" TYPE=\"uint32\" CLASSORIGIN=\"Base\" PROPAGATED=\"true\"><VALUE>7</VALUE>"
               "<VALUE>8</VALUE></PROPERTY>\n</CLASS>\n"),
     "1 1001 CreateClass intrinsic root/cimv2:Container\n"
     "NewClass:class={(null):C:Base [Abstract:boolean=true flavor=0]{P:string=\"hello\" [Description:string=\"a p\" "
     "flavor=16],Count:uint32=7 origin=Base propagated}}\n"},
    {"IntrinsicParametersTypedByName",
     intrinsic("EnumerateClasses", "root",
               valueParam("DeepInheritance", "true") + valueParam("INCLUDEQUALIFIERS", "TRUE") +
                   valueParam("Role", "Antecedent") + valueParam("MaxObjectCount", "100") +
                   "<IPARAMVALUE NAME=\"Count\" PARAMTYPE=\"uint32\"><VALUE>42</VALUE></IPARAMVALUE>" +
                   valueParam("LocalOnly", "maybe") + "<IPARAMVALUE NAME=\"IncludeClassOrigin\"/>" +
                   "<IPARAMVALUE><VALUE>x</VALUE></IPARAMVALUE>" +
                   valueParam("Query", "a&amp;b&#65;c&lt;d<![CDATA[<raw> &amp;]]>tail") +
                   valueParam("QueryLanguage", "\n  select *\r\n  from A  &#13;\n") +
                   iparam("ClassName", "<CLASSNAME NAME=\"CIM_Foo\"/>") +
                   iparam("PropertyList",
                          "<VALUE.ARRAY><VALUE>Name</VALUE><VALUE>Size</VALUE><VALUE></VALUE>"
                          "</VALUE.ARRAY>")),
     "1 1001 EnumerateClasses intrinsic root:Container\n"
     "DeepInheritance:boolean=true\n"
     "INCLUDEQUALIFIERS:boolean=true\n"
     "Role:string=\"Antecedent\"\n"
     "MaxObjectCount:string=\"100\"\n"
     "Count:uint32=42\n"
     "LocalOnly:boolean=(null)\n"
     "IncludeClassOrigin:boolean=(null)\n"
     "(null):null=(null)\n"
     "Query:string=\"a&bAc<d<raw> &amp;tail\"\n"
     "QueryLanguage:string=\"  select *\n"
     "  from A  \"\n"
     "ClassName:string=\"CIM_Foo\"\n"
     "PropertyList:string[]=[\"Name\",\"Size\",\"\"]\n",
     unchanged,
     // Strict keeps a value's text whole: the parser made its CR LF one LF,
     // and the CR written as a reference stays.
     {{"QueryLanguage:string=\"  select *\n  from A  \"", "QueryLanguage:string=\"\n  select *\n  from A  \r\n\""}}},
    {"KeyValueTypesFromTypeThenValueType",
     extrinsic("Reset", "root",
               "<INSTANCENAME CLASSNAME=\"Dev\"><KEYBINDING NAME=\"A\"><KEYVALUE VALUETYPE=\"numeric\">12</KEYVALUE>"
               "</KEYBINDING><KEYBINDING NAME=\"B\"><KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint16\">12</KEYVALUE>"
               "</KEYBINDING><KEYBINDING NAME=\"C\"><KEYVALUE VALUETYPE=\"boolean\">TRUE</KEYVALUE></KEYBINDING>"
               "<KEYBINDING NAME=\"D\"><KEYVALUE>plain</KEYVALUE></KEYBINDING><KEYBINDING NAME=\"E\">"
               "<KEYVALUE TYPE=\"sint64\">-9000000000</KEYVALUE></KEYBINDING></INSTANCENAME>"),
     "1 1001 Reset extrinsic root:Dev.A=\"12\",B=12,C=true,D=\"plain\",E=-9000000000\n"
     "A:string=\"12\" key\n"
     "B:uint16=12 key\n"
     "C:boolean=true key\n"
     "D:string=\"plain\" key\n"
     "E:sint64=-9000000000 key\n"},
    {"ReferencesAsKeysParametersAndArrays",
     extrinsic(
         "Link", "root",
         "<INSTANCENAME CLASSNAME=\"Assoc\"><KEYBINDING NAME=\"Left\">" + reference + "</KEYBINDING></INSTANCENAME>",
         "<PARAMVALUE NAME=\"One\" PARAMTYPE=\"reference\">" + reference +
             "</PARAMVALUE><PARAMVALUE NAME=\"Many\" PARAMTYPE=\"reference\"><VALUE.REFARRAY>" + reference + reference +
             "</VALUE.REFARRAY></PARAMVALUE><PARAMVALUE NAME=\"Refs\"><VALUE.REFARRAY>"
             "<VALUE.REFERENCE><CLASSNAME NAME=\"A\"/></VALUE.REFERENCE></VALUE.REFARRAY></PARAMVALUE>"),
     "1 1001 Link extrinsic root:Assoc.Left={//h.example/root/x:Ref.K=\"1\"}\n"
     "Left:reference={//h.example/root/x:Ref.K=\"1\"} key refclass=Ref\n"
     "One:reference={//h.example/root/x:Ref.K=\"1\"} refclass=Ref\n"
     "Many:reference[]=[{//h.example/root/x:Ref.K=\"1\"},{//h.example/root/x:Ref.K=\"1\"}] refclass=Ref\n"
     "Refs:reference[]=[{(null):A}] refclass=A\n"},
    // Classic decodes attribute references a second time and cuts any two
    // characters behind a trailing CR; strict cuts CR LF pairs only. Blanks
    // stay in both.
    {"AttributeValuesAndTextsAreCleaned",
     request("<SIMPLEREQ><IMETHODCALL NAME=\" a&amp;lt;b&#13;&#10;\">" + valueParam("Query", "Y = 2 &#13;9") +
             classNameParam("CIM_Foo&#13;X") + valueParam("Role", " ") + "</IMETHODCALL></SIMPLEREQ>"),
     "1 1001  a<b intrinsic (null)\nQuery:string=\"Y = 2 \"\nClassName:string=\"CIM_Foo\"\nRole:string=\" \"\n",
     unchanged,
     {{" a<b", " a&lt;b"}, {"\"Y = 2 \"", "\"Y = 2 \r9\""}, {"\"CIM_Foo\"", "\"CIM_Foo\rX\""}}},
    {"TheFirstOfTwoCallsCounts",
     request("<SIMPLEREQ><METHODCALL NAME=\"First\"></METHODCALL><IMETHODCALL NAME=\"Second\"></IMETHODCALL>"
             "</SIMPLEREQ>"),
     "1 1001 First extrinsic (null)\n", unchanged,
     {{"(null)\n", "(null)\nrefused 4: The request holds more than one call element.\n"}}},
    {"TwoTargetNamespacePathsAreJoined",
     request("<SIMPLEREQ><IMETHODCALL NAME=\"GetClass\">" + namespacePath("root") + namespacePath("other") +
             classNameParam("CIM_Foo") + "</IMETHODCALL></SIMPLEREQ>"),
     "1 1001 GetClass intrinsic root/other:Container\nClassName:string=\"CIM_Foo\"\n", unchanged,
     {{"Foo\"\n", "Foo\"\nrefused 4: The request names the namespace of its target more than once.\n"}}},
    {"Char16Values",
     intrinsic("CreateInstance", "root", iparam("NewInstance", "<INSTANCE CLASSNAME=\"X\"><PROPERTY NAME=\"C\" "
                                                               "TYPE=\"char16\"><VALUE>\xc3\xa9</VALUE></PROPERTY>"
                                                               "<PROPERTY NAME=\"D\" TYPE=\"char16\"><VALUE>ab"
                                                               "</VALUE></PROPERTY></INSTANCE>")),
     "1 1001 CreateInstance intrinsic root:Container\nNewInstance:object={(null):X{C:char16=(null),D:char16=(null)}}\n",
     unchanged, {{"C:char16=(null)", "C:char16='\xc3\xa9'"}},
     "1: A char16 value is not one character of the basic multilingual plane."},
    {"EmbeddedInstanceMarkedAsObject",
     intrinsic("CreateInstance", "root/cimv2",
               iparam("NewInstance", "<INSTANCE CLASSNAME=\"X\"><PROPERTY NAME=\"A\" TYPE=\"string\" "
                                     "EmbeddedObject=\"object\"><VALUE><![CDATA[<INSTANCE CLASSNAME=\"L1\">"
                                     "<PROPERTY NAME=\"B\" TYPE=\"uint8\"><VALUE>3</VALUE></PROPERTY></INSTANCE>]]>"
                                     "</VALUE></PROPERTY></INSTANCE>")),
     "1 1001 CreateInstance intrinsic root/cimv2:Container\nNewInstance:object={(null):X{A:class=(null)}}\n",
     unchanged, {{"A:class=(null)", "A:class={root/cimv2:L1{B:uint8=3}}"}}},
    {"NamespaceAndClassNameOutsideObjectsMakeTheTarget",
     request("<SIMPLEREQ><IMETHODCALL NAME=\"DeleteInstance\"><LOCALNAMESPACEPATH><NAMESPACE NAME=\"a\"/><NAMESPACE "
             "NAME=\"b\"/><NAMESPACE NAME=\"c\"/></LOCALNAMESPACEPATH><CLASSNAME NAME=\"First\"/><CLASSNAME "
             "NAME=\"Second\"/></IMETHODCALL></SIMPLEREQ>"),
     "1 1001 DeleteInstance intrinsic a/b/c:First\n"},
    // Declared arrays stay arrays without their values.
    {"PropertyArraysWithoutOrWithEmptyValues",
     intrinsic("CreateInstance", "root",
               iparam("NewInstance", "<INSTANCE CLASSNAME=\"X\"><PROPERTY.ARRAY NAME=\"A\" TYPE=\"uint8\"/>"
                                     "<PROPERTY.ARRAY NAME=\"B\" TYPE=\"string\"><VALUE.ARRAY/></PROPERTY.ARRAY>"
                                     "</INSTANCE>")),
     "1 1001 CreateInstance intrinsic root:Container\nNewInstance:object={(null):X{A:uint8[]=(null),B:string[]=[]}}\n"},
    {"NoMessageId", "<CIM><MESSAGE><SIMPLEREQ><IMETHODCALL NAME=\"X\"></IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>",
     "1 (no id) X intrinsic (null)\n", "1: No message id."},
    {"NoProtocolVersion", "<CIM><MESSAGE ID=\"7\"><SIMPLEREQ><IMETHODCALL NAME=\"X\"/></SIMPLEREQ></MESSAGE></CIM>",
     "1 7 X intrinsic (null)\n", "1: No protocol version."},
    {"EmbeddedObjectsInProperties",
     new_class("<CLASS NAME=\"C\"><QUALIFIER NAME=\"Version\" TYPE=\"string\"><VALUE>1</VALUE></QUALIFIER>"
               "<PROPERTY NAME=\"A\" TYPE=\"string\" EmbeddedObject=\"object\"/>"
               "<PROPERTY NAME=\"B\" TYPE=\"uint8\" EmbeddedObject=\"Object\"/>"
               "<PROPERTY NAME=\"C\" TYPE=\"string\" EmbeddedObject=\"whatever\"/>"
               "<PROPERTY NAME=\"D\" TYPE=\"string\"><QUALIFIER NAME=\"EmbeddedObject\" TYPE=\"boolean\">"
               "<VALUE>true</VALUE></QUALIFIER><VALUE>&lt;CLASS NAME=&quot;Inner&quot;&gt;&lt;/CLASS&gt;</VALUE>"
               "</PROPERTY><PROPERTY NAME=\"E\" TYPE=\"string\"><QUALIFIER NAME=\"Units\" TYPE=\"string\" "
               "OVERRIDABLE=\"false\" TOSUBCLASS=\"true\"><VALUE>m</VALUE></QUALIFIER></PROPERTY></CLASS>"),
     "1 1001 CreateClass intrinsic root/cimv2:Container\n"
     "NewClass:class={(null):C [Version:string=\"1\" "
     "flavor=0]{A:class=(null),B:class=(null),C:object=(null),D:class={root/cimv2:Inner{}} "
     "[EmbeddedObject:boolean=true flavor=0],E:string=(null) [Units:string=\"m\" flavor=10]}}\n"},
};

class RequestDecoding : public testing::TestWithParam<Case> {};

TEST_P(RequestDecoding, HoldsWhatTheDocumentSaysInEachProfile) {
    const Case &c = GetParam();
    for (bool strict : {false, true}) {
        ProfileScope profile(strict);
        markLastError();
        Message md = parse(c.document);
        EXPECT_EQ(decoded(md.get()), strict ? strictForm(c.decoded, c.strict) : c.decoded) << "strict " << strict;
        EXPECT_EQ(lastError(), strict && !c.strictError.empty() ? c.strictError : c.lastError) << "strict " << strict;
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, RequestDecoding, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case> &info) { return info.param.name; });

// Bytes at the edges of each UTF-8 length read as the one character each
// sequence encodes.
TEST(RequestDecoding, Utf8AtTheEdgesOfEachLength) {
    Message md = parse(intrinsic("ExecQuery", "root", valueParam("Query", "\x7f \xc2\x80 \xdf\xbf \xe0\xa0\x80 "
                                                                          "\xef\xbf\xbd \xf0\x90\x80\x80 \xf4\x8f\xbf\xbf")));
    const wchar_t *text = getCIMStringBuffer(static_cast<CIMString *>(content(md.get(), "Query")));
    EXPECT_EQ(std::wstring(text ? text : L"(none)"), L"\x7f \x80 \x7ff \x800 \xfffd \x10000 \x10ffff");
}

// A declaration without SCOPE, or without OVERRIDABLE and TOSUBCLASS, has
// all of them; the boolean attributes are read in lower case only.
TEST(RequestDecoding, QualifierDeclarationsGoToTheirOwnField) {
    const std::pair<std::string, std::string> cases[] = {
        {"><VALUE>meters</VALUE>", "Q:string=\"meters\" scope=507 flavor=9"},
        {"><SCOPE CLASS=\"TRUE\" ASSOCIATION=\"true\" PROPERTY=\"false\"/>", "Q:string=(null) scope=3 flavor=9"},
        {"><SCOPE REFERENCE=\"true\" METHOD=\"true\" PARAMETER=\"true\" INDICATION=\"true\"/>",
         "Q:string=(null) scope=116 flavor=9"},
        {" OVERRIDABLE=\"FALSE\">", "Q:string=(null) scope=507 flavor=10"},
        {" ISARRAY=\"true\"><VALUE.ARRAY><VALUE>1</VALUE><VALUE>2</VALUE></VALUE.ARRAY>",
         "Q:string[]=[\"1\",\"2\"] scope=507 flavor=9"},
    };
    for (const auto &[declaration, text] : cases) {
        Message md =
            parse(intrinsic("SetQualifier", "root",
                            iparam("QualifierDeclaration", "<QUALIFIER.DECLARATION NAME=\"Q\" TYPE=\"string\"" +
                                                               declaration + "</QUALIFIER.DECLARATION>")));
        EXPECT_EQ(decoded(md.get()),
                  "1 1001 SetQualifier intrinsic root:Container\nQualifierDeclaration:string=(null)\n"
                  "declaration " +
                      text + "\n");
    }
}

std::string take(char *text) {
    std::string result = text ? text : "(null)";
    cimxml_free(text, CIMXML_ATOMIC);
    return result;
}

// One pass per reference in the order quot, amp, lt, gt, apos; each
// occurrence becomes its character and the scan goes on behind it.
TEST(DecodeEntityReferences, ReplacesTheFiveReferencesInPassOrder) {
    const std::pair<const char *, const char *> cases[] = {
        {"", ""}, {"plain", "plain"}, {"&quot;q&quot;", "\"q\""}, {"&lt;b&gt; &apos;x&apos;", "<b> 'x'"},
        // Escaped twice in the document and expanded once by Expat: the amp
        // pass comes before lt, gt and apos but after quot.
        {"&amp;lt;", "<"}, {"&amp;gt;", ">"}, {"&amp;apos;", "'"}, {"&amp;quot;", "&quot;"},
        // The amp pass goes on behind the ampersand it wrote.
        {"&amp;amp;", "&amp;"}, {"&amp;amp;lt;", "&amp;lt;"}, {"&amp;&lt;", "&<"}, {"&&amp;", "&&"},
        {"& amp; &unknown; &#60;", "& amp; &unknown; &#60;"}, {"&lt", "&lt"}, {"tail &", "tail &"}};
    for (const auto &[in, out] : cases) EXPECT_EQ(take(decodeEntityReferences(in)), out) << in;
    EXPECT_EQ(decodeEntityReferences(nullptr), nullptr);
}

TEST(TrimLineBreaks, CutsLeadingBreaksAndTrailingCrPairs) {
    const std::pair<const char *, const char *> cases[] = {
        {"", ""}, {"\r\n\r\nabc", "abc"}, {"\n\rabc", "abc"}, {"abc\r\n\r\n", "abc"}, {"abc\n", "abc\n"},
        {"abc\r", "abc\r"}, {"abc\rX", "abc"}, {" abc\t", " abc\t"}, {"\r", ""}, {"a\r\nb", "a\r\nb"}};
    for (const auto &[in, out] : cases) EXPECT_EQ(take(trimLineBreaks(in)), out) << testing::PrintToString(in);
    EXPECT_EQ(trimLineBreaks(nullptr), nullptr);
}

}  // namespace
