// Tests of HOST, the namespace paths, class and instance paths and names,
// KEYBINDING and OBJECTPATH.
#include <gtest/gtest.h>

#include <string>

#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/path_encoding.h"
#include "support/log_capture.h"

using namespace fixtures;

namespace {

const std::string root_nspath = "<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n</LOCALNAMESPACEPATH>\n";

TEST(InstanceName, CimNamespaceExample) {
    auto p = own(path(L"CIM_Namespace"));
    add_key(p.get(), L"Name", string_value(L"root"));
    EXPECT_EQ(take(cim_instancename_toxml(p.get())),
              "<INSTANCENAME CLASSNAME=\"CIM_Namespace\">\n"
              "<KEYBINDING NAME=\"Name\">\n"
              "<KEYVALUE VALUETYPE=\"string\" TYPE=\"string\">root</KEYVALUE>\n"
              "</KEYBINDING>\n"
              "</INSTANCENAME>\n");
}

TEST(InstanceName, WithoutKeysStartLineThenEndLine) {
    auto p = own(path(L"A"));
    EXPECT_EQ(take(cim_instancename_toxml(p.get())), "<INSTANCENAME CLASSNAME=\"A\">\n</INSTANCENAME>\n");
}

TEST(InstanceName, WithoutClassNameLogs) {
    testsupport::LogCapture log;
    auto p = own(path(nullptr));
    EXPECT_EQ(take(cim_instancename_toxml(p.get())), null_text);
    EXPECT_TRUE(log.contains("cim_instancename_toxml - newCIMValue failed", 2));
}

TEST(InstanceName, KeysThatCannotBeWrittenAreSkipped) {
    testsupport::LogCapture log;
    auto p = own(path(L"A"));
    add_key(p.get(), L"bad", newCIMValueNULL(CIM_STRING));
    add_key(p.get(), L"good", uint32_value(7));
    EXPECT_EQ(take(cim_instancename_toxml(p.get())),
              "<INSTANCENAME CLASSNAME=\"A\">\n<KEYBINDING NAME=\"good\">\n"
              "<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint32\">7</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n");
    EXPECT_TRUE(log.contains("cim_keybinding_toxml - failed; subelements are null", 2));
}

TEST(LocalNamespacePath, RootExample) {
    auto ns = own(str(L"root"));
    EXPECT_EQ(take(cim_localnamespacepath_toxml(ns.get())), root_nspath);
}

TEST(LocalNamespacePath, SeparatorsAndEmptyComponents) {
    const std::string two =
        "<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n</LOCALNAMESPACEPATH>\n";
    for (const wchar_t *text : {L"root/cimv2", L"/root//cimv2/", L"root\\cimv2", L"\\root\\\\cimv2\\"}) {
        auto ns = own(str(text));
        EXPECT_EQ(take(cim_localnamespacepath_toxml(ns.get())), two);
    }
}

TEST(LocalNamespacePath, EmptyAndNullNamespaces) {
    auto empty = own(str(L""));
    EXPECT_EQ(take(cim_localnamespacepath_toxml(empty.get())), "<LOCALNAMESPACEPATH>\n</LOCALNAMESPACEPATH>\n");
    auto nullString = own(str(nullptr));
    EXPECT_EQ(take(cim_localnamespacepath_toxml(nullString.get())), null_text);
    EXPECT_EQ(take(cim_localnamespacepath_toxml(nullptr)), null_text);
}

TEST(Host, EscapedOneLine) {
    EXPECT_EQ(take(cim_host_toxml("a&b")), "<HOST>a&amp;b</HOST>\n");
    EXPECT_EQ(take(cim_host_toxml("example.org")), "<HOST>example.org</HOST>\n");
    EXPECT_EQ(take(cim_host_toxml(nullptr)), null_text);
}

TEST(NamespacePath, OwnHostOrTheMachinesAddress) {
    auto withHost = own(path(L"A", L"root", L"server&1"));
    EXPECT_EQ(take(cim_namespacepath_toxml(withHost.get())),
              "<NAMESPACEPATH>\n<HOST>server&amp;1</HOST>\n" + root_nspath + "</NAMESPACEPATH>\n");
    auto withoutHost = own(path(L"A", L"root"));
    EXPECT_EQ(take(cim_namespacepath_toxml(withoutHost.get())),
              "<NAMESPACEPATH>\n<HOST>" + system_host() + "</HOST>\n" + root_nspath + "</NAMESPACEPATH>\n");
}

TEST(NamespacePath, NullNamespaceMakesEveryNamespaceElementNull) {
    auto p = own(path(L"A", nullptr, L"h"));
    add_key(p.get(), L"k", uint32_value(1));
    EXPECT_EQ(take(cim_namespacepath_toxml(p.get())), null_text);
    EXPECT_EQ(take(cim_classpath_toxml(p.get())), null_text);
    EXPECT_EQ(take(cim_localclasspath_toxml(p.get())), null_text);
    EXPECT_EQ(take(cim_instancepath_toxml(p.get())), null_text);
    EXPECT_EQ(take(cim_localinstancepath_toxml(p.get())), null_text);
    EXPECT_EQ(take(cim_objectpath_toxml(p.get())), null_text);
}

TEST(ClassPaths, FullAndLocalForms) {
    auto p = own(path(L"CIM_Foo", L"root", L"h"));
    EXPECT_EQ(take(cim_classpath_toxml(p.get())),
              "<CLASSPATH>\n<NAMESPACEPATH>\n<HOST>h</HOST>\n" + root_nspath +
                  "</NAMESPACEPATH>\n<CLASSNAME NAME=\"CIM_Foo\"/>\n</CLASSPATH>\n");
    EXPECT_EQ(take(cim_localclasspath_toxml(p.get())),
              "<LOCALCLASSPATH>\n" + root_nspath + "<CLASSNAME NAME=\"CIM_Foo\"/>\n</LOCALCLASSPATH>\n");
}

TEST(InstancePath, LineByLine) {
    auto p = own(path(L"CIM_Foo", L"root", L"h"));
    add_key(p.get(), L"Id", uint32_value(3));
    const std::string name = "<INSTANCENAME CLASSNAME=\"CIM_Foo\">\n<KEYBINDING NAME=\"Id\">\n"
                             "<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint32\">3</KEYVALUE>\n</KEYBINDING>\n"
                             "</INSTANCENAME>\n";
    const std::string full =
        "<INSTANCEPATH>\n<NAMESPACEPATH>\n<HOST>h</HOST>\n" + root_nspath + "</NAMESPACEPATH>\n" + name + "</INSTANCEPATH>\n";
    EXPECT_EQ(take(cim_instancepath_toxml(p.get())), full);
    EXPECT_EQ(take(cim_localinstancepath_toxml(p.get())),
              "<LOCALINSTANCEPATH>\n" + root_nspath + name + "</LOCALINSTANCEPATH>\n");
    EXPECT_EQ(take(cim_objectpath_toxml(p.get())), "<OBJECTPATH>\n" + full + "</OBJECTPATH>\n");
}

TEST(ObjectPath, WithoutKeysHoldsClassPath) {
    auto p = own(path(L"CIM_Foo", L"root", L"h"));
    std::string text = take(cim_objectpath_toxml(p.get()));
    EXPECT_EQ(text.rfind("<OBJECTPATH>\n<CLASSPATH>\n", 0), 0u) << text;
}

TEST(KeyBinding, ReferenceKeyHoldsValueReference) {
    auto target = path(L"B");
    auto key = own(newPropertyKey(str(L"Ref"), nullptr, reference_value(target)));
    EXPECT_EQ(take(cim_keybinding_toxml(key.get())),
              "<KEYBINDING NAME=\"Ref\">\n<VALUE.REFERENCE>\n<CLASSNAME NAME=\"B\"/>\n</VALUE.REFERENCE>\n"
              "</KEYBINDING>\n");
}

TEST(KeyBinding, NamelessKeyLogs) {
    testsupport::LogCapture log;
    auto key = own(newPropertyKey(nullptr, nullptr, uint32_value(1)));
    EXPECT_EQ(take(cim_keybinding_toxml(key.get())), null_text);
    EXPECT_TRUE(log.contains("cim_keybinding_toxml - newCIMValue failed", 2));
    EXPECT_EQ(take(cim_keybinding_toxml(nullptr)), null_text);
}

TEST(ClassName, EscapedNameAndMissingName) {
    auto name = own(str(L"A<B"));
    EXPECT_EQ(take(cim_classname_toxml(name.get())), "<CLASSNAME NAME=\"A&lt;B\"/>\n");
    EXPECT_EQ(take(cim_classname_toxml(nullptr)), null_text);
    auto empty = own(str(L""));
    EXPECT_EQ(take(cim_classname_toxml(empty.get())), "<CLASSNAME NAME=\"\"/>\n");
}

TEST(Namespace, EmptyElementWithName) {
    EXPECT_EQ(take(cim_namespace_toxml("interop")), "<NAMESPACE NAME=\"interop\"/>\n");
    EXPECT_EQ(take(cim_namespace_toxml(nullptr)), null_text);
}

}  // namespace
