// The project's client library as the server's second client: every
// operation encoded by libcimxmlclient, posted with cpp-httplib's client to
// cimxmld serving a MOF repository, and its answer decoded.
#include <cimxml/cimxml_client.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <regex>

#include "server_process.h"
#include "support/decoded_results.h"

namespace {

using namespace fixtures;
using namespace testsupport;
using httptest::ServerProcess;

// Posts an encoded request (dropped as it is copied) as a client program
// would: the encoder's CIM header lines and message, through cpp-httplib.
// The answer comes back as HTTP response text, as the decoders take it.
std::string post(httplib::Client &client, char *encoded) {
    std::string request = encoded ? encoded : "";
    std::size_t end = request.find("\r\n\r\n");
    if (end == std::string::npos) return "";
    static const std::regex cimHeader("\r\n(CIM[A-Za-z]*): ([^\r]*)");
    httplib::Headers headers;
    for (std::sregex_iterator it(request.begin(), request.begin() + end, cimHeader), last; it != last; ++it)
        headers.emplace((*it)[1], (*it)[2]);
    httplib::Result result = client.Post("/cimom", headers, request.substr(end + 4), "application/xml; charset=\"utf-8\"");
    if (!result) return "";
    std::string text = "HTTP/1.1 " + std::to_string(result->status) + " -\r\n";
    for (const auto &[name, value] : result->headers) text += name + ": " + value + "\r\n";
    return text + "\r\n" + result->body;
}

CIMObjectPath *named(const wchar_t *className, const wchar_t *key = nullptr) {
    CIMObjectPath *p = path(className, L"root/cimv2");
    if (key) add_key(p, L"Name", string_value(key));
    return p;
}

TEST(ClientLibrary, EveryOperationEncodedPostedAndDecoded) {
    ServerProcess server({"--host-name", "testhost", "--mof", CIMXML_SOURCE_DIR "/tests/http/wbemcli_fixture.mof"});
    httplib::Client client("127.0.0.1", server.port());
    client.set_keep_alive(true);
    auto element = own(named(L"Test_Element")), alpha = own(named(L"Test_Element", L"alpha"));
    auto gamma = own(named(L"Test_Element", L"gamma")), web = own(named(L"Test_Service", L"web"));
    auto extra = own(newCIMClass(str(L"Test_Extra"), nullptr));
    setClassProperties(extra.get(), property_list({property(L"Note", string_value(L"n"))}));
    auto note = own(newQualifierType(str(L"Test_Note"), 0, string_value(L""), CIM_STRING, 0, CIM_SCOPE_ANY));
    auto created = own(instance(L"Test_Element", {property(L"Name", string_value(L"gamma")), property(L"Count", uint32_value(5))}));
    auto modified = own(instance(L"Test_Element", {property(L"Count", uint32_value(6))}, copyObjectPath(gamma.get())));
    auto query = own(str(L"SELECT Name FROM Test_Service")), wql = own(str(L"WQL"));
    auto restart = own(str(L"Restart")), count = own(str(L"Count")), noteName = own(str(L"Test_Note"));
    auto nine = own(uint32_value(9));
    auto force = own(property_list({property(L"Force", boolean_value(1))}));
    auto alert = own(instance(L"CIM_AlertIndication", {property(L"Description", string_value(L"test"))}));
    auto space = own(str(L"root/extra"));
    auto extraSpace = own(path(nullptr, L"root/extra"));
    const std::vector<std::tuple<std::function<char *()>, DecodedText, std::string>> steps = {
        {[&] { return CIMXMLencode_enumerateClassNames(element.get(), 1, 0); },
         listed(CIMXMLdecode_enumerateClassNames, listText), "0|{(null):Test_Service}"},
        {[&] { return CIMXMLencode_enumerateClasses(element.get(), 1, 0, 0, 0, 0); },
         listed(CIMXMLdecode_enumerateClasses, listText),
         "0|{(null):Test_Service:Test_Element{Name:string=(null) propagated,Count:uint32=(null) propagated,Enabled:"
         "boolean=(null) propagated,Tags:string[]=(null) propagated} Restart:uint32(Force:boolean=(null),Message:"
         "string=(null))}"},
        {[&] { return CIMXMLencode_getClass(element.get(), 1, 0, 0, nullptr, 0); },
         single<CIMClass>(CIMXMLdecode_getClass, classText),
         "0|(null):Test_Element{Name:string=(null),Count:uint32=(null),Enabled:boolean=(null),Tags:string[]=(null)}"},
        {[&] { return CIMXMLencode_createClass(element.get(), extra.get(), 0); },
         status_only(CIMXMLdecode_createClass), "0|(null)"},
        {[&] { return CIMXMLencode_modifyClass(element.get(), extra.get(), 0); },
         status_only(CIMXMLdecode_modifyClass), "0|(null)"},
        {[&] { return CIMXMLencode_deleteClass(own(named(L"Test_Extra")).get(), 0); },
         status_only(CIMXMLdecode_deleteClass), "0|(null)"},
        {[&] { return CIMXMLencode_createNamespace(space.get(), 0); },
         single<CIMObjectPath>(CIMXMLdecode_createInstance, pathText),
         "0|(null):CIM_Namespace.SystemCreationClassName=\"CIM_ComputerSystem\",SystemName=\"testhost\","
         "ObjectManagerCreationClassName=\"CIM_ObjectManager\",ObjectManagerName=\"cimxmld\","
         "CreationClassName=\"CIM_Namespace\",Name=\"root/extra\""},
        {[&] { return CIMXMLencode_setQualifier(extraSpace.get(), note.get(), 0); },
         status_only(CIMXMLdecode_setQualifier), "0|(null)"},
        {[&] { return CIMXMLencode_getQualifier(extraSpace.get(), noteName.get(), 0); },
         single<CIMQualifierType>(CIMXMLdecode_getQualifier, declarationText),
         "0|Test_Note:string=\"\" scope=123 flavor=9"},
        {[&] { return CIMXMLencode_enumerateQualifiers(extraSpace.get(), 0); },
         listed(CIMXMLdecode_enumerateQualifiers, listText), "0|{Test_Note:string=\"\" scope=123 flavor=9}"},
        {[&] { return CIMXMLencode_deleteQualifier(extraSpace.get(), noteName.get(), 0); },
         status_only(CIMXMLdecode_deleteQualifier), "0|(null)"},
        {[&] { return CIMXMLencode_createInstance(element.get(), created.get(), 0); },
         single<CIMObjectPath>(CIMXMLdecode_createInstance, pathText),
         "0|(null):Test_Element.Name=\"gamma\""},
        {[&] { return CIMXMLencode_modifyInstance(gamma.get(), modified.get(), 0, nullptr, 0); },
         status_only(CIMXMLdecode_modifyInstance), "0|(null)"},
        {[&] { return CIMXMLencode_getInstance(gamma.get(), 0, 0, 0, nullptr, 0); },
         single<CIMInstance>(CIMXMLdecode_getInstance, instanceText),
         "0|(null):Test_Element{Name:string=\"gamma\",Count:uint32=6,Enabled:boolean=(null),Tags:string[]=(null)}"},
        {[&] { return CIMXMLencode_enumerateInstanceNames(element.get(), 0); },
         listed(CIMXMLdecode_enumerateInstanceNames, listText),
         "0|{(null):Test_Element.Name=\"alpha\",(null):Test_Element.Name=\"gamma\",(null):Test_Service.Name=\"web\"}"},
        {[&] { return CIMXMLencode_enumerateInstances(element.get(), 1, 0, 0, 0, nullptr, 0); },
         listed(CIMXMLdecode_enumerateInstances, listText),
         "0|{(null):Test_Element{Name:string=\"alpha\",Count:uint32=1,Enabled:boolean=true,Tags:string[]=[\"a\",\"b c\"]},"
         "(null):Test_Element{Name:string=\"gamma\",Count:uint32=6,Enabled:boolean=(null),Tags:string[]=(null)},"
         "(null):Test_Service{Name:string=\"web\",Count:uint32=2,Enabled:boolean=false,Tags:string[]=(null)}}"},
        {[&] { return CIMXMLencode_deleteInstance(gamma.get(), 0); },
         status_only(CIMXMLdecode_deleteInstance), "0|(null)"},
        {[&] { return CIMXMLencode_setProperty(alpha.get(), count.get(), nine.get(), 0); },
         status_only(CIMXMLdecode_setProperty), "0|(null)"},
        {[&] { return CIMXMLencode_getProperty(alpha.get(), count.get(), 0); },
         single<CIMValue>(CIMXMLdecode_getProperty, valueText), "0|string \"9\""},
        {[&] { return CIMXMLencode_associators(alpha.get(), 0, 0, 0, 0, 0, 0, nullptr, 0); },
         listed(CIMXMLdecode_associators, listText),
         "0|{root/cimv2:Test_Service{Name:string=\"web\",Count:uint32=2,Enabled:boolean=false,Tags:string[]=(null)}}"},
        {[&] { return CIMXMLencode_associatorNames(alpha.get(), 0, 0, 0, 0, 0); },
         listed(CIMXMLdecode_associatorNames, listText),
         "0|{//testhost/root/cimv2:Test_Service.Name=\"web\"}"},
        {[&] { return CIMXMLencode_references(alpha.get(), 0, 0, 0, 0, nullptr, 0); },
         listed(CIMXMLdecode_references, listText),
         "0|{root/cimv2:Test_Dependency{Antecedent:reference={(null):Test_Element.Name=\"alpha\"} key refclass="
         "Test_Element,Dependent:reference={(null):Test_Service.Name=\"web\"} key refclass=Test_Element}}"},
        {[&] { return CIMXMLencode_referenceNames(alpha.get(), 0, 0, 0); },
         listed(CIMXMLdecode_referenceNames, listText),
         "0|{//testhost/root/cimv2:Test_Dependency.Antecedent={(null):Test_Element.Name=\"alpha\"},"
         "Dependent={(null):Test_Service.Name=\"web\"}}"},
        {[&] { return CIMXMLencode_execQuery(element.get(), query.get(), wql.get(), 0); },
         listed(CIMXMLdecode_execQuery, listText),
         "0|{(null):Test_Service{Name:string=\"web\"}}"},
        {[&] { return CIMXMLencode_invokeMethod(web.get(), restart.get(), force.get(), 0); },
         [](const char *response) {
             CIMPropertyList *out = nullptr;
             CIMValue *returned = nullptr;
             return outcome(CIMXMLdecode_invokeMethod(response, &out, &returned));
         },
         // The encoder names the operation (InvokeMethod) in CIMMethod and
         // the namespace in CIMObject, where the method and the object belong.
         "1: cimxml_decode_message - failed; HTTP status 400 -; CIMError: header-mismatch."},
        {[&] { return CIMXMLencode_exportIndication(alert.get(), 0); },
         status_only(CIMXMLdecode_exportIndication), "0|(null)"},
    };
    for (std::size_t step = 0; step < steps.size(); ++step) {
        const auto &[encode, decode, expected] = steps[step];
        std::string answer = post(client, encode());
        EXPECT_EQ(decode(answer.c_str()), expected) << "step " << step;
    }
}

}  // namespace
