// The list readers against the whole-text decoders: the same document fed
// in pieces of 1, 7 and 4096 bytes gives the same objects in the same order
// and the same outcome, in both profiles, for documents of our own and for
// every response document of an independent client to the list operations;
// a late failure and a callback that stops are the outcome.
#include <cimxml/cimxml_client.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "support/conformance_requests.h"
#include "support/decoded_results.h"
#include "support/log_capture.h"
#include "support/profiles.h"

namespace {

using testsupport::outcome;

struct Operation {
    CIMXMLListOperation reader;
    ReturnCode *(*whole)(const char *response, CIMList **results);
};
const std::map<std::string, Operation> operations = {
    {"EnumerateInstances", {CIMXML_LIST_ENUMERATE_INSTANCES, CIMXMLdecode_enumerateInstances}},
    {"EnumerateInstanceNames", {CIMXML_LIST_ENUMERATE_INSTANCE_NAMES, CIMXMLdecode_enumerateInstanceNames}},
    {"EnumerateClasses", {CIMXML_LIST_ENUMERATE_CLASSES, CIMXMLdecode_enumerateClasses}},
    {"EnumerateClassNames", {CIMXML_LIST_ENUMERATE_CLASS_NAMES, CIMXMLdecode_enumerateClassNames}},
    {"Associators", {CIMXML_LIST_ASSOCIATORS, CIMXMLdecode_associators}},
    {"AssociatorNames", {CIMXML_LIST_ASSOCIATOR_NAMES, CIMXMLdecode_associatorNames}},
    {"References", {CIMXML_LIST_REFERENCES, CIMXMLdecode_references}},
    {"ReferenceNames", {CIMXML_LIST_REFERENCE_NAMES, CIMXMLdecode_referenceNames}},
    {"ExecQuery", {CIMXML_LIST_EXEC_QUERY, CIMXMLdecode_execQuery}},
};

std::string item_text(int kind, const void *item) {
    switch (kind) {
        case CIMLIST_INSTANCE: return "instance " + testsupport::instanceText(static_cast<const CIMInstance *>(item));
        case CIMLIST_CLASS: return "class " + testsupport::classText(static_cast<const CIMClass *>(item));
        case CIMLIST_OBJECTPATH: return "path " + testsupport::pathText(static_cast<const CIMObjectPath *>(item));
        default: return "?";
    }
}

// "outcome|item\nitem\n...": the status code alone when it is the decoder's
// own failure (the two name themselves differently), the results only on
// success (the whole decoder drops them on failure).
std::string shown(std::string status, const std::string &items) {
    if (status.rfind("1: ", 0) == 0 && status.find(" - failed; ") != std::string::npos) status = "1";
    return status + "|" + (status == "0" ? items : "");
}

std::string whole(const Operation &op, const std::string &document) {
    CIMList *results = nullptr;
    std::string status = outcome(op.whole(document.c_str(), &results));
    std::string items;
    for (CIMListNode *node = getFirstNode(results); node; node = getNextNode(node))
        items += item_text(getListType(results), getNodeItem(node)) + "\n";
    freeList(results);
    return shown(status, items);
}

struct Gathered {
    std::string items;
    int stopAt = 0;  // the result at which the callback says stop (from 1); 0 never
    int taken = 0;
};

int gather(void *context, int kind, void *object) {
    auto *gathered = static_cast<Gathered *>(context);
    gathered->items += item_text(kind, object) + "\n";
    CIMList *owner = newList(kind);  // frees the object as its kind
    freeReturnCode(appendToList(owner, object));
    freeList(owner);
    return ++gathered->taken == gathered->stopAt;
}

std::string read(const Operation &op, const std::string &document, std::size_t piece, int lateStatus = 0,
                 int stopAt = 0) {
    Gathered gathered{"", stopAt};
    CIMXMLListReader *reader = CIMXMLdecode_openListReader(op.reader, gather, &gathered);
    if (!reader) return "(no reader)";
    for (std::size_t at = 0; at < document.size(); at += piece)
        if (CIMXMLdecode_feedListReader(reader, document.data() + at, std::min(piece, document.size() - at))) break;
    std::string status = outcome(CIMXMLdecode_finishListReader(reader, lateStatus, "went away"));
    return lateStatus || stopAt ? status + "|" + gathered.items : shown(status, gathered.items);
}

std::string message(const std::string &operation, const std::string &inner) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">"
           "<MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLERSP><IMETHODRESPONSE NAME=\"" +
           operation + "\">" + inner + "</IMETHODRESPONSE></SIMPLERSP></MESSAGE></CIM>\n";
}
const std::string localPath = "<LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/>"
                              "</LOCALNAMESPACEPATH>";
