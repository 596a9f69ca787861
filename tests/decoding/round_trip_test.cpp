// Round trips: objects written by the request encoders and decoded again
// must come back as they were, apart from the differences the decoder has
// by design, which each test names.
#include <gtest/gtest.h>

#include <gc/gc.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cimxml_common/cim_types.h"
#include "cimxml_common/http_headers.h"
#include "cimxml_common/memory.h"
#include "cimxml_schema/request_body.h"
#include "decoding/decoding_support.h"

using namespace decoding;

namespace {

CIMString *S(const char *text) { return createCIMStringFromChar(text); }

// ---- sample objects ----

CIMValue *scalar(int type, int variant) {
    switch (type) {
        case CIM_UINT8: { uint8_t v = 200 + variant; return newCIMValue(type, &v); }
        case CIM_SINT8: { int8_t v = -100 - variant; return newCIMValue(type, &v); }
        case CIM_UINT16: { uint16_t v = 60000 + variant; return newCIMValue(type, &v); }
        case CIM_SINT16: { int16_t v = -30000 + variant; return newCIMValue(type, &v); }
        case CIM_UINT32: { uint32_t v = 4000000000u + variant; return newCIMValue(type, &v); }
        case CIM_SINT32: { int32_t v = -2000000000 + variant; return newCIMValue(type, &v); }
        case CIM_UINT64: { uint64_t v = 18000000000000000000ull + variant; return newCIMValue(type, &v); }
        case CIM_SINT64: { int64_t v = -9000000000000000000ll + variant; return newCIMValue(type, &v); }
        case CIM_STRING: {
            std::string text = "text <&> \"q\" 'a' " + std::to_string(variant);
            return newCIMValue(type, S(text.c_str()));
        }
        case CIM_BOOLEAN: { int v = variant % 2; return newCIMValue(type, &v); }
        case CIM_REAL32: { float v = 1.5f + variant; return newCIMValue(type, &v); }
        case CIM_REAL64: { double v = -2.25e300 + variant; return newCIMValue(type, &v); }
        case CIM_DATETIME: {
            std::wstring text = L"2024010203040" + std::to_wstring(variant) + L".123456+060";
            return newCIMValue(type, const_cast<wchar_t *>(text.c_str()));
        }
        case CIM_CHAR16: { uint16_t v = 'A' + variant; return newCIMValue(type, &v); }
    }
    return nullptr;
}

CIMValue *array_of(int type) {
    CIMValueList *list = newCIMValueList();
    for (int i = 0; i < 3; ++i) freeReturnCode(appendToCIMValueList(list, scalar(type, i)));
    return newCIMValue(type + CIM_ARRAY, list);
}

CIMObjectPath *target_path(const char *className, const char *keyValue) {
    CIMObjectPath *path = newObjectPathWithName(S(className));
    setObjectPathNameSpace(path, S("root/cimv2"));
    setObjectPathHost(path, S("host.example"));
    freeReturnCode(objectPathAddKey(path, newPropertyKey(S("Name"), nullptr, newCIMValue(CIM_STRING, S(keyValue)))));
    uint32_t number = 42;
    freeReturnCode(objectPathAddKey(path, newPropertyKey(S("Num"), nullptr, newCIMValue(CIM_UINT32, &number))));
    return path;
}

CIMInstance *small_instance(const char *className) {
    CIMInstance *instance = newInstance(S(className), nullptr, nullptr);
    freeReturnCode(instanceAddProperty(
        instance, newProperty(S("Inner"), nullptr, newCIMValue(CIM_STRING, S("x & y")), CIM_STRING, nullptr, 0)));
    return instance;
}

CIMClass *small_class(const char *className) {
    CIMClass *cls = newCIMClass(S(className), nullptr);
    CIMPropertyList *properties = newCIMPropertyList();
    freeReturnCode(appendToCIMPropertyList(
        properties, newProperty(S("Size"), nullptr, scalar(CIM_UINT64, 0), CIM_UINT64, nullptr, 0)));
    setClassProperties(cls, properties);
    return cls;
}

CIMQualifier *qualifier(const char *name, CIMValue *value, int flavor, int propagated = 0) {
    return newQualifier(S(name), flavor, value, getCIMValueType(value), propagated);
}

CIMValue *string_array(std::initializer_list<const char *> texts) {
    CIMValueList *list = newCIMValueList();
    for (const char *t : texts) freeReturnCode(appendToCIMValueList(list, newCIMValue(CIM_STRING, S(t))));
    return newCIMValue(CIM_STRING + CIM_ARRAY, list);
}

CIMValue *boolean(int b) { return newCIMValue(CIM_BOOLEAN, &b); }

// Properties of every scalar and array type, a reference, embedded objects,
// a null value; two of them carry qualifiers.
CIMPropertyList *every_kind_of_property() {
    CIMPropertyList *properties = newCIMPropertyList();
    for (int type = CIM_UINT8; type <= CIM_CHAR16; ++type) {
        std::string name = std::string("p_") + typeNameText(type);
        CIMProperty *p = newProperty(S(name.c_str()), nullptr, scalar(type, 1), type, nullptr, 0);
        freeReturnCode(appendToCIMPropertyList(properties, p));
    }
    for (int type = CIM_UINT8; type <= CIM_CHAR16; ++type) {
        std::string name = std::string("a_") + typeNameText(type);
        CIMProperty *p = newProperty(S(name.c_str()), nullptr, array_of(type), type + CIM_ARRAY, nullptr, 0);
        freeReturnCode(appendToCIMPropertyList(properties, p));
    }
    CIMProperty *origin = newProperty(S("inherited"), S("RT_Base"), scalar(CIM_UINT32, 0), CIM_UINT32, nullptr, 1);
    freeReturnCode(propertyAddQualifier(origin, qualifier("Units", newCIMValue(CIM_STRING, S("bytes")), 8 | 16)));
    freeReturnCode(propertyAddQualifier(origin, qualifier("Key", boolean(1), 2 | 8, 1)));
    freeReturnCode(appendToCIMPropertyList(properties, origin));
    freeReturnCode(appendToCIMPropertyList(
        properties, newProperty(S("ref"), nullptr, newCIMValue(CIM_REFERENCE, target_path("CIM_Target", "t1")),
                                CIM_REFERENCE, nullptr, 0)));
    freeReturnCode(appendToCIMPropertyList(
        properties, newProperty(S("embeddedInstance"), nullptr, newCIMValue(CIM_OBJECT, small_instance("Emb_I")),
                                CIM_OBJECT, nullptr, 0)));
    freeReturnCode(appendToCIMPropertyList(
        properties, newProperty(S("embeddedClass"), nullptr, newCIMValue(CIM_CLASS, small_class("Emb_C")),
                                CIM_CLASS, nullptr, 0)));
    CIMValueList *objects = newCIMValueList();
    freeReturnCode(appendToCIMValueList(objects, newCIMValue(CIM_OBJECT, small_instance("Emb_A"))));
    freeReturnCode(appendToCIMValueList(objects, newCIMValue(CIM_OBJECT, small_instance("Emb_B"))));
    freeReturnCode(appendToCIMPropertyList(
        properties, newProperty(S("embeddedArray"), nullptr, newCIMValue(CIM_OBJECT + CIM_ARRAY, objects),
                                CIM_OBJECT + CIM_ARRAY, nullptr, 0)));
    freeReturnCode(appendToCIMPropertyList(
        properties, newProperty(S("nothing"), nullptr, newCIMValueNULL(CIM_SINT16), CIM_SINT16, nullptr, 0)));
    return properties;
}

CIMMethod *method_with_all_parameter_kinds() {
    CIMPropertyList *parameters = newCIMPropertyList();
    CIMProperty *mode = newProperty(S("Mode"), nullptr, newCIMValueNULL(CIM_UINT16), CIM_UINT16, nullptr, 0);
    freeReturnCode(propertyAddQualifier(mode, qualifier("In", boolean(1), 8)));
    freeReturnCode(appendToCIMPropertyList(parameters, mode));

    CIMValue *targetValue = newCIMValueNULL(CIM_REFERENCE);
    setCIMValueReferenceType(targetValue, S("CIM_System"));
    CIMProperty *target = newProperty(S("Target"), nullptr, targetValue, CIM_REFERENCE, nullptr, 0);
    freeReturnCode(propertyAddQualifier(target, qualifier("Out", boolean(0), 0)));
    freeReturnCode(appendToCIMPropertyList(parameters, target));

    CIMProperty *flags =
        newProperty(S("Flags"), nullptr, newCIMValueNULL(CIM_STRING + CIM_ARRAY), CIM_STRING + CIM_ARRAY, nullptr, 0);
    freeReturnCode(propertyAddQualifier(flags, qualifier("Values", string_array({"a", "b"}), 16)));
    freeReturnCode(appendToCIMPropertyList(parameters, flags));

    CIMValue *peersValue = newCIMValueNULL(CIM_REFERENCE + CIM_ARRAY);
    setCIMValueReferenceType(peersValue, S("CIM_Peer"));
    CIMProperty *peers = newProperty(S("Peers"), nullptr, peersValue, CIM_REFERENCE + CIM_ARRAY, nullptr, 0);
    freeReturnCode(propertyAddQualifier(peers, qualifier("ValueMap", string_array({"1", "2"}), 0)));
    freeReturnCode(propertyAddQualifier(peers, qualifier("Description", newCIMValue(CIM_STRING, S("peers")), 0)));
    freeReturnCode(appendToCIMPropertyList(parameters, peers));

    CIMQualifierList *qualifiers = newCIMQualifierList();
    freeReturnCode(appendToCIMQualifierList(qualifiers, qualifier("Static", boolean(1), 1)));
    return newMethod(S("Run"), S("RT_Everything"), 1, qualifiers, CIM_UINT32, parameters);
}

CIMClass *everything_class() {
    CIMClass *cls = newCIMClass(S("RT_Everything"), S("RT_Base"));
    CIMQualifierList *qualifiers = newCIMQualifierList();
    freeReturnCode(appendToCIMQualifierList(
        qualifiers, qualifier("Description", newCIMValue(CIM_STRING, S("All <kinds> & more")), 8 | 16)));
    freeReturnCode(appendToCIMQualifierList(qualifiers, qualifier("Abstract", boolean(1), 2 | 4)));
    freeReturnCode(appendToCIMQualifierList(qualifiers, qualifier("Values", string_array({"x", "y", "z"}), 1)));
    setClassQualifiers(cls, qualifiers);
    setClassProperties(cls, every_kind_of_property());
    CIMMethodList *methods = newCIMMethodList();
    freeReturnCode(appendToCIMMethodList(methods, method_with_all_parameter_kinds()));
    freeReturnCode(appendToCIMMethodList(methods, newMethod(S("Stop"), nullptr, 0, nullptr, CIM_BOOLEAN, nullptr)));
    setClassMethods(cls, methods);
    return cls;
}

// ---- comparison ----

std::string describe(const CIMValue *value) {
    if (!value) return "(none)";
    std::string text = std::to_string(getCIMValueType(value)) + ":";
    if (isCIMValueNull(value)) return text + "(null)";
    if (isArrayType(getCIMValueType(value))) {
        text += "[";
        for (CIMValue *element : elements(value)) text += describe(element) + ",";
        return text + "]";
    }
    return text + value_text(value);
}

using Diffs = std::vector<std::string>;

void diff_qualifiers(const std::string &where, const CIMQualifierList *a, const CIMQualifierList *b, Diffs &d) {
    int na = getCIMQualifierListLength(a), nb = getCIMQualifierListLength(b);
    if (na != nb) d.push_back(where + ": " + std::to_string(na) + " vs " + std::to_string(nb) + " qualifiers");
    for (int i = 0; i < std::min(na, nb); ++i) {
        CIMQualifier *x = getCIMQualifierAt(a, i), *y = getCIMQualifierAt(b, i);
        std::string at = where + "/" + narrow(getQualifierName(x));
        if (narrow(getQualifierName(x)) != narrow(getQualifierName(y))) d.push_back(at + ": name");
        if (getQualifierValueType(x) != getQualifierValueType(y)) d.push_back(at + ": type");
        if (getQualifierFlavors(x) != getQualifierFlavors(y))
            d.push_back(at + ": flavor " + std::to_string(getQualifierFlavors(x)) + " vs " +
                        std::to_string(getQualifierFlavors(y)));
        if (isQualifierPropagated(x) != isQualifierPropagated(y)) d.push_back(at + ": propagated");
        if (!isEqualCIMValue(getQualifierValue(x), getQualifierValue(y)))
            d.push_back(at + ": value " + describe(getQualifierValue(x)) + " vs " + describe(getQualifierValue(y)));
    }
}

void diff_properties(const std::string &where, const CIMPropertyList *a, const CIMPropertyList *b, Diffs &d,
                     bool compareValues) {
    int na = getCIMPropertyListLength(a), nb = getCIMPropertyListLength(b);
    if (na != nb) d.push_back(where + ": " + std::to_string(na) + " vs " + std::to_string(nb) + " properties");
    for (int i = 0; i < std::min(na, nb); ++i) {
        CIMProperty *x = getCIMPropertyAt(a, i), *y = getCIMPropertyAt(b, i);
        std::string at = where + narrow(propertyGetName(x));
        if (narrow(propertyGetName(x)) != narrow(propertyGetName(y))) d.push_back(at + ": name");
        if (propertyGetType(x) != propertyGetType(y))
            d.push_back(at + ": type " + std::to_string(propertyGetType(x)) + " vs " +
                        std::to_string(propertyGetType(y)));
        if (narrow_or_null(propertyGetClassOrigin(x)) != narrow_or_null(propertyGetClassOrigin(y)))
            d.push_back(at + ": class origin");
        if (isPropertyPropagated(x) != isPropertyPropagated(y)) d.push_back(at + ": propagated");
        if (propertyIsKey(x) != propertyIsKey(y))
            d.push_back(at + ": key " + std::to_string(propertyIsKey(x)) + " vs " + std::to_string(propertyIsKey(y)));
        if (propertyIsRefType(x) &&
            narrow_or_null(propertyGetReferenceClass(x)) != narrow_or_null(propertyGetReferenceClass(y)))
            d.push_back(at + ": reference class");
        if (compareValues && !isEqualCIMValue(propertyGetValue(x), propertyGetValue(y)))
            d.push_back(at + ": value " + describe(propertyGetValue(x)) + " vs " + describe(propertyGetValue(y)));
        diff_qualifiers(at, propertyGetQualifiers(x), propertyGetQualifiers(y), d);
    }
}

Diffs diff_class(const CIMClass *a, const CIMClass *b) {
    Diffs d;
    if (!a || !b) return {"missing class"};
    if (narrow(getClassName(a)) != narrow(getClassName(b))) d.push_back("class name");
    if (narrow_or_null(getClassSuperName(a)) != narrow_or_null(getClassSuperName(b))) d.push_back("superclass");
    diff_qualifiers("class", getClassQualifiers(a), getClassQualifiers(b), d);
    diff_properties("", getClassProperties(a), getClassProperties(b), d, true);
    CIMMethodList *ma = getClassMethods(a), *mb = getClassMethods(b);
    if (getCIMMethodListLength(ma) != getCIMMethodListLength(mb)) d.push_back("method count");
    for (int i = 0; i < std::min(getCIMMethodListLength(ma), getCIMMethodListLength(mb)); ++i) {
        CIMMethod *x = getCIMMethodAt(ma, i), *y = getCIMMethodAt(mb, i);
        std::string at = narrow(getMethodName(x));
        if (at != narrow(getMethodName(y))) d.push_back(at + ": name");
        if (getMethodReturnType(x) != getMethodReturnType(y)) d.push_back(at + ": return type");
        if (narrow_or_null(getMethodClassOrigin(x)) != narrow_or_null(getMethodClassOrigin(y)))
            d.push_back(at + ": class origin");
        if (isMethodPropagated(x) != isMethodPropagated(y)) d.push_back(at + ": propagated");
        diff_qualifiers(at, getMethodQualifiers(x), getMethodQualifiers(y), d);
        // Parameter declarations carry no values of their own.
        diff_properties(at + "/", getMethodParameters(x), getMethodParameters(y), d, false);
    }
    return d;
}

Diffs diff_instance(const CIMInstance *a, const CIMInstance *b) {
    if (!a || !b) return {"missing instance"};
    Diffs d;
    if (narrow(getInstanceName(a)) != narrow(getInstanceName(b))) d.push_back("class name");
    diff_properties("", getInstanceProperties(a), getInstanceProperties(b), d, true);
    return d;
}

// ---- writing ----

std::string write_request(const char *method, const CIMObjectPath *path, const CIMPropertyList *parameters,
                          const CIMQualifierType *declaration, int intrinsic) {
    CIMString *name = S(method);
    char *body = cim_simplereq_toxml(name, path, parameters, declaration, intrinsic);
    freeCIMString(name);
    char *message = body ? join_header_and_message(nullptr, body, "1001") : nullptr;
    std::string text = message ? message : "";
    cimxml_free(body, CIMXML_ATOMIC);
    cimxml_free(message, CIMXML_ATOMIC);
    return text;
}

CIMObjectPath *namespace_path(const char *nameSpace) {
    CIMObjectPath *path = newObjectPathWithName(S("Container"));
    setObjectPathNameSpace(path, S(nameSpace));
    return path;
}

CIMPropertyList *single_parameter(const char *name, CIMValue *value) {
    CIMPropertyList *list = newCIMPropertyList();
    freeReturnCode(
        appendToCIMPropertyList(list, newProperty(S(name), nullptr, value, getCIMValueType(value), nullptr, 0)));
    return list;
}

struct Owned {
    CIMPropertyList *parameters = nullptr;
    CIMObjectPath *path = nullptr;
    CIMQualifierType *declaration = nullptr;
    ~Owned() {
        freeCIMPropertyList(parameters);
        freeCIMObjectPath(path);
        freeQualifierType(declaration);
    }
};

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override { mark_last_error(); }
};

