// End to end, through both libraries as their users see them: every
// operation's request as the client encoder writes it is answered by the
// built server module (loaded as a host loads it) on the test object
// manager, and the answer goes through the client decoder. The object
// manager receives, and the client gets back, the objects of the other side,
// apart from what CIM-XML does not carry and what the decoders leave by
// design, which each row states as replacements in the original's text.
// Every request is DTD-valid with a Content-Length that counts its message.
#include <cimxml/cimxml_client.h>
#include <gc/gc.h>
#include <gtest/gtest.h>
#include <utils/system_ip.h>

#include <cstdlib>
#include <functional>
#include <regex>

#include "support/cimom_double.h"
#include "support/decoded_results.h"
#include "support/loaded_module.h"
#include "support/log_capture.h"
#include "support/rich_objects.h"
#include "support/xml_checks.h"

namespace {

using namespace fixtures;
using namespace testsupport;

const std::wstring space = L"root/cimv2";
CIMObjectPath *class_path(const wchar_t *name = L"RT_Everything") { return path(name, space.c_str()); }
CIMObjectPath *instance_path() {
    CIMObjectPath *p = class_path(L"RT_Instance");
    add_key(p, L"Name", string_value(L"i1"));
    return p;
}
const std::string instanceName = "root/cimv2:RT_Instance.Name=\"i1\"";
// A path with a key of every scalar type and a reference key.
CIMObjectPath *keyed_path(const wchar_t *className) {
    CIMObjectPath *p = path(className, space.c_str());
    for (int type = CIM_UINT8; type <= CIM_DATETIME; ++type) add_key(p, named(L"k_", type).c_str(), scalar(type, 2));
    add_key(p, L"k_reference", reference_value(target_path(L"CIM_Target", L"t2")));
    return p;
}
CIMInstance *rich_instance(const wchar_t *className = L"RT_Instance") {
    CIMInstance *i = newInstance(str(className), nullptr, every_kind_of_property());
    CIMObjectPath *name = path(className);
    add_key(name, L"Name", string_value(L"i1"));
    setInstancePath(i, name);
    return i;
}
// The same in a namespace, as the association operations return it.
template <typename T>
T *in_namespace(T *object) {
    if constexpr (std::is_same_v<T, CIMClass>)
        setClassNameSpace(object, str(space.c_str()));
    else
        setInstanceNameSpace(object, str(space.c_str()));
    return object;
}
CIMQualifierType *declaration(int which) {
    if (which == 0) return newQualifierType(str(L"RT_Units"), 1 | 8 | 16, string_value(L"m"), CIM_STRING, 0, 1 | 8);
    if (which == 1)
        return newQualifierType(str(L"RT_Map"), 2 | 4, array_of(CIM_UINT32), CIM_UINT32 + CIM_ARRAY, 0, 32 | 64);
    return newQualifierType(str(L"Values"), 0, string_value(L"v"), CIM_STRING, 0, CIM_SCOPE_ANY);
}
// By design a declaration that names neither OVERRIDABLE nor TOSUBCLASS has
// both and "Values" is an array whatever its type; the any-scope comes back
// as every scope, the indication scope among them.
const Changes valuesDeclaration = {
    {"Values:string=\"v\" scope=127 flavor=0", "Values:string[]=(null) scope=127 flavor=9"}};
CIMPropertyList *parameters_of_every_kind() {
    CIMPropertyList *list = newCIMPropertyList();
    auto add = [list](CIMProperty *p) { freeReturnCode(appendToCIMPropertyList(list, p)); };
    for (int type = CIM_UINT8; type <= CIM_CHAR16; ++type) {
        add(property(named(L"p_", type).c_str(), scalar(type, 1)));
        add(property(named(L"a_", type).c_str(), array_of(type)));
    }
    add(property(L"ref", reference_value(target_path(L"CIM_R", L"r"))));
    add(property(L"refs", array_value(CIM_REFERENCE + CIM_ARRAY, {reference_value(target_path(L"CIM_R", L"r1")),
                                                                  reference_value(target_path(L"CIM_R", L"r2"))})));
    add(property(L"instance", instance_value(small_instance(L"Emb_P"))));
    return list;
}
CIMStringList *names(std::initializer_list<const wchar_t *> items) {
    CIMStringList *list = newCIMStringList();
    for (const wchar_t *item : items) freeReturnCode(appendToCIMStringList(list, str(item)));
    return list;
}

// The profile both libraries were loaded in, as the environment chose it.
const bool strict = [] {
    const char *profile = std::getenv("CIMXML_PROFILE");
    return profile != nullptr && std::string(profile) == "strict";
}();

// Differences by design in both directions: a PROPERTY.REFERENCE decodes as
// a key, a reference parameter gets its class as a value, a scalar qualifier
// of a reference-array parameter loses its value, and classic does not
// convert char16 values back.
const Changes char16 = strict ? Changes{}
                              : Changes{{"p_char16:char16='B'", "p_char16:char16=(null)"},
                                        {"['A','B','C']", "[(null),(null),(null)]"}};
const Changes method = {{"Target:reference=(null)", "Target:reference={(null):CIM_System}"},
                        {"Description:string=\"peers\"", "Description:string=(null)"}};
Changes operator+(Changes a, const Changes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// Strict writes a property with the EmbeddedObject qualifier as
// EmbeddedObject="object", which reads back as the object kind (16) holding
// the instance.
const Changes objectKind = strict ? Changes{{"embeddedInstance:object=", "embeddedInstance:class="},
                                            {"embeddedArray:object[]=", "embeddedArray:class[]="}}
                                  : Changes{};
const Changes both = char16 + objectKind +
                     Changes{{"Num=4000000000} refclass=CIM_Target", "Num=4000000000} key refclass=CIM_Target"}};
// A request's embedded objects take the request's namespace.
const Changes sent = both + Changes{{"(null):Emb_", "root/cimv2:Emb_"}};

// One operation: its request, the call the object manager records, what
// the decoder gives ("outcome|results"), what the object manager answers,
// and what the decoder gives when the object manager fails with 6 "gone".
struct Row {
    const char *operation;
    std::function<char *()> encode;
    std::string call;
    DecodedText decode;
    std::function<void(CimomDouble &)> answer = [](CimomDouble &) {};
    std::string results = "(null)";
    std::string failed = "6: gone|(null)";
};

template <typename Decode>
DecodedText list(Decode decode, int listType = -1) {
    return listed(decode, listText, listType);
}
template <typename Make>
std::function<void(CimomDouble &)> gives(const char *slot, Make make) {
    return [=](CimomDouble &cimom) { cimom.setResult(slot, [=] { return static_cast<void *>(make()); }); };
}

// The text of a new object, with changes.
template <typename T, typename Text>
std::string text(T *object, Text text, const Changes &changes = {}) {
    return replaced(taken(object, text), changes);
}

std::vector<Row> rows() {
    char *address = get_system_ip();
    const std::string host = "//" + std::string(address ? address : "localhost") + "/";
    GC_free(address);
    auto classes = [] { return list_of(CIMLIST_CLASS, {everything_class(), newCIMClass(str(L"RT_Small"), nullptr)}); };
    auto instances = [] { return list_of(CIMLIST_INSTANCE, {rich_instance(), rich_instance(L"RT_Other")}); };
    auto spaced = [] {
        return list_of(CIMLIST_INSTANCE, {in_namespace(rich_instance()), in_namespace(rich_instance(L"RT_Other"))});
    };
    auto spacedClasses = [] {
        return list_of(CIMLIST_CLASS,
                       {in_namespace(everything_class()), in_namespace(newCIMClass(str(L"RT_Small"), nullptr))});
    };
    auto keyed = [] { return list_of(CIMLIST_OBJECTPATH, {keyed_path(L"RT_A"), keyed_path(L"RT_B")}); };
    auto declarations = [] { return list_of(CIMLIST_QUALIFIERTYPE, {declaration(0), declaration(1), declaration(2)}); };
    auto a_path = [] { return keyed_path(L"RT_A"); };
    const std::string sentClass = "root/cimv2:" + text(everything_class(), classText, sent + method).substr(7);
    const std::string sentInstance = "root/cimv2:" + text(rich_instance(), instanceText, sent).substr(7);
    const std::string keyedPaths =
        text(keyed(), listText, {{"{root", "{" + host + "root"}, {",root", "," + host + "root"}});
    const Changes nameOnly = {{"root/cimv2:RT_", "(null):RT_"}};
    const auto i = [] { return own(instance_path()); };
    const auto c = [](const wchar_t *name = L"RT_Everything") { return own(class_path(name)); };
    const auto s = [](const wchar_t *text) { return own(str(text)); };
    return {
        {"GetClass",
         [=] {
             return CIMXMLencode_getClass(c().get(), 0, 1, 1, own(names({L"A", L"B"})).get(), 0);
         },
         "pfn_getClass(path=root/cimv2:RT_Everything, localOnly=0, includeQualifiers=1, includeClassOrigin=1, "
         "propertyList={A,B})",
         single<CIMClass>(CIMXMLdecode_getClass, classText), gives("pfn_getClass", everything_class),
         text(everything_class(), classText, both + method)},
        {"EnumerateClasses", [=] { return CIMXMLencode_enumerateClasses(c().get(), 1, 0, 1, 0, 0); },
         "pfn_enumerateClasses(path=root/cimv2:RT_Everything, deepInheritance=1, localOnly=0, includeQualifiers=1, "
         "includeClassOrigin=0)",
         list(CIMXMLdecode_enumerateClasses), gives("pfn_enumerateClasses", classes),
         text(classes(), listText, both + method)},
        {"EnumerateClassNames", [=] { return CIMXMLencode_enumerateClassNames(c().get(), 1, 0); },
         "pfn_enumerateClassNames(path=root/cimv2:RT_Everything, deepInheritance=1)",
         list(CIMXMLdecode_enumerateClassNames), gives("pfn_enumerateClassNames", keyed), "{(null):RT_A,(null):RT_B}"},
        {"CreateClass", [=] { return CIMXMLencode_createClass(c().get(), own(everything_class()).get(), 0); },
         "pfn_createClass(path=root/cimv2:RT_Everything, newClass=" + sentClass + ")",
         status_only(CIMXMLdecode_createClass)},
        {"ModifyClass", [=] { return CIMXMLencode_modifyClass(c().get(), own(everything_class()).get(), 0); },
         "pfn_modifyClass(path=root/cimv2:RT_Everything, modifiedClass=" + sentClass + ")",
         status_only(CIMXMLdecode_modifyClass)},
        {"DeleteClass", [=] { return CIMXMLencode_deleteClass(c(L"__Namespace").get(), 0); },
         "pfn_deleteClass(path=root/cimv2:CIM_Namespace)", status_only(CIMXMLdecode_deleteClass)},
        {"GetInstance", [=] { return CIMXMLencode_getInstance(i().get(), 0, 1, 1, own(names({})).get(), 0); },
         "pfn_getInstance(instancePath=" + instanceName +
             ", localOnly=0, includeQualifiers=1, includeClassOrigin=1, "
             "propertyList={})",
         single<CIMInstance>(CIMXMLdecode_getInstance, instanceText),
         gives("pfn_getInstance", [] { return rich_instance(); }), text(rich_instance(), instanceText, both)},
        {"EnumerateInstances",
         [=] { return CIMXMLencode_enumerateInstances(c(L"RT_Instance").get(), 0, 1, 0, 1, nullptr, 0); },
         "pfn_enumerateInstances(path=root/cimv2:RT_Instance, localOnly=1, deepInheritance=0, includeQualifiers=0, "
         "includeClassOrigin=1, propertyList=(null))",
         list(CIMXMLdecode_enumerateInstances), gives("pfn_enumerateInstances", instances),
         text(instances(), listText, both)},
        {"EnumerateInstanceNames", [=] { return CIMXMLencode_enumerateInstanceNames(c(L"RT_A").get(), 0); },
         "pfn_enumerateInstanceNames(path=root/cimv2:RT_A)", list(CIMXMLdecode_enumerateInstanceNames),
         gives("pfn_enumerateInstanceNames", keyed), text(keyed(), listText, nameOnly)},
        {"CreateInstance",
         [=] { return CIMXMLencode_createInstance(c(L"RT_Instance").get(), own(rich_instance()).get(), 0); },
         "pfn_createInstance(path=root/cimv2:RT_Instance, instance=" + sentInstance + ")",
         single<CIMObjectPath>(CIMXMLdecode_createInstance, pathText), gives("pfn_createInstance", a_path),
         text(a_path(), pathText, nameOnly)},
        {"ModifyInstance",
         [=] {
             return CIMXMLencode_modifyInstance(c(L"RT_Instance").get(), own(rich_instance()).get(), 1,
                                                own(names({L"p_uint8"})).get(), 0);
         },
         "pfn_setInstance(path=" + instanceName + ", instance=" + sentInstance +
             ", includeQualifiers=1, propertyList={p_uint8})",
         status_only(CIMXMLdecode_modifyInstance)},
        {"DeleteInstance", [=] { return CIMXMLencode_deleteInstance(i().get(), 0); },
         "pfn_deleteInstance(instancePath=" + instanceName + ")", status_only(CIMXMLdecode_deleteInstance)},
        {"ExecQuery",
         [=] { return CIMXMLencode_execQuery(c().get(), s(L"SELECT * FROM RT_Instance").get(), s(L"WQL").get(), 0); },
         "pfn_execQuery(path=root/cimv2:Container, query=SELECT * FROM RT_Instance, queryLanguage=WQL)",
         list(CIMXMLdecode_execQuery, CIMLIST_INSTANCE), gives("pfn_execQuery", instances),
         text(instances(), listText, both)},
        {"Associators",
         [=] {
             return CIMXMLencode_associators(i().get(), s(L"RT_Assoc").get(), nullptr, s(L"Left").get(), nullptr, 1, 0,
                                             nullptr, 0);
         },
         "pfn_associators(path=" + instanceName +
             ", assocClass=RT_Assoc, resultClass=(null), role=Left, "
             "resultRole=(null), includeQualifiers=1, includeClassOrigin=0, propertyList=(null))",
         list(CIMXMLdecode_associators), gives("pfn_associators", spaced), text(spaced(), listText, both)},
        {"AssociatorsOfAClass",
         [=] {
             return CIMXMLencode_associators(c().get(), nullptr, s(L"RT_Small").get(), nullptr, s(L"Right").get(), 0, 1,
                                             own(names({L"A"})).get(), 0);
         },
         "pfn_associators(path=root/cimv2:RT_Everything, assocClass=(null), resultClass=RT_Small, role=(null), "
         "resultRole=Right, includeQualifiers=0, includeClassOrigin=1, propertyList={A})",
         list(CIMXMLdecode_associators, CIMLIST_CLASS), gives("pfn_associators", spacedClasses),
         text(spacedClasses(), listText, both + method)},
        {"AssociatorNames",
         [=] {
             return CIMXMLencode_associatorNames(c().get(), s(L"RT_Assoc").get(), s(L"RT_A").get(), s(L"Left").get(),
                                                 s(L"Right").get(), 0);
         },
         "pfn_associatorNames(path=root/cimv2:RT_Everything, assocClass=RT_Assoc, resultClass=RT_A, role=Left, "
         "resultRole=Right)",
         list(CIMXMLdecode_associatorNames), gives("pfn_associatorNames", keyed), keyedPaths},
        {"References",
         [=] {
             return CIMXMLencode_references(i().get(), s(L"RT_Assoc").get(), nullptr, 0, 1, own(names({})).get(), 0);
         },
         "pfn_references(path=" + instanceName +
             ", resultClass=RT_Assoc, role=(null), includeQualifiers=0, "
             "includeClassOrigin=1, propertyList={})",
         list(CIMXMLdecode_references), gives("pfn_references", spaced), text(spaced(), listText, both)},
        {"ReferenceNames", [=] { return CIMXMLencode_referenceNames(i().get(), nullptr, s(L"Left").get(), 0); },
         "pfn_referenceNames(path=" + instanceName + ", resultClass=(null), role=Left)",
         list(CIMXMLdecode_referenceNames), gives("pfn_referenceNames", keyed), keyedPaths},
        {"GetQualifier", [=] { return CIMXMLencode_getQualifier(c().get(), s(L"RT_Map").get(), 0); },
         "pfn_getQualifier(nameSpace=root/cimv2, qualifierName=RT_Map)",
         single<CIMQualifierType>(CIMXMLdecode_getQualifier, declarationText),
         gives("pfn_getQualifier", [] { return declaration(1); }), text(declaration(1), declarationText)},
        {"EnumerateQualifiers", [=] { return CIMXMLencode_enumerateQualifiers(c().get(), 0); },
         "pfn_enumerateQualifiers(path=root/cimv2:Container)", list(CIMXMLdecode_enumerateQualifiers),
         gives("pfn_enumerateQualifiers", declarations), text(declarations(), listText, valuesDeclaration)},
        {"SetQualifier", [=] { return CIMXMLencode_setQualifier(c().get(), own(declaration(0)).get(), 0); },
         "pfn_setQualifier(path=root/cimv2:Container, declaration=" + text(declaration(0), declarationText) + ")",
         status_only(CIMXMLdecode_setQualifier)},
        {"SetQualifierOfAnArray", [=] { return CIMXMLencode_setQualifier(c().get(), own(declaration(1)).get(), 0); },
         "pfn_setQualifier(path=root/cimv2:Container, declaration=" + text(declaration(1), declarationText) + ")",
         status_only(CIMXMLdecode_setQualifier)},
        {"SetQualifierValues", [=] { return CIMXMLencode_setQualifier(c().get(), own(declaration(2)).get(), 0); },
         "pfn_setQualifier(path=root/cimv2:Container, declaration=" +
             text(declaration(2), declarationText, valuesDeclaration) + ")",
         status_only(CIMXMLdecode_setQualifier)},
        {"DeleteQualifier", [=] { return CIMXMLencode_deleteQualifier(c().get(), s(L"RT_Units").get(), 0); },
         "pfn_deleteQualifier(path=root/cimv2:RT_Units)", status_only(CIMXMLdecode_deleteQualifier)},
        {"GetProperty", [=] { return CIMXMLencode_getProperty(i().get(), s(L"p_string").get(), 0); },
         "pfn_getProperty(instancePath=" + instanceName + ", propertyName=p_string)",
         single<CIMValue>(CIMXMLdecode_getProperty, valueText),
         gives("pfn_getProperty", [] { return scalar(CIM_STRING, 1); }), text(scalar(CIM_STRING, 1), valueText)},
        // An IPARAMVALUE carries no type: the object manager types the value by its class.
        {"SetProperty",
         [=] { return CIMXMLencode_setProperty(i().get(), s(L"a_uint32").get(), own(array_of(CIM_UINT32)).get(), 0); },
         "pfn_setProperty(instancePath=" + instanceName +
             ", propertyName=a_uint32, newValue=string[] [\"4000000000\",\"4000000001\",\"4000000002\"])",
         status_only(CIMXMLdecode_setProperty)},
        {"InvokeMethod",
         [=] {
             return CIMXMLencode_invokeMethod(own(target_path(L"RT_Service", L"s")).get(), s(L"Reconfigure").get(),
                                              own(parameters_of_every_kind()).get(), 0);
         },
         "pfn_invokeMethod(path=" + text(target_path(L"RT_Service", L"s"), pathText, {{"//" + tricky_utf8 + "/", ""}}) +
             ", methodName=Reconfigure, inParameters=" +
             text(parameters_of_every_kind(), listText,
                  char16 + Changes{{"(null):Emb_P", "root/" + tricky_utf8 + ":Emb_P"}}) +
             ", outParameters={})",
         [](const char *response) {
             CIMPropertyList *out = nullptr;
             CIMValue *returned = nullptr;
             std::string status = outcome(CIMXMLdecode_invokeMethod(response, &out, &returned));
             return status + "|" + taken(returned, valueText) + " " + taken(out, listText);
         },
         [](CimomDouble &cimom) {
             cimom.setResult("pfn_invokeMethod", [] { return static_cast<void *>(scalar(CIM_UINT32, 7)); });
             cimom.setInvokeOutput([](CIMPropertyList *out) {
                 Owned<CIMList> all(parameters_of_every_kind());
                 for (int n = 0; n < getLength(all.get()); ++n)
                     freeReturnCode(appendToCIMPropertyList(out, copyCIMProperty(getCIMPropertyAt(all.get(), n))));
             });
         },
         text(scalar(CIM_UINT32, 7), valueText) + " " + text(parameters_of_every_kind(), listText, char16),
         "6: gone|(null) (null)"},
        // A failed delivery is the listener's own business in classic; strict
        // answers it with its ERROR, for the sender to deliver again.
        {"ExportIndication", [] { return CIMXMLencode_exportIndication(own(rich_instance(L"RT_Alert")).get(), 0); },
         "pfn_deliverIndication(path=(null), indication=" + text(rich_instance(L"RT_Alert"), instanceText, both) + ")",
         status_only(CIMXMLdecode_exportIndication), [](CimomDouble &) {}, "(null)",
         strict ? "6: gone|(null)" : "0|(null)"},
        {"CreateNamespace", [=] { return CIMXMLencode_createNamespace(s(L"root/test").get(), 0); },
         "pfn_createInstance(path=root/test:CIM_Namespace, "
         "instance=root/test:CIM_Namespace{Name:string=\"root/test\",ClassInfo:uint16=0})",
         single<CIMObjectPath>(CIMXMLdecode_createInstance, pathText), gives("pfn_createInstance", a_path),
         text(a_path(), pathText, nameOnly)},
        {"DeleteNamespace", [=] { return CIMXMLencode_deleteNamespace(s(L"root/test").get(), 0); },
         "pfn_deleteInstance(instancePath=root/test:CIM_Namespace.Name=\"root/test\")",
         status_only(CIMXMLdecode_deleteInstance)},
    };
}

// The header of an operation or export request; captured: its length, the
// CIMObject value and the CIM(Export)Method value.
const std::regex header_lines(
    "POST /CIMOM2 HTTP/1\\.1\r\nContent-Length: (\\d+)\r\n(?:CIMObject: ([^\r]+)\r\n)?Connection: Keep-Alive\r\n"
    "(?:Host: [^\r]+\r\n)?User-Agent: ZEL_CLIENT_ADAPTER\r\n(?:CIMOperation: MethodCall|CIMExport: MethodRequest)\r\n"
    "CIMProtocolVersion: 1\\.2\r\nCIM(?:Export)?Method: (\\w+)\r\nContent-Type: text/xml;charset=UTF-8\r\n"
    "(?:Date: [^\r]+\r\n)?Accept: text/xml, application/xml\r\n\r\n");
const std::regex call_element("<(?:I|EXP)?METHODCALL NAME=\"(\\w+)\"");
const std::regex class_parameter("<IPARAMVALUE NAME=\"(ClassName|AssocClass|ResultClass)\">\n<(\\w+)");

// The CIMMethod line: in strict the call element's name; classic keeps the
// spellings the module always wrote.
std::string expected_header_method(const std::string &body) {
    std::smatch call;
    std::regex_search(body, call, call_element);
    if (strict) return call[1];
    if (body.find("<METHODCALL") != std::string::npos) return "InvokeMethod";
    if (call[1] == "GetClass" || call[1] == "GetInstance") return "g" + call[1].str().substr(1);
    return call[1];
}

class RoundTrip : public testing::Test {
protected:
    LoadedModule module_;
};

TEST_F(RoundTrip, EveryOperationCarriesItsObjectsBothWays) {
    ASSERT_TRUE(module_.loaded()) << dlerror();
    LogCapture quiet(-1);
    std::vector<std::pair<std::string, std::string>> documents;
    std::string classParameters, objects;
    for (const Row &row : rows()) {
        SCOPED_TRACE(row.operation);
        char *request = row.encode();
        ASSERT_NE(request, nullptr);
        std::string text = request;
        GC_free(request);
        std::smatch header;
        ASSERT_TRUE(std::regex_search(text, header, header_lines) && header.position(0) == 0) << text;
        std::string body = text.substr(header.length(0));
        EXPECT_EQ(header[1].str(), std::to_string(body.size()));
        EXPECT_EQ(header[3].str(), expected_header_method(body));
        objects += row.operation + std::string("=") + header[2].str() + "\n";
        for (std::sregex_iterator m(body.begin(), body.end(), class_parameter), end; m != end; ++m)
            classParameters += row.operation + std::string(":") + (*m)[1].str() + "=" + (*m)[2].str() + " ";
        documents.emplace_back(row.operation + std::string("-request"), body);
        for (int failing : {0, 1}) {
            CimomDouble cimom;
            row.answer(cimom);
            if (failing) cimom.setStatus(row.call.substr(0, row.call.find('(')), 6, "gone");
            std::string answer = module_.answer(body, cimom.handle());
            documents.emplace_back(row.operation + std::string(failing ? "-error" : "-answer"),
                                   bodyAfterHeader(answer));
            std::string decoded = row.decode(answer.c_str());
            if (failing) {
                EXPECT_EQ(decoded, row.failed);
            } else {
                EXPECT_EQ(lines(cimom.callsText()), lines(row.call + "\n"));
                EXPECT_EQ(lines(decoded), lines("0|" + row.results));
            }
        }
    }
    EXPECT_EQ(ownDtdComplaints(documents, strict).value_or(""), "");
    // Class names travel as CLASSNAME in strict, as string values in classic.
    const std::string kind = strict ? "CLASSNAME" : "VALUE";
    std::string expected;
    for (const char *parameter :
         {"GetClass:ClassName", "EnumerateClasses:ClassName", "EnumerateClassNames:ClassName", "DeleteClass:ClassName",
          "EnumerateInstances:ClassName", "EnumerateInstanceNames:ClassName", "Associators:AssocClass",
          "AssociatorsOfAClass:ResultClass", "AssociatorNames:AssocClass", "AssociatorNames:ResultClass",
          "References:ResultClass"})
        expected += std::string(parameter) + "=" + kind + " ";
    EXPECT_EQ(classParameters, expected);
    // Only an extrinsic call names its object in strict; the rest name the namespace.
    const std::string invokeTarget =
        strict ? "root/a\"b%26c'd%3Ce%3Ef%20%C3%A9%20%E6%97%A5:RT_Service.Name=\"s\",Num=4000000000"
               : "root/" + tricky_utf8;
    EXPECT_NE(objects.find("\nInvokeMethod=" + invokeTarget + "\n"), std::string::npos) << objects;
    EXPECT_NE(objects.find("\nDeleteNamespace=root/test\n"), std::string::npos) << objects;
}

}  // namespace
