// Round trips: objects written by the request encoders and decoded again
// come back as they were, apart from the differences the decoder has by
// design, which each test states as replacements in the original's text.
// Texts hold every special character of XML and multi-byte characters.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "cimxml_common/cim_types.h"
#include "cimxml_common/http_headers.h"
#include "cimxml_schema/request_body.h"
#include "decoding/decoded.h"
#include "support/cim_fixtures.h"
#include "support/rich_objects.h"
#include "support/profiles.h"

namespace {

using namespace decoding;
using namespace fixtures;

// text with the changes made, one item a line; "(no from)" when a from is missing.
std::string changed(const std::string &text, const Changes &changes) { return lines(replaced(text, changes)); }

// By design embedded objects take the request's namespace, a
// PROPERTY.REFERENCE decodes as a key, and the classic profile does not
// convert char16 values back.
std::vector<std::pair<std::string, std::string>> by_design(bool strict) {
    if (strict) return {{"(null):Emb_", "root/cimv2:Emb_"}};
    return {{"p_char16:char16='B'", "p_char16:char16=(null)"},
            {"['A','B','C']", "[(null),(null),(null)]"},
            {"(null):Emb_", "root/cimv2:Emb_"}};
}
const std::pair<std::string, std::string> reference_key = {"Num=4000000000} refclass=CIM_Target",
                                                           "Num=4000000000} key refclass=CIM_Target"};

// Writes method on path with parameters (and declaration) as a whole request
// with the request encoders and decodes it again; the objects stay the
// fixture's until the test ends.
class RoundTrip : public testing::Test {
protected:
    CIMObjectPath *path_ = path(L"Container", L"root/cimv2");
    CIMPropertyList *parameters_ = newCIMPropertyList();
    CIMQualifierType *declaration_ = nullptr;