TEST_F(RoundTrip, ClassWithEveryKindOfMemberAsNewAndModifiedClass) {
    for (const char *name : {"NewClass", "ModifiedClass"}) {
        SCOPED_TRACE(name);
        Owned o;
        o.path = namespace_path("root/cimv2");
        o.parameters = single_parameter(name, newCIMValue(CIM_CLASS, everything_class()));
        std::string document = write_request("CreateClass", o.path, o.parameters, nullptr, 1);
        ASSERT_FALSE(document.empty());
        Message md = parse(document);
        ASSERT_TRUE(md);
        EXPECT_EQ(method_name(md.get()), "CreateClass");
        CIMProperty *decoded = parameter(md.get(), name);
        ASSERT_NE(decoded, nullptr);
        ASSERT_EQ(propertyGetType(decoded), CIM_CLASS);
        auto *original = static_cast<CIMClass *>(content(propertyGetValue(getCIMPropertyAt(o.parameters, 0))));
        Diffs diffs = diff_class(original, static_cast<CIMClass *>(content(propertyGetValue(decoded))));
        // Differences by design:
        // - char16 text is not converted back, so char16 values decode as null;
        // - a PROPERTY.REFERENCE is decoded as a key property;
        // - the value of a scalar qualifier of a reference-array parameter is
        //   not stored (only array values reach such a qualifier).
        const Diffs expected = {
            "p_char16: value 13:B vs 13:(null)",
            "a_char16: value 113:[13:A,13:B,13:C,] vs 113:[13:(null),13:(null),13:(null),]",
            "ref: key 0 vs 1",
            "Run/Peers/Description: value 8:peers vs (none)",
        };
        EXPECT_EQ(diffs, expected);
        EXPECT_EQ(last_error(), "unchanged");
    }
}