std::string name(const std::string &key) {
    return "<INSTANCENAME CLASSNAME=\"T_Item\"><KEYBINDING NAME=\"Name\"><KEYVALUE VALUETYPE=\"string\">" + key +
           "</KEYVALUE></KEYBINDING></INSTANCENAME>";
}
std::string instance(const std::string &key) {
    return "<INSTANCE CLASSNAME=\"T_Item\"><PROPERTY NAME=\"Name\" TYPE=\"string\"><VALUE>" + key +
           "</VALUE></PROPERTY><PROPERTY.ARRAY NAME=\"Sizes\" TYPE=\"uint16\"><VALUE.ARRAY><VALUE>1</VALUE>"
           "<VALUE>2</VALUE></VALUE.ARRAY></PROPERTY.ARRAY><PROPERTY NAME=\"Note\" TYPE=\"string\" "
           "EmbeddedObject=\"instance\"><VALUE>&lt;INSTANCE CLASSNAME=\"T_Inner\"&gt;&lt;PROPERTY NAME=\"A\" "
           "TYPE=\"uint8\"&gt;&lt;VALUE&gt;3&lt;/VALUE&gt;&lt;/PROPERTY&gt;&lt;/INSTANCE&gt;</VALUE></PROPERTY>"
           "</INSTANCE>";
}
const std::string cimClass = "<CLASS NAME=\"T_Item\" SUPERCLASS=\"T_Base\"><QUALIFIER NAME=\"Description\" "
                             "TYPE=\"string\"><VALUE>An &amp; item</VALUE></QUALIFIER><PROPERTY NAME=\"Name\" "
                             "TYPE=\"string\"/><METHOD NAME=\"Go\" TYPE=\"uint32\"><PARAMETER NAME=\"Fast\" "
                             "TYPE=\"boolean\"/></METHOD></CLASS>";
std::string withPath(const std::string &object, const std::string &path) {
    return "<VALUE.OBJECTWITHPATH><INSTANCEPATH><NAMESPACEPATH><HOST>h</HOST>" + localPath + "</NAMESPACEPATH>" +
           path + "</INSTANCEPATH>" + object + "</VALUE.OBJECTWITHPATH>";
}
std::string returned(const std::string &items) { return "<IRETURNVALUE>" + items + "</IRETURNVALUE>"; }

struct Document {
    const char *operation;
    std::string text;
};
const std::vector<Document> ourDocuments = {
    {"EnumerateInstances",
     message("EnumerateInstances",
             returned("<VALUE.NAMEDINSTANCE>" + name("a&amp;b") + instance("a&amp;b") + "</VALUE.NAMEDINSTANCE>" +
                      "<VALUE.NAMEDINSTANCE>" + name("<![CDATA[c<d]]>") + instance("<![CDATA[c<d]]>") +
                      "</VALUE.NAMEDINSTANCE>"))},
    {"EnumerateInstanceNames", message("EnumerateInstanceNames", returned(name("x") + name("y") + name("z")))},
    {"EnumerateInstanceNames", message("EnumerateInstanceNames", returned(""))},
    {"EnumerateClasses", message("EnumerateClasses", returned(cimClass + cimClass))},
    {"EnumerateClassNames",
     message("EnumerateClassNames", returned("<CLASSNAME NAME=\"T_One\"/><CLASSNAME NAME=\"T_Two\"/>"))},
    {"Associators", message("Associators", returned(withPath(instance("p"), name("p")) +
                                                    withPath(instance("q"), name("q"))))},
    {"Associators", message("Associators", returned("<VALUE.OBJECTWITHPATH><CLASSPATH><NAMESPACEPATH><HOST>h</HOST>" +
                                                    localPath + "</NAMESPACEPATH><CLASSNAME NAME=\"T_Item\"/>"
                                                                "</CLASSPATH>" +
                                                    cimClass + "</VALUE.OBJECTWITHPATH>"))},
    {"ReferenceNames",
     message("ReferenceNames", returned("<OBJECTPATH><INSTANCEPATH><NAMESPACEPATH><HOST>h</HOST>" + localPath +
                                        "</NAMESPACEPATH>" + name("r") + "</INSTANCEPATH></OBJECTPATH>"))},
    {"ExecQuery", message("ExecQuery", returned(withPath(instance("e"), name("e"))))},
    // The server's error, the answer to another operation, results of the
    // wrong kind after good ones, a document cut short, no CIM-XML at all.
    {"EnumerateInstances",
     message("EnumerateInstances", "<ERROR CODE=\"6\" DESCRIPTION=\"no class T_Item\"/>")},
    {"References", message("Associators", returned(withPath(instance("p"), name("p"))))},
    {"EnumerateInstanceNames", message("EnumerateInstanceNames", returned(name("x") + cimClass))},
    {"EnumerateInstanceNames",
     message("EnumerateInstanceNames", returned(name("x") + name("y"))).substr(0, 300)},
    {"EnumerateClassNames", "<html><body>Not here</body></html>"},
};

