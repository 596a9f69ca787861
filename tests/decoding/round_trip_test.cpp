// Round trips: objects written by the request encoders and decoded again
// come back as they were, apart from the differences the decoder has by
// design, which each test states as replacements in the original's text.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "cimxml_common/cim_types.h"
#include "cimxml_common/http_headers.h"
#include "cimxml_common/memory.h"
#include "cimxml_schema/request_body.h"
#include "decoding/decoded.h"

namespace {

using namespace decoding;

CIMString *S(const char *text) { return createCIMStringFromChar(text); }
void add(CIMPropertyList *list, const char *name, CIMValue *value, const char *origin = nullptr, int propagated = 0) {
    freeReturnCode(appendToCIMPropertyList(
        list, newProperty(S(name), origin ? S(origin) : nullptr, value, getCIMValueType(value), nullptr, propagated)));
}
CIMProperty *last(CIMPropertyList *list) { return getCIMPropertyAt(list, getCIMPropertyListLength(list) - 1); }
CIMQualifier *qualifier(const char *name, CIMValue *value, int flavor, int propagated = 0) {
    return newQualifier(S(name), flavor, value, getCIMValueType(value), propagated);
}
CIMValue *boolean(int b) { return newCIMValue(CIM_BOOLEAN, &b); }
CIMValue *text(const char *t) { return newCIMValue(CIM_STRING, S(t)); }
CIMValue *null_of(int type, const char *referenceClass = nullptr) {
    CIMValue *value = newCIMValueNULL(type);
    if (referenceClass) setCIMValueReferenceType(value, S(referenceClass));
    return value;
}

// A value of every scalar type, at the edges of its range.
CIMValue *scalar(int type, int v) {
    uint8_t u8 = 200 + v; int8_t s8 = -100 - v; uint16_t u16 = 60000 + v; int16_t s16 = -30000 + v;
    uint32_t u32 = 4000000000u + v; int32_t s32 = -2000000000 + v; uint64_t u64 = 18000000000000000000ull + v;
    int64_t s64 = -9000000000000000000ll + v; int b = v % 2; float r32 = 1.5f + v; double r64 = -2.25e300 + v;
    uint16_t c16 = 'A' + v;
    std::wstring datetime = L"2024010203040" + std::to_wstring(v) + L".123456+060";
    void *data[] = {&u8, &s8, &u16, &s16, &u32, &s32, &u64, &s64, nullptr, &b, &r32, &r64, datetime.data(), &c16};
    if (type == CIM_STRING) return text(("text <&> \"q\" 'a' " + std::to_string(v)).c_str());
    return newCIMValue(type, data[type]);
}
CIMValue *array_of(int type, int count = 3) {
    CIMValueList *list = newCIMValueList();
    for (int i = 0; i < count; ++i) freeReturnCode(appendToCIMValueList(list, scalar(type, i)));
    return newCIMValue(type + CIM_ARRAY, list);
}

CIMObjectPath *target_path(const char *className, const char *key) {
    CIMObjectPath *path = newObjectPathWithName(S(className));
    setObjectPathNameSpace(path, S("root/cimv2"));
    setObjectPathHost(path, S("host.example"));
    freeReturnCode(objectPathAddKey(path, newPropertyKey(S("Name"), nullptr, text(key))));
    freeReturnCode(objectPathAddKey(path, newPropertyKey(S("Num"), nullptr, scalar(CIM_UINT32, 0))));
    return path;
}
CIMInstance *small_instance(const char *className) {
    CIMInstance *instance = newInstance(S(className), nullptr, newCIMPropertyList());
    add(getInstanceProperties(instance), "Inner", text("x & y"));
    return instance;
}

// Properties of every scalar and array type, qualifiers, a reference,
// embedded objects and a null value.
CIMPropertyList *every_kind_of_property() {
    CIMPropertyList *list = newCIMPropertyList();
    for (int type = CIM_UINT8; type <= CIM_CHAR16; ++type)
        add(list, (std::string("p_") + typeNameText(type)).c_str(), scalar(type, 1));
    for (int type = CIM_UINT8; type <= CIM_CHAR16; ++type)
        add(list, (std::string("a_") + typeNameText(type)).c_str(), array_of(type));
    add(list, "inherited", scalar(CIM_UINT32, 0), "RT_Base", 1);
    freeReturnCode(propertyAddQualifier(last(list), qualifier("Units", text("bytes"), 8 | 16)));
    freeReturnCode(propertyAddQualifier(last(list), qualifier("Key", boolean(1), 2 | 8, 1)));
    add(list, "ref", newCIMValue(CIM_REFERENCE, target_path("CIM_Target", "t1")));
    add(list, "embeddedInstance", newCIMValue(CIM_OBJECT, small_instance("Emb_I")));
    CIMClass *embeddedClass = newCIMClass(S("Emb_C"), nullptr);
    setClassProperties(embeddedClass, newCIMPropertyList());
    add(getClassProperties(embeddedClass), "Size", scalar(CIM_UINT64, 0));
    add(list, "embeddedClass", newCIMValue(CIM_CLASS, embeddedClass));
    CIMValueList *objects = newCIMValueList();
    freeReturnCode(appendToCIMValueList(objects, newCIMValue(CIM_OBJECT, small_instance("Emb_A"))));
    freeReturnCode(appendToCIMValueList(objects, newCIMValue(CIM_OBJECT, small_instance("Emb_B"))));
    add(list, "embeddedArray", newCIMValue(CIM_OBJECT + CIM_ARRAY, objects));
    add(list, "nothing", null_of(CIM_SINT16));
    return list;
}

CIMClass *everything_class() {
    CIMPropertyList *parameters = newCIMPropertyList();
    add(parameters, "Mode", null_of(CIM_UINT16));
    freeReturnCode(propertyAddQualifier(last(parameters), qualifier("In", boolean(1), 8)));
    add(parameters, "Target", null_of(CIM_REFERENCE, "CIM_System"));
    freeReturnCode(propertyAddQualifier(last(parameters), qualifier("Out", boolean(0), 0)));
    add(parameters, "Flags", null_of(CIM_STRING + CIM_ARRAY));
    freeReturnCode(propertyAddQualifier(last(parameters), qualifier("Values", array_of(CIM_STRING, 2), 16)));
    add(parameters, "Peers", null_of(CIM_REFERENCE + CIM_ARRAY, "CIM_Peer"));
    freeReturnCode(propertyAddQualifier(last(parameters), qualifier("ValueMap", array_of(CIM_STRING, 2), 0)));
    freeReturnCode(propertyAddQualifier(last(parameters), qualifier("Description", text("peers"), 0)));
    CIMQualifierList *methodQualifiers = newCIMQualifierList();
    freeReturnCode(appendToCIMQualifierList(methodQualifiers, qualifier("Static", boolean(1), 1)));
    CIMMethodList *methods = newCIMMethodList();
    freeReturnCode(appendToCIMMethodList(
        methods, newMethod(S("Run"), S("RT_Everything"), 1, methodQualifiers, CIM_UINT32, parameters)));
    freeReturnCode(appendToCIMMethodList(methods, newMethod(S("Stop"), nullptr, 0, nullptr, CIM_BOOLEAN, nullptr)));

    CIMClass *cls = newCIMClass(S("RT_Everything"), S("RT_Base"));
    CIMQualifierList *qualifiers = newCIMQualifierList();
    freeReturnCode(appendToCIMQualifierList(qualifiers, qualifier("Description", text("All <kinds> & more"), 8 | 16)));
    freeReturnCode(appendToCIMQualifierList(qualifiers, qualifier("Abstract", boolean(1), 2 | 4)));
    freeReturnCode(appendToCIMQualifierList(qualifiers, qualifier("Values", array_of(CIM_STRING), 1)));
    setClassQualifiers(cls, qualifiers);
    setClassProperties(cls, every_kind_of_property());
    setClassMethods(cls, methods);
    return cls;
}

CIMObjectPath *namespace_path(const char *nameSpace, const char *className = "Container") {
    CIMObjectPath *path = newObjectPathWithName(S(className));
    setObjectPathNameSpace(path, S(nameSpace));
    return path;
}

// text with every from of changes replaced by its to, one item a line;
// "(no from)" when a from is missing.
std::string changed(std::string text, const std::vector<std::pair<std::string, std::string>> &changes) {
    for (const auto &[from, to] : changes) {
        std::size_t at = text.find(from);
        if (at == std::string::npos) return "(no " + from + ")";
        for (; at != std::string::npos; at = text.find(from, at + to.size())) text.replace(at, from.size(), to);
    }
    for (std::size_t at = 0; (at = text.find(',', at)) != std::string::npos; at += 2) text.insert(at + 1, "\n");
    return text;
}

// By design char16 values are not converted back, and embedded objects
// take the request's namespace.
const std::vector<std::pair<std::string, std::string>> by_design = {
    {"p_char16:char16='B'", "p_char16:char16=(null)"},
    {"['A','B','C']", "[(null),(null),(null)]"},
    {"(null):Emb_", "root/cimv2:Emb_"}};

// Writes method on path with parameters (and declaration) as a whole request
// with the request encoders and decodes it again; the objects stay the
// fixture's until the test ends.
class RoundTrip : public testing::Test {
protected:
    CIMObjectPath *path_ = nullptr;
    CIMPropertyList *parameters_ = newCIMPropertyList();
    CIMQualifierType *declaration_ = nullptr;