TEST_F(RoundTrip, InstanceWithEveryKindOfPropertyAsNewAndModifiedInstance) {
    for (const char *name : {"NewInstance", "ModifiedInstance"}) {
        SCOPED_TRACE(name);
        Owned o;
        o.path = namespace_path("root/cimv2");
        CIMInstance *instance = newInstance(S("RT_Instance"), nullptr, every_kind_of_property());
        setInstancePath(instance, target_path("RT_Instance", "i1"));
        o.parameters = single_parameter(name, newCIMValue(CIM_OBJECT, instance));
        Message md = parse(write_request("ModifyInstance", o.path, o.parameters, nullptr, 1));
        ASSERT_TRUE(md);
        CIMProperty *decoded = parameter(md.get(), name);
        ASSERT_NE(decoded, nullptr);
        ASSERT_EQ(propertyGetType(decoded), CIM_OBJECT);
        auto *back = static_cast<CIMInstance *>(content(propertyGetValue(decoded)));
        const Diffs expected = {
            "p_char16: value 13:B vs 13:(null)",
            "a_char16: value 113:[13:A,13:B,13:C,] vs 113:[13:(null),13:(null),13:(null),]",
            "ref: key 0 vs 1",
        };
        EXPECT_EQ(diff_instance(instance, back), expected);
        // The embedded instance takes the request's namespace.
        CIMProperty *embedded = findCIMProperty(getInstanceProperties(back), L"embeddedInstance");
        EXPECT_EQ(narrow(getInstanceNameSpace(static_cast<CIMInstance *>(content(propertyGetValue(embedded))))),
                  "root/cimv2");
        if (std::string(name) == "ModifiedInstance") {
            ASSERT_NE(md->instancePaths, nullptr);
            CIMObjectPath *path = getCIMObjectPathAt(md->instancePaths, 0);
            EXPECT_TRUE(isEqualObjectPath(path, getInstancePath(instance)));
            EXPECT_EQ(keys(path), (std::vector<std::string>{"Name=i1", "Num=42"}));
        } else {
            EXPECT_EQ(md->instancePaths, nullptr);
        }
        EXPECT_EQ(last_error(), "unchanged");
    }
}