// Each document whole and in pieces of every size, in both profiles.
void expect_same(const std::string &label, const Operation &op, const std::string &text, std::string &failures) {
    for (bool strict : {false, true}) {
        testsupport::ProfileScope profile(strict);
        std::string expected = whole(op, text);
        for (std::size_t piece : {1u, 7u, 4096u}) {
            std::string got = read(op, text, piece);
            if (got != expected)
                failures += label + " (strict " + std::to_string(strict) + ", pieces of " + std::to_string(piece) +
                            "):\n  whole: " + expected + "\n  read:  " + got + "\n";
        }
    }
}

TEST(ListReader, DeliversWhatTheWholeTextDecoderDeliversWhateverThePieces) {
    testsupport::LogCapture quiet(-1);
    std::string failures;
    for (std::size_t i = 0; i < ourDocuments.size(); ++i)
        expect_same("document " + std::to_string(i), operations.at(ourDocuments[i].operation), ourDocuments[i].text,
                    failures);
    EXPECT_EQ(failures, "");
    // The good ones succeed with every result; the others fail as they should.
    std::string outcomes;
    for (const Document &document : ourDocuments) {
        std::string got = whole(operations.at(document.operation), document.text);
        outcomes += got.substr(0, got.find('|')) + " " + std::to_string(std::count(got.begin(), got.end(), '\n')) +
                    ", ";
    }
    EXPECT_EQ(outcomes, "0 2, 0 3, 0 0, 0 2, 0 2, 0 2, 0 1, 0 1, 0 1, 6: no class T_Item 0, 1 0, 1 0, 1 0, 1 0, ");
    // Some of them are worth a look of their own.
    EXPECT_EQ(whole(operations.at("EnumerateClassNames"), ourDocuments[4].text),
              "0|path (null):T_One\npath (null):T_Two\n");
    EXPECT_EQ(whole(operations.at("EnumerateInstances"), ourDocuments[9].text), "6: no class T_Item|");
}

TEST(ListReader, DeliversWhatTheWholeTextDecoderDeliversForIndependentDocuments) {
    std::filesystem::path folder = std::filesystem::path(testsupport::conformanceDir()) / "vectors";
    if (testsupport::conformanceDir().empty()) GTEST_SKIP() << "conformance folder absent";
    testsupport::LogCapture quiet(-1);
    std::string failures;
    int read = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        std::string file = entry.path().filename().string();
        if (!file.ends_with(".response.xml")) continue;
        std::string meta = testsupport::fileText(folder / (file.substr(0, file.size() - 13) + ".meta.json"));
        std::size_t at = meta.find("\"operation\": \"");
        if (at == std::string::npos) continue;
        at += 14;
        auto op = operations.find(meta.substr(at, meta.find('"', at) - at));
        if (op == operations.end()) continue;
        expect_same(file, op->second, testsupport::fileText(entry.path()), failures);
        ++read;
    }
    EXPECT_GT(read, 100);
    EXPECT_EQ(failures, "");
}

TEST(ListReader, LateFailuresAndStopsAreTheOutcomeAfterTheResultsDelivered) {
    testsupport::LogCapture quiet(-1);
    const Operation &names = operations.at("EnumerateInstanceNames");
    const std::string three = message("EnumerateInstanceNames", returned(name("x") + name("y") + name("z")));
    const std::string cut = three.substr(0, three.find(name("z")));
    struct Case {
        std::string document;
        int lateStatus, stopAt;
        std::string expected;
    } cases[] = {
        {cut, 1, 0, "1: went away|path (null):T_Item.Name=\"x\"\npath (null):T_Item.Name=\"y\"\n"},
        {three, 7, 0, "7: went away|path (null):T_Item.Name=\"x\"\npath (null):T_Item.Name=\"y\"\npath (null):T_Item.Name=\"z\"\n"},
        {three, 0, 2,
         "1: CIMXMLdecode_enumerateInstanceNames - failed; the caller stopped reading the results.|"
         "path (null):T_Item.Name=\"x\"\npath (null):T_Item.Name=\"y\"\n"},
        {cut, 0, 0, "1|"},
    };
    for (const Case &c : cases)
        for (std::size_t piece : {1u, 4096u})
            EXPECT_EQ(read(names, c.document, piece, c.lateStatus, c.stopAt), c.expected) << c.document;
    EXPECT_EQ(CIMXMLdecode_openListReader(static_cast<CIMXMLListOperation>(99), gather, nullptr), nullptr);
    EXPECT_EQ(CIMXMLdecode_feedListReader(nullptr, "<", 1), 1);
    EXPECT_EQ(outcome(CIMXMLdecode_finishListReader(nullptr, 0, nullptr)),
              "1: CIMXMLdecode_finishListReader - failed; no reader.");
}

}  // namespace
