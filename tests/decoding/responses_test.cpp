// Responses through the client decoders: every response document of an
// independent client decodes as its content says (its ERROR's status, or
// the kinds and number of results it holds, read from the document here),
// and bad responses give a clear status 1, never a crash or a leak.
#include <cimxml/cimxml_client.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "decoding/decoded.h"
#include "support/conformance_requests.h"
#include "support/decoded_results.h"
#include "support/log_capture.h"
#include "support/mini_dom.h"
#include "support/profiles.h"

namespace {

using namespace decoding;
using fixtures::Node;
using testsupport::DecodedText;

// The kind of each result, as the document holds them.
std::string kinds(const CIMList *list) {
    static const std::map<int, std::string> names = {{CIMLIST_INSTANCE, "instance "},
                                                     {CIMLIST_CLASS, "class "},
                                                     {CIMLIST_OBJECTPATH, "path "},
                                                     {CIMLIST_QUALIFIERTYPE, "declaration "}};
    std::string text;
    for (int i = 0; i < getLength(list); ++i) text += names.at(getListType(list));
    return text;
}
auto kind(const char *name) {
    return [name](const void *) { return std::string(name); };
}

// A pulled piece's decoder, giving "outcome|result kinds"; its output
// parameters are read by the decoder, and a piece that goes on must name
// its context. (The documents' PARAMVALUEs are not counted for these.)
template <class List>
DecodedText pulled(ReturnCode *(*decode)(const char *, List **, CIMString **, int *)) {
    return [decode](const char *text) {
        List *objects = nullptr;
        CIMString *context = nullptr;
        int ended = 0;
        ReturnCode *rc = decode(text, &objects, &context, &ended);
        bool ok = getErrorFromRetCode(rc) == 0;
        std::string status = outcome(rc) + "|" + (ok ? kinds(objects) : "(null)");
        if (ok && !ended && !context) status += "(no context)";
        freeCIMString(context);
        freeList(objects);
        return status;
    };
}

// Each operation's decoder, giving "outcome|result kinds".
const std::map<std::string, DecodedText> decoders = {
    {"GetClass", single<CIMClass>(CIMXMLdecode_getClass, kind("class "))},
    {"GetInstance", single<CIMInstance>(CIMXMLdecode_getInstance, kind("instance "))},
    {"CreateInstance", single<CIMObjectPath>(CIMXMLdecode_createInstance, kind("path "))},
    {"GetQualifier", single<CIMQualifierType>(CIMXMLdecode_getQualifier, kind("declaration "))},
    {"GetProperty", single<CIMValue>(CIMXMLdecode_getProperty, kind("value "))},
    {"EnumerateClasses", listed(CIMXMLdecode_enumerateClasses, kinds)},
    {"EnumerateClassNames", listed(CIMXMLdecode_enumerateClassNames, kinds)},
    {"EnumerateInstances", listed(CIMXMLdecode_enumerateInstances, kinds)},
    {"EnumerateInstanceNames", listed(CIMXMLdecode_enumerateInstanceNames, kinds)},
    {"EnumerateQualifiers", listed(CIMXMLdecode_enumerateQualifiers, kinds)},
    {"ExecQuery", listed(CIMXMLdecode_execQuery, kinds)},
    {"Associators", listed(CIMXMLdecode_associators, kinds)},
    {"References", listed(CIMXMLdecode_references, kinds)},
    {"AssociatorNames", listed(CIMXMLdecode_associatorNames, kinds)},
    {"ReferenceNames", listed(CIMXMLdecode_referenceNames, kinds)},
    {"InvokeMethod",
     [](const char *text) {
         CIMPropertyList *out = nullptr;
         CIMValue *returned = nullptr;
         std::string status = outcome(CIMXMLdecode_invokeMethod(text, &out, &returned)) + "|";
         if (returned) status += "return ";
         for (int i = 0; i < getLength(out); ++i) status += "out ";
         freeCIMValue(returned);
         freeCIMPropertyList(out);
         return status;
     }},
    {"DeleteInstance", status_only(CIMXMLdecode_deleteInstance)},
    {"ModifyInstance", status_only(CIMXMLdecode_modifyInstance)},
    {"DeleteClass", status_only(CIMXMLdecode_deleteClass)},
    {"ModifyClass", status_only(CIMXMLdecode_modifyClass)},
    {"CreateClass", status_only(CIMXMLdecode_createClass)},
    {"DeleteQualifier", status_only(CIMXMLdecode_deleteQualifier)},
    {"SetQualifier", status_only(CIMXMLdecode_setQualifier)},
    {"SetProperty", status_only(CIMXMLdecode_setProperty)},
    {"ExportIndication", status_only(CIMXMLdecode_exportIndication)},
    {"OpenEnumerateInstances", pulled(CIMXMLdecode_openEnumerateInstances)},
    {"OpenEnumerateInstancePaths", pulled(CIMXMLdecode_openEnumerateInstancePaths)},
    {"OpenReferenceInstances", pulled(CIMXMLdecode_openReferenceInstances)},
    {"OpenReferenceInstancePaths", pulled(CIMXMLdecode_openReferenceInstancePaths)},
    {"OpenAssociatorInstances", pulled(CIMXMLdecode_openAssociatorInstances)},
    {"OpenAssociatorInstancePaths", pulled(CIMXMLdecode_openAssociatorInstancePaths)},
    {"OpenQueryInstances", pulled(CIMXMLdecode_openQueryInstances)},
    {"PullInstancesWithPath", pulled(CIMXMLdecode_pullInstancesWithPath)},
    {"PullInstancePaths", pulled(CIMXMLdecode_pullInstancePaths)},
    {"PullInstances", pulled(CIMXMLdecode_pullInstances)},
    {"CloseEnumeration", status_only(CIMXMLdecode_closeEnumeration)},
    {"EnumerationCount",
     [](const char *text) {
         unsigned long long count = 0;
         ReturnCode *rc = CIMXMLdecode_enumerationCount(text, &count);
         return outcome(rc) + "|value ";
     }},
};

// Operations without a decoder of their own (the pull operations) are read
// from the decoded message as a decoder reads it: its answer element, error,
// return values and output parameters.
std::string decode_message(const char *text) {
    Message message(cimxml_decode_message(text, nullptr));
    if (!message) return lastError() + "|(null)";
    if (!message->responseMethodName) return "1: no answer|(null)";
    static const std::map<int, std::string> names = {
        {CIM_OBJECT, "instance "}, {CIM_CLASS, "class "}, {CIM_REFERENCE, "path "}};
    std::string results;
    for (int i = 0; i < getCIMValueListLength(message->returnValues); ++i) {
        auto found = names.find(getCIMValueType(getCIMValueAt(message->returnValues, i)));
        results += found == names.end() ? "value " : found->second;
    }
    for (int i = 0; i < getCIMPropertyListLength(message->outParameters); ++i) results += "out ";
    return (message->error ? outcome(copyReturnCode(message->error)) : "0") + "|" + results;
}

// By design an embedded object of the other kind than its EmbeddedObject
// names is not decoded: a class under "instance", and in classic an instance
// under "object" (which strict reads as the instance it is).
bool other_kind_embedded(const Node &holder) {
    const Node *value = holder.child("VALUE");
    std::string kind = holder.attribute("EmbeddedObject");
    bool instance = value && value->text.find("<INSTANCE") != std::string::npos;
    return value && kind != "(absent)" && (kind == "object" ? instance && !strict_profile() : !instance);
}

// The kinds of results a response document holds, in document order.
std::string document_kinds(const Node &answer, std::set<std::string> &notes) {
    static const std::map<std::string, std::string> kinds = {{"INSTANCE", "instance "},
                                                             {"CLASS", "class "},
                                                             {"CLASSNAME", "path "},
                                                             {"INSTANCENAME", "path "},
                                                             {"OBJECTPATH", "path "},
                                                             {"INSTANCEPATH", "path "},
                                                             {"QUALIFIER.DECLARATION", "declaration "},
                                                             {"VALUE", "value "},
                                                             {"VALUE.ARRAY", "value "},
                                                             {"VALUE.REFERENCE", "value "},
                                                             {"RETURNVALUE", "return "},
                                                             {"PARAMVALUE", "out "}};
    std::string text;
    for (const auto &child : answer.children) {
        if (child->name == "IRETURNVALUE") {
            for (const auto &item : child->children) {
                // An object with its name or path counts as the object.
                const Node *object = item->name.starts_with("VALUE.") && item->name.find("WITH") != std::string::npos
                                         ? item->find({"INSTANCE", "CLASS"})
                                     : item->name == "VALUE.NAMEDINSTANCE" || item->name == "VALUE.OBJECT"
                                         ? item->find({"INSTANCE", "CLASS"})
                                         : item.get();
                text += object && kinds.count(object->name) ? kinds.at(object->name) : "? ";
            }
        } else if (child->name == "RETURNVALUE" && other_kind_embedded(*child)) {
            notes.insert("an embedded object of the other kind than EmbeddedObject names is not decoded");
        } else if (kinds.count(child->name)) {
            text += kinds.at(child->name);
        }
    }
    return text;
}

// 1 when the document answers the operation in CIM / MESSAGE / SIMPLERSP
// (SIMPLEEXPRSP) / its response element, CIM being the root.
bool answers(const Node *root, const std::string &operation) {
    const Node *message = root && root->name == "CIM" ? root->child("MESSAGE") : nullptr;
    const Node *simple = message ? message->find({"SIMPLERSP", "SIMPLEEXPRSP"}) : nullptr;
    if (!simple || simple == message) return false;
    for (const char *kind : {"IMETHODRESPONSE", "METHODRESPONSE", "EXPMETHODRESPONSE"}) {
        const Node *answer = simple->child(kind);
        if (answer && (operation == "InvokeMethod" || answer->attribute("NAME") == operation)) return true;
    }
    return false;
}

std::string meta_field(const std::string &meta, const std::string &name) {
    std::size_t at = meta.find("\"" + name + "\": ");
    if (at == std::string::npos) return "";
    at += name.size() + 4;
    if (meta[at] == '"') return meta.substr(at + 1, meta.find('"', at + 1) - at - 1);
    return meta.substr(at, meta.find_first_of(",\n}", at) - at);
}

TEST(ResponseConformance, EveryDocumentDecodesAsItsContentSays) {
    std::filesystem::path folder = std::filesystem::path(testsupport::conformanceDir()) / "vectors";
    if (testsupport::conformanceDir().empty()) GTEST_SKIP() << "conformance folder absent";
    testsupport::LogCapture quiet(-1);
    for (bool strict : {false, true}) {
        testsupport::ProfileScope profile(strict);
        std::map<std::string, int> outcomes;
        std::set<std::string> notes;
        std::string failures;
        for (const auto &entry : std::filesystem::directory_iterator(folder)) {
            std::string file = entry.path().filename().string();
            if (!file.ends_with(".response.xml")) continue;
            std::string name = file.substr(0, file.size() - 13);
            std::string meta = testsupport::fileText(folder / (name + ".meta.json"));
            std::string text = testsupport::fileText(entry.path()), operation = meta_field(meta, "operation");
            std::string outcome = meta_field(meta, "outcome");
            auto decoder = decoders.find(operation);
            std::string decoded =
                decoder != decoders.end() ? decoder->second(text.c_str()) : decode_message(text.c_str());
            std::string status = decoded.substr(0, decoded.find('|')), results = decoded.substr(decoded.find('|') + 1);
            ++outcomes[outcome];
            std::string expected = status;
            std::unique_ptr<Node> tree = fixtures::parse_document(text);
            if (outcome == "ok") {
                const Node *answer =
                    tree ? tree->find({"IMETHODRESPONSE", "METHODRESPONSE", "EXPMETHODRESPONSE"}) : nullptr;
                expected = "0 " + (answer ? document_kinds(*answer, notes) : "(unreadable)");
                // A piece's EndOfSequence and EnumerationContext are the decoder's to read.
                if (operation.starts_with("Open") || operation.starts_with("Pull"))
                    for (std::size_t at; (at = expected.find("out ")) != std::string::npos;) expected.erase(at, 4);
                status += " " + (results == "(null)" ? "" : results);
            } else if (outcome == "cim_error") {
                expected = meta_field(meta, "cim_status");
                status = status.substr(0, status.find(':'));
            } else if (status == "0" && (outcome == "xml_error" || !answers(tree.get(), operation))) {
                expected = "a failure";
            }
            if (status != expected) failures += name + ": " + status + " instead of " + expected + "\n";
        }
        EXPECT_GT(outcomes["ok"], 250);
        EXPECT_GT(outcomes["cim_error"], 40);
        EXPECT_EQ(failures, "") << "strict " << strict;
        EXPECT_EQ(notes, (std::set<std::string>{
                             "an embedded object of the other kind than EmbeddedObject names is not decoded"}));
    }
}

const std::string message =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
    "<MESSAGE ID=\"7\" PROTOCOLVERSION=\"1.0\">\n<SIMPLERSP>\n<IMETHODRESPONSE NAME=\"GetClass\">\n"
    "<IRETURNVALUE>\n<CLASS NAME=\"CIM_Foo\">\n</CLASS>\n</IRETURNVALUE>\n</IMETHODRESPONSE>\n</SIMPLERSP>\n"
    "</MESSAGE>\n</CIM>\n";
const std::string ok = "HTTP/1.1 200 OK\r\nContent-Type: application/xml; charset=utf-8\r\n\r\n";
// The message with its response element's content replaced by body (and the element by element).
std::string answering(const std::string &body, const std::string &element = "IMETHODRESPONSE NAME=\"GetClass\"") {
    std::string name = element.substr(0, element.find(' '));
    return ok + message.substr(0, message.find("<IMETHODRESPONSE")) + "<" + element + ">\n" + body + "</" + name +
           ">\n</SIMPLERSP>\n</MESSAGE>\n</CIM>\n";
}
const std::string failed = "1: cimxml_decode_message - failed; ";

const struct {
    const char *name;
    std::string response;
    const char *decoder;
    std::string outcome;  // "status: description|results"
} badResponses[] = {
    {"AnHtmlErrorPage", ok + "<html><body>Internal error</body></html>", "GetClass",
     failed + "the body is not a CIM-XML response.|(null)"},
    {"A401", "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"cimom\"\r\n\r\n", "GetClass",
     failed + "HTTP status 401 Unauthorized.|(null)"},
    {"A500WithItsCIMError", "HTTP/1.1 500 Internal Server Error\r\ncimerror:  request-not-valid \r\n\r\n" + message,
     "GetClass", failed + "HTTP status 500 Internal Server Error; CIMError: request-not-valid.|(null)"},
    {"NoEmptyLine", "HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n" + message, "GetClass",
     failed + "Message body is NULL.|(null)"},
    {"NothingAtAll", "", "GetClass", failed + "Message header is NULL.|(null)"},
    {"NotWellFormed", ok + message.substr(0, message.find("</CLASS>")) + "</IRETURNVALUE>", "GetClass",
     failed + "the response is not well formed: mismatched tag at line 8 of the message.|(null)"},
    {"AnErrorByName", answering("<ERROR CODE=\"CIM_ERR_NOT_FOUND\" DESCRIPTION=\"no &lt;CIM_Foo&gt;\"/>\n"), "GetClass",
     "6: no <CIM_Foo>|(null)"},
    {"AnErrorByANumberBeyondTheKnownCodes", answering("<ERROR CODE=\"21\"/>\n"), "GetClass", "21|(null)"},
    {"AnErrorWithStatusZero", answering("<ERROR CODE=\"0\" DESCRIPTION=\"fine?\"/>\n"), "GetClass", "1: fine?|(null)"},
    {"AnErrorWithoutCode", answering("<ERROR DESCRIPTION=\"broken\"/>\n"), "GetClass", "1: broken|(null)"},
    {"AnErrorWithAnotherCodeText", answering("<ERROR CODE=\"0x6\"/>\n"), "GetClass", "1|(null)"},
    {"TheAnswerToAnotherOperation",
     answering("<IRETURNVALUE>\n</IRETURNVALUE>\n", "IMETHODRESPONSE NAME=\"EnumerateClasses\""), "GetClass",
     "1: CIMXMLdecode_getClass - failed; the response answers EnumerateClasses, not GetClass.|(null)"},
    {"TheClassicRefusalOfAnUnservedMethod",
     answering("<ERROR CODE=\"7\"/>\n", "IMETHODRESPONSE NAME=\"MethodResponse\""), "GetClass", "7|(null)"},
    {"AnExtrinsicAnswer", answering("", "METHODRESPONSE NAME=\"GetClass\""), "GetClass",
     "1: CIMXMLdecode_getClass - failed; the response answers the extrinsic method GetClass, not GetClass.|(null)"},
    {"AResultOfAnotherKind", answering("<IRETURNVALUE>\n<INSTANCE CLASSNAME=\"CIM_Foo\"/>\n</IRETURNVALUE>\n"),
     "GetClass", "1: CIMXMLdecode_getClass - failed; the response holds an instance where a class belongs.|(null)"},
    {"ResultsWhereNoneBelong",
     answering("<IRETURNVALUE>\n<CLASSNAME NAME=\"CIM_Foo\"/>\n</IRETURNVALUE>\n",
               "IMETHODRESPONSE NAME=\"DeleteClass\""),
     "DeleteClass",
     "1: CIMXMLdecode_deleteClass - failed; the response carries results, which a DeleteClass answer "
     "has none of.|(null)"},
    {"TheServerModulesOwnHeaderLines", "CIMOperation: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n\r\n" + message,
     "GetClass", "0|class "},
};

std::string decoded(const std::string &response, const char *operation) {
    return decoders.at(operation)(response.c_str());
}

TEST(BadResponses, GiveAClearStatus) {
    testsupport::LogCapture quiet(-1);
    for (const auto &bad : badResponses) EXPECT_EQ(decoded(bad.response, bad.decoder), bad.outcome) << bad.name;
}

// A pulled path is whole: host, namespace, class and keys, as an
// INSTANCEPATH gives them; the path of an instance beside it alike.
TEST(PulledPaths, KeepTheirHostAndNamespace) {
    const std::string path =
        "<INSTANCEPATH>\n<NAMESPACEPATH>\n<HOST>node7</HOST>\n<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n"
        "<NAMESPACE NAME=\"cimv2\"/>\n</LOCALNAMESPACEPATH>\n</NAMESPACEPATH>\n<INSTANCENAME CLASSNAME=\"CIM_Foo\">\n"
        "<KEYBINDING NAME=\"Id\">\n<KEYVALUE VALUETYPE=\"string\">a</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n"
        "</INSTANCEPATH>\n";
    const std::string outputs = "<PARAMVALUE NAME=\"EndOfSequence\" PARAMTYPE=\"boolean\">\n<VALUE>TRUE</VALUE>\n"
                                "</PARAMVALUE>\n<PARAMVALUE NAME=\"EnumerationContext\" PARAMTYPE=\"string\">\n"
                                "<VALUE></VALUE>\n</PARAMVALUE>\n";
    const std::string whole = "//node7/root/cimv2:CIM_Foo.Id=\"a\"";
    CIMString *context = nullptr;
    int ended = 0;
    CIMObjectPathList *paths = nullptr;
    std::string answer = answering("<IRETURNVALUE>\n" + path + path + "</IRETURNVALUE>\n" + outputs,
                                   "IMETHODRESPONSE NAME=\"PullInstancePaths\"");
    EXPECT_EQ(outcome(CIMXMLdecode_pullInstancePaths(answer.c_str(), &paths, &context, &ended)), "0");
    ASSERT_EQ(getLength(paths), 2);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(pathText(static_cast<CIMObjectPath *>(getElementAt(paths, i))), whole);
    freeList(paths);
    CIMInstanceList *instances = nullptr;
    answer = answering("<IRETURNVALUE>\n<VALUE.INSTANCEWITHPATH>\n" + path +
                           "<INSTANCE CLASSNAME=\"CIM_Foo\">\n</INSTANCE>\n</VALUE.INSTANCEWITHPATH>\n</IRETURNVALUE>\n" +
                           outputs,
                       "IMETHODRESPONSE NAME=\"PullInstancesWithPath\"");
    EXPECT_EQ(outcome(CIMXMLdecode_pullInstancesWithPath(answer.c_str(), &instances, &context, &ended)), "0");
    ASSERT_EQ(getLength(instances), 1);
    EXPECT_EQ(pathText(getInstancePath(static_cast<CIMInstance *>(getElementAt(instances, 0)))), whole);
    freeList(instances);
}

// Every cut before the message's end fails in the reader's words; once two
// rounds of every cut have brought the heap to its working size, a third
// round leaves it where it was.
TEST(BadResponses, CutAtEveryByteFailWithoutLeaking) {
    testsupport::LogCapture quiet(-1);
    const std::string whole = ok + message;
    const std::size_t complete = whole.rfind("</CIM>") + 6;
    std::string wrong;
    auto decode_every_cut = [&] {
        for (std::size_t length = 0; length <= whole.size(); ++length) {
            std::string outcome = decoded(whole.substr(0, length), "GetClass");
            bool good = length >= complete ? outcome == "0|class "
                                           : outcome.starts_with(failed) && outcome.ends_with("|(null)");
            if (!good) wrong += std::to_string(length) + ": " + outcome + "\n";
        }
    };
    decode_every_cut();
    decode_every_cut();
    std::size_t before = mallinfo2().uordblks;
    decode_every_cut();
    EXPECT_EQ(mallinfo2().uordblks, before);
    EXPECT_EQ(wrong, "");
}

}  // namespace