TEST_F(RoundTrip, QualifierDeclarations) {
    struct Case {
        const char *name;
        CIMValue *value;
        int type;
        int flavor;
        int scope;
        int decodedType;
        int decodedFlavor;
        int decodedScope;
    };
    Case cases[] = {
        {"RT_Units", newCIMValue(CIM_STRING, S("m")), CIM_STRING, 1 | 8 | 16, 1 | 8, CIM_STRING, 1 | 8 | 16, 1 | 8},
        {"RT_Map", array_of(CIM_UINT32), CIM_UINT32 + CIM_ARRAY, 2 | 4, 32 | 64, CIM_UINT32 + CIM_ARRAY, 2 | 4,
         32 | 64},
        // By design: a declaration that names neither OVERRIDABLE nor
        // TOSUBCLASS has both, so flavor 0 comes back as 9; "Values" is
        // written as an array whatever its type; and the any-scope 507 comes
        // back as the seven scope bits it has set.
        {"RT_None", nullptr, CIM_BOOLEAN, 0, 4, CIM_BOOLEAN, 9, 4},
        {"Values", newCIMValue(CIM_STRING, S("v")), CIM_STRING, 9, 507, CIM_STRING + CIM_ARRAY, 9, 123},
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        Owned o;
        o.path = namespace_path("root");
        o.declaration = newQualifierType(S(c.name), c.flavor, c.value, c.type, 0, c.scope);
        o.parameters = single_parameter("QualifierDeclaration", newCIMValueNULL(CIM_STRING));
        Message md = parse(write_request("SetQualifier", o.path, o.parameters, o.declaration, 1));
        ASSERT_TRUE(md);
        ASSERT_NE(md->qualifierType, nullptr);
        EXPECT_EQ(narrow(getQualifierTypeName(md->qualifierType)), c.name);
        EXPECT_EQ(getQualifierTypeValueType(md->qualifierType), c.decodedType);
        EXPECT_EQ(getQualifierTypeFlavors(md->qualifierType), c.decodedFlavor);
        EXPECT_EQ(getQualifierTypeScope(md->qualifierType), c.decodedScope);
        if (c.decodedType == c.type) {
            EXPECT_TRUE(isEqualCIMValue(getQualifierTypeValue(md->qualifierType), c.value))
                << describe(getQualifierTypeValue(md->qualifierType));
        }
        EXPECT_EQ(last_error(), "unchanged");
    }
}

