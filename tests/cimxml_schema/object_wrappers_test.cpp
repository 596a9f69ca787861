// Tests of VALUE.OBJECT, VALUE.NAMEDINSTANCE, VALUE.OBJECTWITHPATH and the
// pairings they are made of.
#include <gtest/gtest.h>

#include <string>

#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/object_wrappers.h"
#include "support/log_capture.h"

using namespace fixtures;

namespace {

// An instance of CIM_Foo with key Id=n, carrying its own path.
CIMInstance *keyed_instance(uint32_t n, const wchar_t *host = nullptr) {
    CIMObjectPath *own_path = path(L"CIM_Foo", L"root", host);
    add_key(own_path, L"Id", uint32_value(n));
    CIMProperty *key = property(L"Id", uint32_value(n));
    return instance(L"CIM_Foo", {key}, own_path);
}

std::string instance_text(uint32_t n) {
    return "<INSTANCE CLASSNAME=\"CIM_Foo\">\n<PROPERTY NAME=\"Id\" TYPE=\"uint32\" PROPAGATED=\"false\">\n<VALUE>" +
           std::to_string(n) + "</VALUE>\n</PROPERTY>\n</INSTANCE>\n";
}

std::string name_text(uint32_t n) {
    return "<INSTANCENAME CLASSNAME=\"CIM_Foo\">\n<KEYBINDING NAME=\"Id\">\n"
           "<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint32\">" +
           std::to_string(n) + "</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n";
}

TEST(NamedInstance, NameBlockThenInstanceBlock) {
    auto i = own(keyed_instance(7));
    EXPECT_EQ(take(cim_namedinstance_toxml(i.get())),
              "<VALUE.NAMEDINSTANCE>\n" + name_text(7) + instance_text(7) + "</VALUE.NAMEDINSTANCE>\n");
}

TEST(NamedInstance, InstanceWithoutOwnPathLogsBothLevels) {
    testsupport::LogCapture log;
    auto i = own(instance(L"CIM_Foo", {}));
    EXPECT_EQ(take(cim_namedinstance_toxml(i.get())), null_text);
    EXPECT_TRUE(log.contains("get_instance_instancename - Instance does not have an ObjectPath!", 2));
    EXPECT_TRUE(log.contains("cim_namedinstance_toxml - get_instance_instancename failed", 0));
}

TEST(ValueObject, ClassOrInstanceWithoutPath) {
    auto i = own(keyed_instance(1));
    EXPECT_EQ(take(cim_valueobject_toxml(i.get(), 0)), "<VALUE.OBJECT>\n" + instance_text(1) + "</VALUE.OBJECT>\n");
    auto c = own(newCIMClass(str(L"CIM_C"), nullptr));
    EXPECT_EQ(take(cim_valueobject_toxml(c.get(), 1)),
              "<VALUE.OBJECT>\n<CLASS NAME=\"CIM_C\">\n</CLASS>\n</VALUE.OBJECT>\n");
    EXPECT_EQ(take(cim_valueobject_toxml(nullptr, 1)), null_text);
}

TEST(ObjectWithPath, ClassFormCarriesTheMachinesAddress) {
    auto c = own(newCIMClass(str(L"CIM_C"), nullptr));
    setClassNameSpace(c.get(), str(L"root/cimv2"));
    EXPECT_EQ(take(cim_objectwithpath_toxml(c.get(), 1)),
              "<VALUE.OBJECTWITHPATH>\n<CLASSPATH>\n<NAMESPACEPATH>\n<HOST>" + system_host() +
                  "</HOST>\n<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n"
                  "</LOCALNAMESPACEPATH>\n</NAMESPACEPATH>\n<CLASSNAME NAME=\"CIM_C\"/>\n</CLASSPATH>\n"
                  "<CLASS NAME=\"CIM_C\">\n</CLASS>\n</VALUE.OBJECTWITHPATH>\n");
}

TEST(ObjectWithPath, InstanceFormUsesThePathsHost) {
    auto i = own(keyed_instance(2, L"server"));
    setInstanceNameSpace(i.get(), str(L"root"));
    EXPECT_EQ(take(cim_objectwithpath_toxml(i.get(), 0)),
              "<VALUE.OBJECTWITHPATH>\n<INSTANCEPATH>\n<NAMESPACEPATH>\n<HOST>server</HOST>\n"
              "<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n</LOCALNAMESPACEPATH>\n</NAMESPACEPATH>\n" +
                  name_text(2) + "</INSTANCEPATH>\n" + instance_text(2) + "</VALUE.OBJECTWITHPATH>\n");
}

TEST(ObjectWithPath, ClassWithoutNamespaceCannotBeWritten) {
    auto c = own(newCIMClass(str(L"CIM_C"), nullptr));
    EXPECT_EQ(take(get_class_classpath(c.get())), null_text);
    auto nameless = own(newCIMClassEmpty());
    testsupport::LogCapture log;
    EXPECT_EQ(take(get_class_classpath(nameless.get())), null_text);
    EXPECT_TRUE(log.contains("get_class_classpath - copyCIMString failed", 0));
}

}  // namespace