    void SetUp() override { markLastError(); }
    void TearDown() override {
        EXPECT_EQ(lastError(), unchanged);
        freeCIMObjectPath(path_);
        freeCIMPropertyList(parameters_);
        freeQualifierType(declaration_);
    }
    Message round_trip(const char *method, int intrinsic) {
        CIMString *name = S(method);
        char *body = cim_simplereq_toxml(name, path_, parameters_, declaration_, intrinsic);
        char *message = body ? join_header_and_message(nullptr, body, "1001") : nullptr;
        Message md = parse(message ? message : "");
        cimxml_free(body, CIMXML_ATOMIC);
        cimxml_free(message, CIMXML_ATOMIC);
        freeCIMString(name);
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

class ObjectRoundTrip : public RoundTrip, public testing::WithParamInterface<const char *> {};

TEST_P(ObjectRoundTrip, ClassesWithEveryKindOfMember) {
    path_ = namespace_path("root/cimv2");
    const std::string name = GetParam() + std::string("Class");
    add(parameters_, name.c_str(), newCIMValue(CIM_CLASS, everything_class()));
    Message md = round_trip("CreateClass", 1);
    auto changes = by_design;
    changes.insert(changes.end(),
                   {// A PROPERTY.REFERENCE decodes as a key.
                    {"Num=4000000000} refclass=CIM_Target", "Num=4000000000} key refclass=CIM_Target"},
                    // A reference parameter gets its class as a value.
                    {"Target:reference=(null)", "Target:reference={(null):CIM_System}"},
                    // A scalar qualifier of a reference-array parameter loses its value.
                    {"Description:string=\"peers\"", "Description:string=(null)"}});
    EXPECT_EQ(changed(classText(static_cast<CIMClass *>(content(md.get(), name))), {}),
              changed(original(classText), changes));
}

TEST_P(ObjectRoundTrip, InstancesWithEveryKindOfProperty) {
    const std::string name = GetParam() + std::string("Instance");
    path_ = namespace_path("root/cimv2");
    CIMInstance *instance = newInstance(S("RT_Instance"), S("root/cimv2"), every_kind_of_property());
    setInstancePath(instance, target_path("RT_Instance", "i1"));
    add(parameters_, name.c_str(), newCIMValue(CIM_OBJECT, instance));
    Message md = round_trip("ModifyInstance", 1);
    auto changes = by_design;
    changes.insert(changes.end(), {{"Num=4000000000} refclass=CIM_Target", "Num=4000000000} key refclass=CIM_Target"},
                                   // An INSTANCE names no namespace.
                                   {"root/cimv2:RT_Instance{", "(null):RT_Instance{"}});
    EXPECT_EQ(changed(instanceText(static_cast<CIMInstance *>(content(md.get(), name))), {}),
              changed(original(instanceText), changes));
    // Only a named instance carries its path, without host and namespace.
    EXPECT_EQ(md->instancePaths ? pathText(getCIMObjectPathAt(md->instancePaths, 0)) : "(none)",
              name == "NewInstance" ? "(none)" : "(null):RT_Instance.Name=\"i1\",Num=4000000000");
}

INSTANTIATE_TEST_SUITE_P(Parameters, ObjectRoundTrip, testing::Values("New", "Modified"),
                         [](const auto &info) { return std::string(info.param); });

// By design a declaration that names neither OVERRIDABLE nor TOSUBCLASS
// has both (flavor 0 comes back as 9), "Values" is written as an array
// whatever its type, and the any-scope 507 comes back as the scopes it has.
TEST_F(RoundTrip, QualifierDeclarations) {
    const struct {
        CIMQualifierType *declaration;
        const char *decoded;
    } cases[] = {
        {newQualifierType(S("RT_Units"), 1 | 8 | 16, text("m"), CIM_STRING, 0, 1 | 8),
         "RT_Units:string=\"m\" scope=9 flavor=25"},
        {newQualifierType(S("RT_Map"), 2 | 4, array_of(CIM_UINT32), CIM_UINT32 + CIM_ARRAY, 0, 32 | 64),
         "RT_Map:uint32[]=[4000000000,4000000001,4000000002] scope=96 flavor=6"},
        {newQualifierType(S("RT_None"), 0, nullptr, CIM_BOOLEAN, 0, 4), "RT_None:boolean=(null) scope=4 flavor=9"},
        {newQualifierType(S("Values"), 9, text("v"), CIM_STRING, 0, 507), "Values:string[]=(null) scope=123 flavor=9"},
    };
    path_ = namespace_path("root");
    add(parameters_, "QualifierDeclaration", null_of(CIM_STRING));
    for (const auto &c : cases) {
        freeQualifierType(declaration_);
        declaration_ = c.declaration;
        Message md = round_trip("SetQualifier", 1);
        EXPECT_EQ(md ? declarationText(md->qualifierType) : "(not decoded)", c.decoded);
    }
}

TEST_F(RoundTrip, IntrinsicParametersByName) {
    path_ = namespace_path("root/cimv2");
    add(parameters_, "InstanceName", newCIMValue(CIM_REFERENCE, target_path("CIM_A", "a")));
    add(parameters_, "ObjectName", newCIMValue(CIM_REFERENCE, target_path("CIM_B", "b")));
    add(parameters_, "AssocClass", newCIMValue(CIM_REFERENCE, namespace_path("root/cimv2", "CIM_C")));
    add(parameters_, "ResultClass", text("CIM_D"));
    add(parameters_, "PropertyList", array_of(CIM_STRING, 2));
    add(parameters_, "DeepInheritance", boolean(1));
    add(parameters_, "LocalOnly", boolean(0));
    add(parameters_, "Role", text("Antecedent"));
    Message md = round_trip("References", 1);
    // An INSTANCENAME names no namespace; a class path comes as LOCALCLASSPATH.
    EXPECT_EQ(decoded(md.get()), "1 1001 References intrinsic root/cimv2:Container\n"
                                 "InstanceName:reference={(null):CIM_A.Name=\"a\",Num=4000000000} refclass=CIM_A\n"
                                 "ObjectName:reference={(null):CIM_B.Name=\"b\",Num=4000000000} refclass=CIM_B\n"
                                 "AssocClass:reference={root/cimv2:CIM_C} refclass=CIM_C\n"
                                 "ResultClass:string=\"CIM_D\"\n"
                                 "PropertyList:string[]=[\"text <&> \"q\" 'a' 0\",\"text <&> \"q\" 'a' 1\"]\n"
                                 "DeepInheritance:boolean=true\n"
                                 "LocalOnly:boolean=false\n"
                                 "Role:string=\"Antecedent\"\n");
    // By design a CLASSNAME directly in an intrinsic parameter is a string.
    freeCIMPropertyList(parameters_);
    parameters_ = newCIMPropertyList();
    add(parameters_, "ObjectName", newCIMValue(CIM_REFERENCE, namespace_path("root/cimv2", "CIM_C")));
    EXPECT_EQ(decoded(round_trip("ReferenceNames", 1).get()),
              "1 1001 ReferenceNames intrinsic root/cimv2:Container\nObjectName:string=\"CIM_C\"\n");
}

TEST_F(RoundTrip, ExtrinsicParametersOfEveryKind) {
    path_ = target_path("RT_Service", "svc");
    for (int type = CIM_UINT8; type <= CIM_CHAR16; ++type)
        add(parameters_, (std::string("p_") + typeNameText(type)).c_str(), scalar(type, 1));
    for (int type = CIM_UINT8; type <= CIM_CHAR16; ++type)
        add(parameters_, (std::string("a_") + typeNameText(type)).c_str(), array_of(type));
    add(parameters_, "ref", newCIMValue(CIM_REFERENCE, target_path("CIM_R", "r")));
    CIMValueList *references = newCIMValueList();
    freeReturnCode(appendToCIMValueList(references, newCIMValue(CIM_REFERENCE, target_path("CIM_R", "r1"))));
    freeReturnCode(appendToCIMValueList(references, newCIMValue(CIM_REFERENCE, target_path("CIM_R", "r2"))));
    add(parameters_, "refs", newCIMValue(CIM_REFERENCE + CIM_ARRAY, references));
    add(parameters_, "instance", newCIMValue(CIM_OBJECT, small_instance("Emb_P")));
    add(parameters_, "none", null_of(CIM_UINT32));
    Message md = round_trip("Reconfigure", 0);
    ASSERT_TRUE(md);
    EXPECT_EQ(decoded(md.get()).substr(0, decoded(md.get()).find('\n')),
              "1 1001 Reconfigure extrinsic root/cimv2:RT_Service.Name=\"svc\",Num=4000000000");
    EXPECT_EQ(changed(listText(getMethodParameters(md->method)), {}),
              changed(listText(parameters_), by_design));
}

}  // namespace