    void SetUp() override { markLastError(); }
    void TearDown() override {
        EXPECT_EQ(lastError(), unchanged);
        freeCIMObjectPath(path_);
        freeCIMPropertyList(parameters_);
        freeQualifierType(declaration_);
    }
    void add(CIMProperty *parameter) { freeReturnCode(appendToCIMPropertyList(parameters_, parameter)); }
    Message round_trip(const wchar_t *method, int intrinsic) {
        auto name = own(str(method));
        char *body = cim_simplereq_toxml(name.get(), path_, parameters_, declaration_, intrinsic);
        char *message = body ? join_header_and_message(nullptr, body, "1001") : nullptr;
        Message md = parse(message ? message : "");
        cimxml_free(body, CIMXML_ATOMIC);
        cimxml_free(message, CIMXML_ATOMIC);
        return md;
    }
    // The text of the first parameter's content, as classText or instanceText gives it.
    template <typename T>
    std::string original(std::string (*text)(const T *)) {
        void *data = nullptr;
        freeReturnCode(getCIMValue(propertyGetValue(getCIMPropertyAt(parameters_, 0)), &data, nullptr));
        return text(static_cast<T *>(data));
    }
};

TEST_F(RoundTrip, AClassWithEveryKindOfMember) {
    add(property(L"NewClass", class_value(everything_class())));
    for (bool strict : {false, true}) {
        ProfileScope profile(strict);
        Message md = round_trip(L"CreateClass", 1);
        auto changes = by_design(strict);
        changes.insert(changes.end(),
                       {reference_key,
                        // A reference parameter gets its class as a value.
                        {"Target:reference=(null)", "Target:reference={(null):CIM_System}"},
                        // A scalar qualifier of a reference-array parameter loses its value.
                        {"Description:string=\"peers\"", "Description:string=(null)"}});
        EXPECT_EQ(changed(classText(static_cast<CIMClass *>(content(md.get(), "NewClass"))), {}),
                  changed(original(classText), changes));
    }
}

TEST_F(RoundTrip, ANamedInstanceWithEveryKindOfProperty) {
    CIMInstance *named = newInstance(str(L"RT_Instance"), str(L"root/cimv2"), every_kind_of_property());
    setInstancePath(named, target_path(L"RT_Instance", L"i1"));
    add(property(L"ModifiedInstance", instance_value(named)));
    for (bool strict : {false, true}) {
        ProfileScope profile(strict);
        Message md = round_trip(L"ModifyInstance", 1);
        auto changes = by_design(strict);
        // An INSTANCE names no namespace.
        changes.insert(changes.end(), {reference_key, {"root/cimv2:RT_Instance{", "(null):RT_Instance{"}});
        EXPECT_EQ(changed(instanceText(static_cast<CIMInstance *>(content(md.get(), "ModifiedInstance"))), {}),
                  changed(original(instanceText), changes));
        // The named instance carries its path, without host and namespace.
        EXPECT_EQ(md->instancePaths ? pathText(getCIMObjectPathAt(md->instancePaths, 0)) : "(none)",
                  "(null):RT_Instance.Name=\"i1\",Num=4000000000");
    }
}

// By design a declaration that names neither OVERRIDABLE nor TOSUBCLASS
// has both (flavor 0 comes back as 9), "Values" is written as an array
// whatever its type, and the any-scope 507 comes back as the scopes it has.
TEST_F(RoundTrip, QualifierDeclarations) {
    const struct {
        CIMQualifierType *declaration;
        const char *decoded;
    } cases[] = {
        {newQualifierType(str(L"RT_Units"), 1 | 8 | 16, string_value(L"m"), CIM_STRING, 0, 1 | 8),
         "RT_Units:string=\"m\" scope=9 flavor=25"},
        {newQualifierType(str(L"RT_Map"), 2 | 4, array_of(CIM_UINT32), CIM_UINT32 + CIM_ARRAY, 0, 32 | 64),
         "RT_Map:uint32[]=[4000000000,4000000001,4000000002] scope=96 flavor=6"},
        {newQualifierType(str(L"Values"), 0, string_value(L"v"), CIM_STRING, 0, 507),
         "Values:string[]=(null) scope=123 flavor=9"},  // flavor 0 as well
    };
    add(typed_property(L"QualifierDeclaration", CIM_STRING, null_of(CIM_STRING)));
    for (const auto &c : cases) {
        freeQualifierType(declaration_);
        declaration_ = c.declaration;
        Message md = round_trip(L"SetQualifier", 1);
        EXPECT_EQ(md ? declarationText(md->qualifierType) : "(not decoded)", c.decoded);
    }
}

TEST_F(RoundTrip, IntrinsicParametersByName) {
    add(property(L"InstanceName", reference_value(target_path(L"CIM_A", L"a"))));
    add(property(L"ObjectName", reference_value(target_path(L"CIM_B", L"b"))));
    add(property(L"AssocClass", reference_value(path(L"CIM_C", L"root/cimv2"))));
    add(property(L"ResultClass", string_value(L"CIM_D")));
    add(property(L"PropertyList", array_of(CIM_STRING, 1)));
    add(property(L"DeepInheritance", boolean_value(1)));
    add(property(L"LocalOnly", boolean_value(0)));
    Message md = round_trip(L"References", 1);
    // An INSTANCENAME names no namespace; a class-name parameter given as a
    // path travels as its CLASSNAME and comes back as the name.
    EXPECT_EQ(decoded(md.get()), "1 1001 References intrinsic root/cimv2:Container\n"
                                 "InstanceName:reference={(null):CIM_A.Name=\"a\",Num=4000000000} refclass=CIM_A\n"
                                 "ObjectName:reference={(null):CIM_B.Name=\"b\",Num=4000000000} refclass=CIM_B\n"
                                 "AssocClass:string=\"CIM_C\"\n"
                                 "ResultClass:string=\"CIM_D\"\n"
                                 "PropertyList:string[]=[\"" + tricky_utf8 + " 0\"]\n"
                                 "DeepInheritance:boolean=true\n"
                                 "LocalOnly:boolean=false\n");
    // By design a CLASSNAME directly in an intrinsic parameter is a string.
    freeCIMPropertyList(parameters_);
    parameters_ = property_list({property(L"ObjectName", reference_value(path(L"CIM_C", L"root/cimv2")))});
    EXPECT_EQ(decoded(round_trip(L"ReferenceNames", 1).get()),
              "1 1001 ReferenceNames intrinsic root/cimv2:Container\nObjectName:string=\"CIM_C\"\n");
}

TEST_F(RoundTrip, ExtrinsicParametersOfEveryKind) {
    freeCIMObjectPath(path_);
    path_ = target_path(L"RT_Service", L"svc");
    for (int type = CIM_UINT8; type <= CIM_CHAR16; ++type) {
        add(property(named(L"p_", type).c_str(), scalar(type, 1)));
        add(property(named(L"a_", type).c_str(), array_of(type)));
    }
    add(property(L"ref", reference_value(target_path(L"CIM_R", L"r"))));
    add(property(L"refs", array_value(CIM_REFERENCE + CIM_ARRAY, {reference_value(target_path(L"CIM_R", L"r1")),
                                                                  reference_value(target_path(L"CIM_R", L"r2"))})));
    add(property(L"instance", instance_value(small_instance(L"Emb_P"))));
    add(typed_property(L"none", CIM_UINT32, null_of(CIM_UINT32)));
    for (bool strict : {false, true}) {
        ProfileScope profile(strict);
        Message md = round_trip(L"Reconfigure", 0);
        ASSERT_TRUE(md);
        EXPECT_EQ(decoded(md.get()).substr(0, decoded(md.get()).find('\n')),
                  "1 1001 Reconfigure extrinsic root/" + tricky_utf8 + ":RT_Service.Name=\"svc\",Num=4000000000");
        auto changes = by_design(strict);
        changes.push_back({"root/cimv2:Emb_P", "root/" + tricky_utf8 + ":Emb_P"});
        EXPECT_EQ(changed(listText(getMethodParameters(md->method)), {}), changed(listText(parameters_), changes));
    }
}

}  // namespace