TEST_F(RoundTrip, IntrinsicParametersByName) {
    Owned o;
    o.path = namespace_path("root/cimv2");
    o.parameters = newCIMPropertyList();
    auto add = [&](const char *name, CIMValue *value) {
        freeReturnCode(appendToCIMPropertyList(
            o.parameters, newProperty(S(name), nullptr, value, getCIMValueType(value), nullptr, 0)));
    };
    add("InstanceName", newCIMValue(CIM_REFERENCE, target_path("CIM_A", "a")));
    add("ObjectName", newCIMValue(CIM_REFERENCE, target_path("CIM_B", "b")));
    CIMObjectPath *classOnly = newObjectPathWithName(S("CIM_C"));
    setObjectPathNameSpace(classOnly, S("root/cimv2"));
    add("AssocClass", newCIMValue(CIM_REFERENCE, classOnly));
    add("ResultClass", newCIMValue(CIM_STRING, S("CIM_D")));
    add("PropertyList", string_array({"Name", "Num"}));
    add("DeepInheritance", boolean(1));
    add("LocalOnly", boolean(0));
    add("Role", newCIMValue(CIM_STRING, S("Antecedent")));
    Message md = parse(write_request("References", o.path, o.parameters, nullptr, 1));
    ASSERT_TRUE(md);
    EXPECT_EQ(narrow(getObjectPathNameSpace(md->objectPath)), "root/cimv2");
    ASSERT_EQ(parameters(md.get()).size(), 8u);

    auto *instanceName = static_cast<CIMObjectPath *>(content(propertyGetValue(parameter(md.get(), "InstanceName"))));
    EXPECT_EQ(narrow(getObjectPathName(instanceName)), "CIM_A");
    EXPECT_EQ(keys(instanceName), (std::vector<std::string>{"Name=a", "Num=42"}));
    // An OBJECTPATH gives its class and keys; its host and namespace are not read.
    CIMProperty *objectName = parameter(md.get(), "ObjectName");
    ASSERT_EQ(propertyGetType(objectName), CIM_REFERENCE);
    auto *objectPath = static_cast<CIMObjectPath *>(content(propertyGetValue(objectName)));
    EXPECT_TRUE(isEqualObjectPath(objectPath, static_cast<CIMObjectPath *>(
                                                  content(propertyGetValue(getCIMPropertyAt(o.parameters, 1))))));
    EXPECT_EQ(getObjectPathNameSpace(objectPath), nullptr);
    // A class reference is written as VALUE.REFERENCE holding LOCALCLASSPATH.
    CIMProperty *assocClass = parameter(md.get(), "AssocClass");
    EXPECT_EQ(propertyGetType(assocClass), CIM_REFERENCE);
    EXPECT_EQ(narrow(getObjectPathName(static_cast<CIMObjectPath *>(content(propertyGetValue(assocClass))))), "CIM_C");
    EXPECT_EQ(string_value(propertyGetValue(parameter(md.get(), "ResultClass"))), "CIM_D");
    EXPECT_TRUE(isEqualCIMValue(propertyGetValue(parameter(md.get(), "PropertyList")),
                                propertyGetValue(getCIMPropertyAt(o.parameters, 4))));
    EXPECT_EQ(bool_value(propertyGetValue(parameter(md.get(), "DeepInheritance"))), 1);
    EXPECT_EQ(bool_value(propertyGetValue(parameter(md.get(), "LocalOnly"))), 0);
    EXPECT_EQ(string_value(propertyGetValue(parameter(md.get(), "Role"))), "Antecedent");
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(RoundTrip, ObjectNameOfAClassComesBackAsItsClassName) {
    Owned o;
    o.path = namespace_path("root");
    CIMObjectPath *classOnly = newObjectPathWithName(S("CIM_C"));
    setObjectPathNameSpace(classOnly, S("root"));
    o.parameters = single_parameter("ObjectName", newCIMValue(CIM_REFERENCE, classOnly));
    Message md = parse(write_request("ReferenceNames", o.path, o.parameters, nullptr, 1));
    ASSERT_TRUE(md);
    // By design a CLASSNAME directly in an intrinsic parameter is a string.
    CIMProperty *objectName = parameter(md.get(), "ObjectName");
    EXPECT_EQ(propertyGetType(objectName), CIM_STRING);
    EXPECT_EQ(string_value(propertyGetValue(objectName)), "CIM_C");
}

TEST_F(RoundTrip, ExtrinsicParametersOfEveryKind) {
    Owned o;
    o.path = target_path("RT_Service", "svc");
    o.parameters = newCIMPropertyList();
    auto add = [&](const std::string &name, CIMValue *value) {
        freeReturnCode(appendToCIMPropertyList(
            o.parameters, newProperty(S(name.c_str()), nullptr, value, getCIMValueType(value), nullptr, 0)));
    };
    for (int type = CIM_UINT8; type <= CIM_CHAR16; ++type) add(std::string("s_") + typeNameText(type), scalar(type, 2));
    for (int type = CIM_UINT8; type <= CIM_CHAR16; ++type) add(std::string("a_") + typeNameText(type), array_of(type));
    add("ref", newCIMValue(CIM_REFERENCE, target_path("CIM_R", "r")));
    CIMValueList *references = newCIMValueList();
    freeReturnCode(appendToCIMValueList(references, newCIMValue(CIM_REFERENCE, target_path("CIM_R", "r1"))));
    freeReturnCode(appendToCIMValueList(references, newCIMValue(CIM_REFERENCE, target_path("CIM_R", "r2"))));
    add("refs", newCIMValue(CIM_REFERENCE + CIM_ARRAY, references));
    add("instance", newCIMValue(CIM_OBJECT, small_instance("Emb_P")));
    add("class", newCIMValue(CIM_CLASS, small_class("Emb_Q")));
    add("none", newCIMValueNULL(CIM_UINT32));

    Message md = parse(write_request("Reconfigure", o.path, o.parameters, nullptr, 0));
    ASSERT_TRUE(md);
    EXPECT_EQ(md->isMethodCall, 1);
    EXPECT_EQ(method_name(md.get()), "Reconfigure");
    EXPECT_EQ(narrow(getObjectPathName(md->objectPath)), "RT_Service");
    EXPECT_EQ(narrow(getObjectPathNameSpace(md->objectPath)), "root/cimv2");
    EXPECT_EQ(keys(md->objectPath), (std::vector<std::string>{"Name=svc", "Num=42"}));

    Diffs diffs;
    diff_properties("", o.parameters, getMethodParameters(md->method), diffs, true);
    // By design char16 values are not converted back.
    const Diffs expected = {
        "s_char16: value 13:C vs 13:(null)",
        "a_char16: value 113:[13:A,13:B,13:C,] vs 113:[13:(null),13:(null),13:(null),]",
    };
    EXPECT_EQ(diffs, expected);
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(RoundTrip, ExportIndication) {
    CIMPropertyList *parameters = single_parameter("NewIndication", newCIMValue(CIM_OBJECT, small_instance("CIM_Alert")));
    CIMString *name = S("ExportIndication");
    char *body = cim_simpleexpreq_toxml(name, parameters);
    ASSERT_NE(body, nullptr);
    char *message = join_header_and_message(nullptr, body, "77");
    Message md = parse(message);
    cimxml_free(body, CIMXML_ATOMIC);
    cimxml_free(message, CIMXML_ATOMIC);
    freeCIMString(name);
    ASSERT_TRUE(md);
    EXPECT_STREQ(md->messageId, "77");
    EXPECT_EQ(method_name(md.get()), "ExportIndication");
    CIMProperty *indication = parameter(md.get(), "NewIndication");
    ASSERT_NE(indication, nullptr);
    EXPECT_TRUE(isEqualCIMValue(propertyGetValue(indication), propertyGetValue(getCIMPropertyAt(parameters, 0))));
    freeCIMPropertyList(parameters);
}

}  // namespace
