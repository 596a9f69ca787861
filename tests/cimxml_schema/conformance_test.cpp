// Complete messages of every kind the module writes: each is well formed, each
// intrinsic response holds the entries its method calls for, and each
// validates against the DMTF DTD (the variant that declares TYPE on
// PROPERTY.REFERENCE) when the shared conformance data is present.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "cimxml/response_writer.h"
#include "cimxml_common/http_headers.h"
#include "support/cim_fixtures.h"
#include "support/mini_dom.h"
#include "cimxml_schema/request_body.h"
#include "cimxml_schema/response_body.h"
#include "support/log_capture.h"
#include "support/xml_checks.h"

using namespace fixtures;

namespace {

// An instance of CIM_Sample with one property of each kind, carrying its own path.
CIMInstance *sample_instance(uint32_t id) {
    CIMObjectPath *ownPath = path(L"CIM_Sample", L"root/cimv2");
    add_key(ownPath, L"Id", uint32_value(id));
    add_key(ownPath, L"Tag", string_value(L"a&b"));
    CIMProperty *key = property(L"Id", uint32_value(id));
    add_qualifier(key, boolean_qualifier(L"Key", 1, 2 | 8));
    CIMObjectPath *target = path(L"CIM_Other", L"root/cimv2");
    add_key(target, L"Name", string_value(L"x"));
    return instance(
        L"CIM_Sample",
        {key, property(L"Caption", string_value(L"<\"quoted\" & 'single'>")), property(L"Enabled", boolean_value(1)),
         property(L"When", newCIMValue(CIM_DATETIME, const_cast<wchar_t *>(L"20240101000000.000000+000"))),
         property(L"Names", array_value(108, {string_value(L"a"), nullptr, string_value(L"c")})),
         property(L"Empty", newCIMValueNULL(CIM_UINT32)), property(L"Other", reference_value(target)),
         property(L"Inner", instance_value(instance(L"CIM_Inner", {property(L"v", uint32_value(1))})))},
        ownPath);
}

struct Document {
    std::string label;
    std::string text;  // the CIM-XML message, without HTTP header
    // The names of the entries of an intrinsic response, "-" for other messages.
    std::string entries = "-";
    // The one known departure from the DTD that this message carries, or empty.
    std::string knownDeparture = {};
};

// The object name of an association request is written as OBJECTPATH, which
// the DTD does not list among the children of IPARAMVALUE.
const std::string object_name_departure = "Element IPARAMVALUE content does not follow the DTD, expecting (VALUE | "
                                          "VALUE.ARRAY | VALUE.REFERENCE | CLASSNAME | INSTANCENAME | "
                                          "QUALIFIER.DECLARATION | CLASS | INSTANCE | VALUE.NAMEDINSTANCE)?, got "
                                          "(OBJECTPATH )";

std::string intrinsic_response(const wchar_t *method, const CIMList *results, const CIMList *declarations = nullptr) {
    Pool pool;
    auto name = own(str(method));
    cimxml_begin_response(&pool.pool, "1001", "test");
    cim_simplersp_toxml(name.get(), nullptr, results, declarations, nullptr, 1, &pool.pool);
    cimxml_end_response(&pool.pool);
    return testsupport::bodyAfterHeader(pool.text());
}

std::string request(const wchar_t *method, CIMObjectPath *target, CIMPropertyList *parameters, int intrinsic,
                    const CIMQualifierType *declaration = nullptr) {
    auto name = own(str(method));
    auto ownedTarget = own(target);
    auto ownedParameters = own(parameters);
    char *body = cim_simplereq_toxml(name.get(), target, parameters, declaration, intrinsic);
    std::string text = take(join_header_and_message(nullptr, body, "42"));
    take(body);
    return text;
}

std::vector<Document> every_kind_of_message() {
    testsupport::LogCapture quiet;
    std::vector<Document> documents;
    auto add = [&](std::string label, std::string text) { documents.push_back({std::move(label), std::move(text)}); };

    auto respond = [&](const wchar_t *method, const CIMList *results, std::string entries,
                       const CIMList *declarations = nullptr) {
        documents.push_back({std::string(method, method + wcslen(method)),
                             intrinsic_response(method, results, declarations), std::move(entries)});
    };
    auto classes = own(list_of(CIMLIST_CLASS, {sample_class()}));
    for (const wchar_t *method : {L"GetClass", L"EnumerateClasses"}) respond(method, classes.get(), "CLASS");
    respond(L"References", classes.get(), "VALUE.OBJECTWITHPATH");
    respond(L"ExecQuery", classes.get(), "VALUE.OBJECT");
    auto instances = own(list_of(CIMLIST_INSTANCE, {sample_instance(1), sample_instance(2)}));
    respond(L"EnumerateInstances", instances.get(), "VALUE.NAMEDINSTANCE VALUE.NAMEDINSTANCE");
    respond(L"Associators", instances.get(), "VALUE.OBJECTWITHPATH VALUE.OBJECTWITHPATH");
    respond(L"ExecQuery", instances.get(), "VALUE.OBJECT VALUE.OBJECT");
    CIMObjectPath *keyed = path(L"CIM_Sample", L"root/cimv2", L"server.example");
    add_key(keyed, L"Id", uint32_value(1));
    auto paths = own(list_of(CIMLIST_OBJECTPATH, {keyed, path(L"CIM_Class", L"root", L"server.example")}));
    respond(L"EnumerateClassNames", paths.get(), "CLASSNAME CLASSNAME");
    for (const wchar_t *method : {L"CreateInstance", L"EnumerateInstanceNames"})
        respond(method, paths.get(), "INSTANCENAME INSTANCENAME");
    for (const wchar_t *method : {L"AssociatorNames", L"ReferenceNames"})
        respond(method, paths.get(), "OBJECTPATH OBJECTPATH");
    auto single = own(property_list({property(L"instance", instance_value(sample_instance(3)))}));
    respond(L"GetInstance", single.get(), "INSTANCE");
    auto declarations = own(list_of(
        CIMLIST_QUALIFIERTYPE, {newQualifierType(str(L"Key"), 2 | 8, boolean_value(0), CIM_BOOLEAN, 0, 8 | 16),
                                newQualifierType(str(L"ValueMap"), 16, nullptr, 108, 0, 8 | 32 | 64)}));
    for (const wchar_t *method : {L"EnumerateQualifiers", L"GetQualifier"})
        respond(method, nullptr, "QUALIFIER.DECLARATION QUALIFIER.DECLARATION", declarations.get());
    respond(L"SetQualifier", nullptr, "", declarations.get());  // declarations only for their operations
    auto value = own(property_list({property(L"p", string_value(L"v"))}));
    respond(L"GetProperty", value.get(), "VALUE");
    respond(L"DeleteInstance", nullptr, "");

    {
        Pool pool;
        auto name = own(str(L"Run"));
        auto returned = own(typed_property(L"ReturnValue", CIM_UINT32, uint32_value(0)));
        auto outputs = own(property_list(
            {property(L"Out", string_value(L"o")), property(L"Ref", reference_value(path(L"CIM_R", L"root"))),
             property(L"Embedded", instance_value(instance(L"CIM_E", {}))),
             property(L"List", array_value(104, {uint32_value(1), uint32_value(2)}))}));
        cimxml_begin_response(&pool.pool, "1001", "test");
        cim_simplersp_toxml(name.get(), returned.get(), outputs.get(), nullptr, nullptr, 0, &pool.pool);
        cimxml_end_response(&pool.pool);
        add("InvokeMethod response", testsupport::bodyAfterHeader(pool.text()));
    }
    {
        Pool pool;
        auto name = own(str(L"GetClass"));
        auto error = own(newReturnCode(6, L"CIM_Missing <not> found"));
        cimxml_encode_ErrorResponse(&pool.pool, "1001", name.get(), error.get(), 1);
        add("error response", testsupport::bodyAfterHeader(pool.text()));
        Pool unknown;
        auto unknownName = own(str(L"Unknown"));
        auto invalid = own(newReturnCode(4, L"Invalid message!"));
        cimxml_encode_ErrorResponse(&unknown.pool, nullptr, unknownName.get(), invalid.get(), 1);
        add("error response without id", testsupport::bodyAfterHeader(unknown.text()));
    }
    {
        Pool pool;
        auto name = own(str(L"ExportIndication"));
        cimxml_begin_response(&pool.pool, "1001", "test");
        cim_simpleexprsp_toxml(name.get(), nullptr, nullptr, nullptr, nullptr, &pool.pool);
        cimxml_end_response(&pool.pool);
        add("export response", testsupport::bodyAfterHeader(pool.text()));
    }

    add("GetClass request",
        request(L"GetClass", path(L"CIM_Sample", L"root/cimv2"),
                property_list({typed_property(L"ClassName", CIM_STRING, string_value(L"CIM_Sample")),
                               typed_property(L"LocalOnly", CIM_BOOLEAN, boolean_value(0)),
                               typed_property(L"PropertyList", 108, array_value(108, {string_value(L"Id")}))}),
                1));
    add("CreateInstance request",
        request(L"CreateInstance", path(nullptr, L"root/cimv2"),
                property_list({typed_property(L"NewInstance", CIM_OBJECT, instance_value(sample_instance(4)))}), 1));
    CIMObjectPath *objectName = path(L"CIM_Sample", L"root/cimv2", L"server.example");
    add_key(objectName, L"Id", uint32_value(9));
    documents.push_back(
        {"AssociatorNames request",
         request(L"AssociatorNames", path(L"CIM_Sample", L"root/cimv2"),
                 property_list({typed_property(L"ObjectName", CIM_REFERENCE, reference_value(objectName)),
                                typed_property(L"AssocClass", CIM_STRING, newCIMValueNULL(CIM_STRING))}),
                 1),
         "-", object_name_departure});
    CIMObjectPath *target = path(L"CIM_Sample", L"root/cimv2");
    add_key(target, L"Id", uint32_value(1));
    add("method call on an instance",
        request(L"Run", target,
                property_list({typed_property(L"Count", CIM_UINT16, [] {
                                   uint16_t count = 3;
                                   return newCIMValue(CIM_UINT16, &count);
                               }()),
                               typed_property(L"Target", CIM_REFERENCE, reference_value(path(L"CIM_R", L"root"))),
                               typed_property(L"Targets", 114, array_value(114, {reference_value(path(L"CIM_R"))})),
                               typed_property(L"Names", 108, array_value(108, {string_value(L"n")})),
                               typed_property(L"Embedded", CIM_OBJECT, instance_value(instance(L"CIM_E", {})))}),
                0));
    add("method call on a class", request(L"Create", path(L"CIM_Sample", L"root/cimv2"), newCIMPropertyList(), 0));
    {
        auto name = own(str(L"ExportIndication"));
        auto parameters = own(property_list(
            {typed_property(L"NewIndication", CIM_OBJECT,
                            instance_value(instance(L"CIM_Alert", {property(L"Message", string_value(L"m"))})))}));
        char *body = cim_simpleexpreq_toxml(name.get(), parameters.get());
        add("export request", take(join_header_and_message(nullptr, body, "43")));
        take(body);
    }
    return documents;
}

TEST(Conformance, EveryMessageKindIsWellFormedAndResponsesHoldTheEntriesOfTheirMethod) {
    for (const Document &document : every_kind_of_message()) {
        EXPECT_EQ(testsupport::wellFormednessError(document.text), "") << document.label << "\n" << document.text;
        if (document.entries == "-") continue;
        EXPECT_EQ(child_names(document.text, {"MESSAGE", "SIMPLERSP", "IMETHODRESPONSE", "IRETURNVALUE"}),
                  document.entries)
            << document.label;
    }
}

TEST(Conformance, EveryMessageKindValidatesAgainstTheDtd) {
    std::string dtd = testsupport::ownOutputDtd();
    if (dtd.empty() || !testsupport::haveXmllint()) GTEST_SKIP() << "conformance data or xmllint not available";
    for (const Document &document : every_kind_of_message()) {
        std::string complaint = testsupport::dtdValidationError(document.text, dtd);
        if (document.knownDeparture.empty()) {
            EXPECT_EQ(complaint, "") << document.label << "\n" << document.text;
            continue;
        }
        // Exactly the known departure: one validity error, and it is that one.
        EXPECT_NE(complaint.find(document.knownDeparture), std::string::npos) << document.label << "\n" << complaint;
        EXPECT_EQ(complaint.find("validity error"), complaint.rfind("validity error")) << complaint;
    }
}

}  // namespace
