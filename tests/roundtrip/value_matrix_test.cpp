// value_matrix_test.cpp - every value the server can hold, written by every
// write path and read back by every read path, before and after a restart
// on a repository file: each cell compares the whole value as a text that
// carries its type and array-ness (value_text.h). The values are MOF
// fragments compiled here against the matrix's classes; a cell is one
// property of one row, through one write path, one read path and one phase.
#include <cimom/handle.h>
#include <cimom/mof.h>
#include <cimom/object_manager.h>
#include <cimom/object_path_text.h>
#include <cimxml/cimxml_client.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "cim_connection.h"
#include "roundtrip/value_text.h"
#include "server_process.h"
#include "support/loaded_module.h"

namespace {

namespace fs = std::filesystem;
using cimobj::toUtf8;
using nlohmann::ordered_json;

const std::wstring ns = L"root/cimv2";
const std::string fixtureMof = CIMXML_SOURCE_DIR "/tests/roundtrip/value_matrix.mof";

bool strictRun() {
    const char *profile = std::getenv("CIMXML_PROFILE");
    return profile && std::string(profile) == "strict";
}

// ---- The values ----

struct Row {
    const char *name;
    const char *values;  // MOF property initialisers of a Matrix_Values instance
};

const Row rows[] = {
    {"typical",
     "U8 = 7; U8s = {1, 2, 3}; S8 = -7; S8s = {-1, 0, 1}; U16 = 700; U16s = {7, 700}; S16 = -700;"
     "S16s = {-700, 700}; U32 = 70000; U32s = {70000, 7}; S32 = -70000; S32s = {-70000, 70000};"
     "U64 = 7000000000; U64s = {7000000000}; S64 = -7000000000; S64s = {-7000000000, 7000000000};"
     "R32 = 1.5; R32s = {0.25, -2.5}; R64 = -2.25e-3; R64s = {3.141592653589793, 1e100};"
     "B = true; Bs = {true, false}; C16 = 'x'; C16s = {'a', 'Z'}; S = \"plain text\"; Ss = {\"one\", \"two words\"};"
     "T = \"20261207061742.123456+060\"; Ts = {\"20261207061742.123456-300\", \"00000001020304.000005:000\"};"
     "Ref = \"Matrix_Keys.S=\\\"k\\\",N=1,B=true\";"
     "Item = instance of Matrix_Item { Label = \"one\"; N = 1; };"
     "Items = {instance of Matrix_Item { Label = \"a\"; }, instance of Matrix_Item { Label = \"b\"; N = 2; }};"
     "Obj = instance of Matrix_Item { Label = \"in an object\"; };"
     "Objs = {instance of Matrix_Item { Label = \"x\"; }, instance of Matrix_Item { Label = \"y\"; }};"},
    {"extremes",
     "U8 = 255; U8s = {0, 255}; S8 = -128; S8s = {-128, 127}; U16 = 65535; U16s = {0, 65535}; S16 = -32768;"
     "S16s = {-32768, 32767}; U32 = 4294967295; U32s = {0, 4294967295}; S32 = -2147483648;"
     "S32s = {-2147483648, 2147483647}; U64 = 18446744073709551615; U64s = {0, 18446744073709551615};"
     "S64 = -9223372036854775808; S64s = {-9223372036854775808, 9223372036854775807};"
     "R32 = 3.4028235e38; R32s = {1.1754944e-38, 1e-45, -3.4028235e38, -0.0};"
     "R64 = 1.7976931348623157e308; R64s = {2.2250738585072014e-308, 5e-324, -1.7976931348623157e308, -0.0};"
     "B = false; Bs = {false};"
     "C16 = '\\xFFFD'; C16s = {'<', '&', '>', '\"', '\\'', ' ', '\\t', '\\xD7FF', '\\xE000', '\\x00E9'};"
     "S = \"<tag attr=\\\"v\\\" other='w'>&amp; &lt; ]]> \\t\\n\\r \xE4\xB8\xAD\xE6\x96\x87 \xC3\xA9 \xF0\x9F\x98\x80 "
     "\xC2\xA0\";"
     "Ss = {\"\", \" \", \"\\n\", \"ends with a line break\\n\", \"\\r\\n\", \"  blanks  \", \"<![CDATA[inside]]>\","
     "\"]]>\", \"\xF0\x9F\x98\x80\"};"
     "T = \"99991231235959.999999+720\";"
     "Ts = {\"00000000000000.000000+000\", \"2026****061742.******+000\", \"99999999235959.999999:000\"};"
     "Ref = \"Matrix_Keys.S=\\\"quote \\\\\\\" back \\\\\\\\ comma, equal= <&>\\\",N=18446744073709551615,B=false\";"
     "Item = instance of Matrix_Item { Label = \"outer\"; Inner = instance of Matrix_Item { Label = \"inner\";"
     "  Inner = instance of Matrix_Item { Label = \"innermost <&>\"; N = 3; }; }; };"
     "Items = {instance of Matrix_Item { Label = \"nested\"; Inner = instance of Matrix_Item { N = 0; }; },"
     "  instance of Matrix_Item { }};"
     "Obj = class Matrix_Shape { [Key] string Name; uint8 Sides = 4; };"
     "Objs = {class Matrix_Shape { [Key] string Name; }, instance of Matrix_Item { Label = \"beside a class\"; }};"},
    {"special",
     "R32 = NaN; R32s = {INF, -INF, NaN}; R64 = -INF; R64s = {NaN, INF, -INF}; S = \"\"; Ss = {\"\"};"},
    {"empty",
     "U8s = {}; S8s = {}; U16s = {}; S16s = {}; U32s = {}; S32s = {}; U64s = {}; S64s = {}; R32s = {}; R64s = {};"
     "Bs = {}; C16s = {}; Ss = {}; Ts = {}; Items = {}; Objs = {};"},
    {"null",
     "U8 = NULL; U8s = NULL; S8 = NULL; S8s = NULL; U16 = NULL; U16s = NULL; S16 = NULL; S16s = NULL;"
     "U32 = NULL; U32s = NULL; S32 = NULL; S32s = NULL; U64 = NULL; U64s = NULL; S64 = NULL; S64s = NULL;"
     "R32 = NULL; R32s = NULL; R64 = NULL; R64s = NULL; B = NULL; Bs = NULL; C16 = NULL; C16s = NULL;"
     "S = NULL; Ss = NULL; T = NULL; Ts = NULL; Ref = NULL; Item = NULL; Items = NULL; Obj = NULL; Objs = NULL;"},
    {"holes",
     "U8s = {1, NULL, 3}; Ss = {NULL, \"x\", NULL}; Bs = {NULL}; R64s = {NULL, 1.0}; Ts = {NULL};"
     "C16s = {NULL, 'a'}; Items = {NULL, instance of Matrix_Item { Label = \"after a hole\"; }};"},
};

// Values another row gives every property before a write path writes the
// row's own, so that a write that does nothing cannot pass.
const char *decoyFor(const Row &row) { return (&row == &rows[0] ? rows[1] : rows[0]).values; }

// ---- The matrix's classes and the expected values, compiled here ----

// Takes compiled instances instead of storing them; classes and
// qualifiers come from an object manager of their own.
class CollectingSink : public cimom::MofSink {
public:
    explicit CollectingSink(cimom::ObjectManager &om) : om_(om) {}
    cimom::Status setQualifierType(const std::wstring &space, cimobj::QualifierTypePtr declaration) override {
        return om_.setQualifier(space, *declaration);
    }
    cimom::Status createClass(const std::wstring &space, cimobj::ClassPtr cimClass) override {
        return om_.createClass(space, *cimClass);
    }
    cimom::Status createInstance(const std::wstring &, cimobj::InstancePtr instance, cimobj::PathPtr &) override {
        instances.push_back(std::move(instance));
        return cimom::Status::success();
    }
    const CIMClass *findClass(const std::wstring &space, const std::wstring &name) override {
        cimom::ClassOptions options;
        options.localOnly = false;
        lentClass_.reset();
        return om_.getClass(space, name, options, lentClass_).ok() ? lentClass_.get() : nullptr;
    }
    const CIMQualifierType *findQualifierType(const std::wstring &space, const std::wstring &name) override {
        lentQualifier_.reset();
        return om_.getQualifier(space, name, lentQualifier_).ok() ? lentQualifier_.get() : nullptr;
    }
    std::vector<cimobj::InstancePtr> instances;

private:
    cimom::ObjectManager &om_;
    cimobj::ClassPtr lentClass_;
    cimobj::QualifierTypePtr lentQualifier_;
};

struct Expected {
    cimobj::InstancePtr instance;
    std::vector<std::wstring> properties;  // the row's properties, in its order
};

class Schema {
public:
    Schema() {
        om_.loadDefaultSchema();
        std::vector<cimom::MofDiagnostic> errors = om_.compileMofFile(fixtureMof);
        if (!errors.empty()) ADD_FAILURE() << errors.front().text();
        cimom::ClassOptions options;
        options.localOnly = false;
        om_.getClass(ns, L"Matrix_Values", options, values_);
    }
    const CIMClass *values() const { return values_.get(); }
    // The declared type of a property, CIM_OBJECT and CIM_CLASS for embedded
    // instances and objects; -1 when undeclared.
    static int declaredType(const CIMPropertyList *declarations, const std::wstring &property) {
        const CIMProperty *p = findCIMProperty(declarations, property.c_str());
        if (!p) return -1;
        int type = p->type, array = type >= CIM_ARRAY ? CIM_ARRAY : 0;
        if (isBoolQualEnabledInList(p->qualifiers, L"EmbeddedObject")) type = CIM_CLASS + array;
        for (CIMListNode *node = getFirstNode(p->qualifiers); node; node = getNextNode(node))
            if (cimobj::view(static_cast<CIMQualifier *>(getNodeItem(node))->name) == L"EmbeddedInstance")
                type = CIM_OBJECT + array;
        return type;
    }
    static std::string declaredWord(const CIMPropertyList *declarations, const std::wstring &property) {
        int type = declaredType(declarations, property);
        return type < 0 ? "(undeclared)" : roundtrip::typeWord(type);
    }
    int declaredType(const std::wstring &property) const { return declaredType(values_->properties, property); }
    std::string declaredWord(const std::wstring &property) const { return declaredWord(values_->properties, property); }
    // Compiles an instance of Matrix_Values with key id and the values.
    Expected compile(const std::string &id, const std::string &values) {
        CollectingSink sink(om_);
        std::string text = instanceMof(id, values);
        std::vector<cimom::MofDiagnostic> errors = cimom::compileMofText(text, id + ".mof", sink);
        Expected expected;
        if (!errors.empty() || sink.instances.size() != 1) {
            ADD_FAILURE() << "row " << id << " does not compile: " << (errors.empty() ? "" : errors.front().text());
            return expected;
        }
        expected.instance = std::move(sink.instances.front());
        for (CIMListNode *node = getFirstNode(expected.instance->properties); node; node = getNextNode(node)) {
            auto *p = static_cast<CIMProperty *>(getNodeItem(node));
            std::wstring name(cimobj::view(p->name));
            if (name != L"Id" && name != L"Owner") expected.properties.push_back(name);
        }
        return expected;
    }
    static std::string instanceMof(const std::string &id, const std::string &values) {
        return "instance of Matrix_Values { Id = \"" + id + "\"; Owner = \"Matrix_Anchor.Id=\\\"A\\\"\"; " + values +
               " };\n";
    }

private:
    cimom::ObjectManager om_;
    cimobj::ClassPtr values_;
};

// ---- Talking to the server ----

// An instance of the class by its Id, or the class when id is empty.
cimobj::PathPtr valuesPath(const std::string &id = "", const wchar_t *className = L"Matrix_Values") {
    cimobj::PathPtr path(newObjectPathWithName(newCIMString(className)));
    setObjectPathNameSpace(path.get(), newCIMString(ns.c_str()));
    if (!id.empty())
        freeReturnCode(objectPathAddKey(path.get(), newPropertyKey(newCIMString(L"Id"), nullptr,
                                                                   newCIMValue(CIM_STRING, cimobj::makeString(cimobj::fromUtf8(id)).release()))));
    return path;
}

cimobj::PathPtr anchorPath() { return valuesPath("A", L"Matrix_Anchor"); }

std::string describe(ReturnCode *rc) {
    cimobj::ReturnCodePtr owner(rc);
    if (!rc || rc->rc == 0) return "";
    return std::to_string(rc->rc) + ": " + toUtf8(rc->description);
}

class Client {
public:
    explicit Client(int port)
        : connection_(remote::parseWbemUrl("http://127.0.0.1:" + std::to_string(port) + "/root/cimv2"),
                      remote::TransportOptions(), diagnostics_) {}

    // The answer's CIM-XML, or an empty text when the exchange failed (the
    // failure is in error).
    std::string call(char *request, const char *operation, std::string &error) {
        try {
            return connection_.exchange(request, operation);
        } catch (const std::exception &e) {
            error = std::string(operation) + ": " + e.what();
            return "";
        }
    }

private:
    std::ostringstream diagnostics_;
    remote::CimConnection connection_;
};

// ---- Write paths ----

struct WriteContext {
    Schema &schema;
    Client &client;
    int port;
    const fs::path &folder;
    // Writes of one property that were refused: instance id -> property -> why.
    std::map<std::string, std::map<std::wstring, std::string>> refusedProperties;
};

// Writes the row's values into instance id; "" when acknowledged, else what failed.
using WritePath = std::function<std::string(WriteContext &, const std::string &id, const Row &row)>;

std::string createInstance(WriteContext &c, const CIMInstance &instance) {
    std::string error;
    std::string answer = c.client.call(CIMXMLencode_createInstance(valuesPath().get(), &instance, 0),
                                       "CreateInstance", error);
    if (answer.empty()) return error;
    CIMObjectPath *made = nullptr;
    std::string status = describe(CIMXMLdecode_createInstance(answer.c_str(), &made));
    freeCIMObjectPath(made);
    return status.empty() ? "" : "CreateInstance " + status;
}

std::string check(WriteContext &c, char *request, const char *operation, ReturnCode *(*decode)(const char *)) {
    std::string error;
    std::string answer = c.client.call(request, operation, error);
    if (answer.empty()) return error;
    std::string status = describe(decode(answer.c_str()));
    return status.empty() ? "" : std::string(operation) + " " + status;
}

std::string runMofUpload(WriteContext &c, const std::string &text, const std::string &name) {
    fs::path file = c.folder / (name + ".mof");
    std::ofstream(file) << text;
    httptest::CommandResult result = httptest::runCommand(
        CIMXML_MOF_PATH, {"--url", "http://127.0.0.1:" + std::to_string(c.port) + "/root/cimv2", file.string()});
    return result.status == 0 ? "" : "cimxml-mof --url: " + result.err;
}

const std::vector<std::pair<std::string, WritePath>> writePaths = {
    {"CreateInstance",
     [](WriteContext &c, const std::string &id, const Row &row) {
         return createInstance(c, *c.schema.compile(id, row.values).instance);
     }},
    {"ModifyInstance",
     [](WriteContext &c, const std::string &id, const Row &row) {
         std::string failed = createInstance(c, *c.schema.compile(id, "").instance);
         if (!failed.empty()) return failed;
         cimobj::InstancePtr instance = c.schema.compile(id, row.values).instance;
         return check(c, CIMXMLencode_modifyInstance(valuesPath(id).get(), instance.get(), 0, nullptr, 0),
                      "ModifyInstance", CIMXMLdecode_modifyInstance);
     }},
    {"ModifyInstance+PropertyList",
     [](WriteContext &c, const std::string &id, const Row &row) {
         std::string failed = createInstance(c, *c.schema.compile(id, decoyFor(row)).instance);
         if (!failed.empty()) return failed;
         Expected expected = c.schema.compile(id, row.values);
         cimobj::ListPtr names(newCIMStringList());
         for (const std::wstring &name : expected.properties)
             freeReturnCode(appendToCIMStringList(names.get(), cimobj::makeString(name).release()));
         return check(c,
                      CIMXMLencode_modifyInstance(valuesPath(id).get(), expected.instance.get(), 0, names.get(), 0),
                      "ModifyInstance", CIMXMLdecode_modifyInstance);
     }},
    {"SetProperty",
     [](WriteContext &c, const std::string &id, const Row &row) {
         std::string failed = createInstance(c, *c.schema.compile(id, decoyFor(row)).instance);
         if (!failed.empty()) return failed;
         Expected expected = c.schema.compile(id, row.values);
         for (const std::wstring &name : expected.properties) {
             const CIMProperty *p = findCIMProperty(expected.instance->properties, name.c_str());
             cimobj::StringPtr propertyName = cimobj::makeString(name);
             std::string refused =
                 check(c, CIMXMLencode_setProperty(valuesPath(id).get(), propertyName.get(), p->value, 0),
                       "SetProperty", CIMXMLdecode_setProperty);
             if (!refused.empty()) c.refusedProperties[id][name] = refused;
         }
         return std::string();
     }},
    {"MOF through the server",
     [](WriteContext &c, const std::string &id, const Row &row) {
         return runMofUpload(c, Schema::instanceMof(id, row.values), id);
     }},
};

// The MOF compiled at start: every row, under its own ids.
const std::string startPath = "MOF at start";

// ---- Read paths ----

// What one read path saw: instance id -> property -> value text.
using Seen = std::map<std::string, std::map<std::wstring, std::string>>;

void see(Seen &seen, const CIMInstance *instance) {
    const CIMProperty *id = findCIMProperty(instance->properties, L"Id");
    if (!id || isCIMValueNull(id->value)) return;
    auto &properties = seen[toUtf8(id->value->data.string)];
    for (CIMListNode *node = getFirstNode(instance->properties); node; node = getNextNode(node)) {
        auto *p = static_cast<const CIMProperty *>(getNodeItem(node));
        properties[std::wstring(cimobj::view(p->name))] = roundtrip::propertyText(p);
    }
}

void seeList(Seen &seen, const CIMList *list) {
    for (CIMListNode *node = getFirstNode(list); node; node = getNextNode(node)) {
        const void *item = getNodeItem(node);
        if (getListType(list) == CIMLIST_INSTANCE) see(seen, static_cast<const CIMInstance *>(item));
    }
}

struct ReadContext {
    Schema &schema;
    Client &client;
    int port;
    const std::vector<std::string> &ids;
    std::vector<std::string> &failures;
};

using ReadPath = std::function<Seen(ReadContext &)>;
using ReadPaths = std::vector<std::pair<std::string, ReadPath>>;

template <typename Decode>
Seen readList(ReadContext &c, char *request, const char *operation, Decode decode) {
    Seen seen;
    std::string error;
    std::string answer = c.client.call(request, operation, error);
    CIMList *list = nullptr;
    std::string status = answer.empty() ? error : describe(decode(answer.c_str(), &list));
    if (!status.empty()) c.failures.push_back(std::string(operation) + ": " + status);
    seeList(seen, list);
    freeList(list);
    return seen;
}

const ReadPaths livePaths = {
    {"GetInstance",
     [](ReadContext &c) {
         Seen seen;
         for (const std::string &id : c.ids) {
             std::string error;
             std::string answer = c.client.call(
                 CIMXMLencode_getInstance(valuesPath(id).get(), 0, 0, 0, nullptr, 0), "GetInstance", error);
             CIMInstance *instance = nullptr;
             std::string status = answer.empty() ? error : describe(CIMXMLdecode_getInstance(answer.c_str(), &instance));
             if (!status.empty()) c.failures.push_back("GetInstance " + id + ": " + status);
             if (instance) see(seen, instance);
             freeCIMInstance(instance);
         }
         return seen;
     }},
    {"EnumerateInstances",
     [](ReadContext &c) {
         return readList(c, CIMXMLencode_enumerateInstances(valuesPath().get(), 1, 0, 0, 0, nullptr, 0),
                         "EnumerateInstances", [](const char *answer, CIMList **list) {
                             return CIMXMLdecode_enumerateInstances(answer, list);
                         });
     }},
    {"ExecQuery",
     [](ReadContext &c) {
         cimobj::StringPtr query = cimobj::makeString(L"SELECT * FROM Matrix_Values");
         cimobj::StringPtr language = cimobj::makeString(L"WQL");
         return readList(c, CIMXMLencode_execQuery(valuesPath().get(), query.get(), language.get(), 0), "ExecQuery",
                         CIMXMLdecode_execQuery);
     }},
    {"Associators",
     [](ReadContext &c) {
         cimobj::StringPtr assoc = cimobj::makeString(L"Matrix_Link");
         return readList(c,
                         CIMXMLencode_associators(anchorPath().get(), assoc.get(), nullptr, nullptr, nullptr, 0, 0,
                                                  nullptr, 0),
                         "Associators", CIMXMLdecode_associators);
     }},
    {"References",
     [](ReadContext &c) {
         cimobj::StringPtr result = cimobj::makeString(L"Matrix_Values");
         return readList(c,
                         CIMXMLencode_references(anchorPath().get(), result.get(), nullptr, 0, 0, nullptr, 0),
                         "References", CIMXMLdecode_references);
     }},
    {"GetProperty",
     [](ReadContext &c) {
         Seen seen;
         for (const std::string &id : c.ids) {
             for (CIMListNode *node = getFirstNode(c.schema.values()->properties); node; node = getNextNode(node)) {
                 auto *declared = static_cast<const CIMProperty *>(getNodeItem(node));
                 std::wstring name(cimobj::view(declared->name));
                 if (name == L"Id" || name == L"Owner") continue;
                 std::string error;
                 std::string answer = c.client.call(
                     CIMXMLencode_getProperty(valuesPath(id).get(), declared->name, 0), "GetProperty", error);
                 CIMValue *value = nullptr;
                 std::string status =
                     answer.empty() ? error : describe(CIMXMLdecode_getProperty(answer.c_str(), &value));
                 cimobj::ValuePtr owner(value);
                 if (!status.empty()) {
                     c.failures.push_back("GetProperty " + id + "." + toUtf8(name) + ": " + status);
                     continue;
                 }
                 cimobj::ValuePtr typed = roundtrip::typedFromText(value, c.schema.declaredType(name));
                 seen[id][name] = typed ? roundtrip::valueText(c.schema.declaredWord(name), typed.get())
                                        : "untypable " + roundtrip::valueText("?", value);
             }
         }
         return seen;
     }},
    {"cimxml-cli JSON",
     [](ReadContext &c) {
         Seen seen;
         httptest::CommandResult result = httptest::runCommand(
             CIMXML_CLI_PATH, {"enumerate-instances", "http://127.0.0.1:" + std::to_string(c.port) +
                                                         "/root/cimv2:Matrix_Values", "-o", "json"});
         if (result.status != 0) c.failures.push_back("cimxml-cli: " + result.err);
         std::istringstream lines(result.out);
         for (std::string line; std::getline(lines, line);) {
             ordered_json instance = ordered_json::parse(line, nullptr, false);
             if (instance.is_discarded() || !instance.contains("properties")) {
                 c.failures.push_back("cimxml-cli printed a line that is no JSON instance: " + line.substr(0, 200));
                 continue;
             }
             const ordered_json &properties = instance["properties"];
             std::string id = properties.contains("Id") ? properties["Id"].value("value", "") : "";
             for (const auto &[name, typed] : properties.items())
                 seen[id][cimobj::fromUtf8(name)] = roundtrip::jsonPropertyText(typed);
         }
         return seen;
     }},
};

// ---- The matrix ----

// What the classic profile loses, as its encoders and decoders are
// defined to (the README lists the same); strict keeps every cell.
const char *const classicLossReasons[] = {
    "an empty array is written as no VALUE.ARRAY, read as NULL",
    "NULL elements of an array are left out",
    "a char16 is read as a number",
    "a CR is written as such (a parser reads it as LF); line breaks are trimmed off the start, and a CR with "
    "the character after it off the end",
    "SetProperty and GetProperty carry an embedded object as no value",
    "an EmbeddedObject property's instance is read as a class, and an array of classes is not embedded",
    "a PROPERTY.ARRAY with EmbeddedObject is typed as a scalar",
    // InvokeMethod only:
    "a NULL array output parameter is written as a scalar",
};
constexpr std::size_t instanceLosses = 7;  // the reasons before the InvokeMethod one

// The reason classic loses a cell; NULL for a cell it keeps.
const char *classicLoss(const Row &row, const std::wstring &property, const std::string &write,
                        const std::string &read) {
    std::string name(row.name);
    bool array = !property.empty() && property.back() == L's';
    bool embedded = property == L"Item" || property == L"Items" || property == L"Obj" || property == L"Objs";
    const char *const *reason = classicLossReasons;
    if (name == "empty" && array) return reason[0];
    if (name == "holes") return reason[1];
    if (property == L"C16" || property == L"C16s") return reason[2];
    if (name == "extremes" && (property == L"S" || property == L"Ss")) return reason[3];
    if (embedded && (write == "SetProperty" || read == "GetProperty")) return reason[4];
    if (property == L"Obj" || property == L"Objs") return reason[5];
    if (property == L"Items") return reason[6];
    if (write == "InvokeMethod" && name == "null" && array) return reason[7];
    return nullptr;
}

struct Tally {
    std::size_t cells = 0;
    std::map<std::string, std::size_t> classicLosses;  // the cells classic loses as defined, by reason
    std::size_t failed = 0;
    std::set<std::string> paths;  // every "write path / read path / phase"
    // "row.property: want / got" -> the paths that gave it
    std::map<std::string, std::set<std::string>> mismatches;
};

struct Written {
    std::string path;
    const Row *row;
    std::string id;
    std::string refused;  // why the write failed; empty when acknowledged
    std::map<std::wstring, std::string> refusedProperties;  // the same for single properties
};

void compare(Schema &schema, const std::vector<Written> &written, const std::string &readPath,
             const std::string &phase, const Seen &seen, Tally &tally) {
    for (const Written &w : written) {
        Expected expected = schema.compile(w.id, w.row->values);
        if (!expected.instance) continue;
        std::string where = w.path + " / " + readPath + " / " + phase;
        tally.paths.insert(where);
        for (const std::wstring &name : expected.properties) {
            ++tally.cells;
            const CIMProperty *p = findCIMProperty(expected.instance->properties, name.c_str());
            std::string want = roundtrip::valueText(schema.declaredWord(name), p->value);
            auto refusal = w.refusedProperties.find(name);
            std::string refused = refusal != w.refusedProperties.end() ? refusal->second : w.refused;
            std::string got = !refused.empty() ? "write refused: " + refused : "(not read)";
            auto instance = seen.find(w.id);
            if (refused.empty() && instance != seen.end()) {
                auto value = instance->second.find(name);
                got = value == instance->second.end() ? "(property absent)" : value->second;
            }
            if (got == want) continue;
            if (!strictRun()) {
                if (const char *loss = classicLoss(*w.row, name, w.path, readPath)) {
                    ++tally.classicLosses[loss];
                    continue;
                }
            }
            ++tally.failed;
            tally.mismatches[std::string(w.row->name) + "." + toUtf8(name) + "\n    want " + want + "\n    got  " +
                             got]
                .insert(where);
        }
    }
}

std::string idOf(const std::string &path, const Row &row) {
    std::string id;
    for (char c : path) id += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return id + "-" + row.name;
}

TEST(ValueMatrix, EveryValueSurvivesEveryWriteAndReadPath) {
    Schema schema;
    fs::path folder = fs::temp_directory_path() / ("value_matrix_" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string repository = (folder / "repository.db").string();
    std::string profile = strictRun() ? "strict" : "classic";

    std::vector<Written> written;
    {
        std::ofstream start(folder / "start.mof");
        for (const Row &row : rows) {
            written.push_back({startPath, &row, idOf(startPath, row), "", {}});
            start << Schema::instanceMof(written.back().id, row.values);
        }
    }
    std::vector<std::string> ids;
    Tally tally;
    auto readBy = [&](const ReadPaths &paths, Client &client, int port, const std::string &phase) {
        std::vector<std::string> failures;
        ReadContext c{schema, client, port, ids, failures};
        for (const auto &[name, read] : paths) compare(schema, written, name, phase, read(c), tally);
        for (const std::string &failure : failures) ADD_FAILURE() << phase << ": " << failure;
    };
    {
        httptest::ServerProcess server({"--repository", repository, "--profile", profile, "--mof", fixtureMof,
                                        "--mof", (folder / "start.mof").string()});
        ASSERT_GT(server.port(), 0) << server.log();
        Client client(server.port());
        WriteContext c{schema, client, server.port(), folder, {}};
        for (const auto &[path, write] : writePaths) {
            for (const Row &row : rows) {
                written.push_back({path, &row, idOf(path, row), "", {}});
                written.back().refused = write(c, written.back().id, row);
                written.back().refusedProperties = c.refusedProperties[written.back().id];
            }
        }
        std::string links;
        for (const Written &w : written) {
            if (!w.refused.empty()) {
                ADD_FAILURE() << w.path << " refused row " << w.row->name << ": " << w.refused;
                continue;
            }
            ids.push_back(w.id);
            links += "instance of Matrix_Link { Anchor = \"Matrix_Anchor.Id=\\\"A\\\"\"; Values = "
                     "\"Matrix_Values.Id=\\\"" + w.id + "\\\"\"; };\n";
        }
        EXPECT_EQ(runMofUpload(c, links, "links"), "");
        readBy(livePaths, client, server.port(), "before restart");
        EXPECT_EQ(server.stop(), 0);
    }
    {
        // The dump of the file, loaded into a new one, serves the same values.
        httptest::CommandResult dump = httptest::runCommand(CIMXML_MOF_PATH, {"--dump", "--repository", repository});
        ASSERT_EQ(dump.status, 0) << dump.err;
        std::ofstream(folder / "dump.mof") << dump.out;
        std::string loaded = (folder / "loaded.db").string();
        httptest::CommandResult load = httptest::runCommand(
            CIMXML_MOF_PATH, {"--bare", "--repository", loaded, (folder / "dump.mof").string()});
        ASSERT_EQ(load.status, 0) << load.err;
        httptest::ServerProcess server({"--repository", loaded, "--profile", profile});
        ASSERT_GT(server.port(), 0) << server.log();
        Client client(server.port());
        readBy({{"MOF dump", livePaths[1].second}}, client, server.port(), "loaded");
    }
    {
        httptest::ServerProcess server({"--repository", repository, "--profile", profile});
        ASSERT_GT(server.port(), 0) << server.log();
        Client client(server.port());
        readBy(livePaths, client, server.port(), "after restart");
    }
    fs::remove_all(folder);

    std::ostringstream report;
    report << tally.cells << " cells, " << tally.failed << " failed (" << profile << ")\n";
    for (const auto &[reason, count] : tally.classicLosses) report << "  " << count << " lost as classic does: " << reason << "\n";
    // Each mismatch once, with the paths that gave it, by write path.
    for (const auto &[mismatch, where] : tally.mismatches) {
        std::map<std::string, std::string> byWrite;
        for (const std::string &one : where)
            byWrite[one.substr(0, one.find(" / "))] += " " + one.substr(one.find(" / ") + 3) + ";";
        report << mismatch << "\n";
        if (where == tally.paths) report << "    by every path\n";
        else
            for (const auto &[write, reads] : byWrite) report << "    by " << write << ":" << reads << "\n";
    }
    std::cout << report.str();
    EXPECT_EQ(tally.failed, 0u) << report.str();
    // Each classic loss the README names happens: none is stale.
    for (std::size_t i = 0; i < instanceLosses && !strictRun(); ++i)
        EXPECT_GT(tally.classicLosses[classicLossReasons[i]], 0u) << classicLossReasons[i];
}

// ---- InvokeMethod: the module and the object manager in this process ----

// Hands every input parameter back as the output parameter of its name.
class EchoProvider : public cimom::MethodProvider {
public:
    cimom::Status invokeMethod(const cimom::ProviderContext &, const CIMObjectPath &, const CIMMethod &,
                               const std::vector<cimobj::PropertyPtr> &in, std::vector<cimobj::PropertyPtr> &out,
                               cimobj::ValuePtr &returnValue) override {
        for (const cimobj::PropertyPtr &parameter : in) out.emplace_back(copyCIMProperty(parameter.get()));
        uint32_t zero = 0;
        returnValue.reset(newCIMValue(CIM_UINT32, &zero));
        return cimom::Status::success();
    }
};

// The Echo method's reference array, by row: path texts, NULL for a NULL
// element; a row without one sends none, "null" sends a NULL array.
struct Refs {
    const char *row;
    bool null;
    std::vector<const char *> paths;
};
const Refs refsByRow[] = {
    {"typical", false, {"Matrix_Keys.S=\"a\",N=1,B=true", "Matrix_Keys.S=\"b\",N=2,B=false"}},
    {"extremes", false, {"Matrix_Keys.S=\"<&>\\\"\",N=18446744073709551615,B=true"}},
    {"empty", false, {}},
    {"null", true, {}},
    {"holes", false, {nullptr, "Matrix_Keys.S=\"c\",N=3,B=true"}},
};

cimobj::ValuePtr refsValue(const Refs &refs) {
    if (refs.null) return cimobj::ValuePtr(newCIMValueNULL(CIM_REFERENCE + CIM_ARRAY));
    cimobj::ListPtr elements(newCIMValueList());
    for (const char *text : refs.paths) {
        cimobj::PathPtr path = text ? cimom::parseObjectPathText(cimobj::fromUtf8(text)) : nullptr;
        CIMValue *element = path ? newCIMValue(CIM_REFERENCE, path.release()) : newCIMValueNULL(CIM_REFERENCE);
        freeReturnCode(appendToCIMValueList(elements.get(), element));
    }
    return cimobj::ValuePtr(newCIMValue(CIM_REFERENCE + CIM_ARRAY, elements.release()));
}

TEST(ValueMatrix, EveryValueSurvivesInvokeMethodInAndOut) {
    testsupport::LoadedModule module;
    ASSERT_TRUE(module.loaded());
    auto om = std::make_shared<cimom::ObjectManager>();
    om->loadDefaultSchema();
    ASSERT_TRUE(om->compileMofFile(fixtureMof).empty());
    om->registerMethodProvider(ns, L"Matrix_Values", std::make_shared<EchoProvider>());
    cimom::installObjectManager(om);
    CIMOMHandle handle = {};
    cimom::fillCimomHandle(handle);
    Schema schema;
    ASSERT_NE(schema.values(), nullptr);
    const CIMPropertyList *declarations = getMethodParameters(
        static_cast<const CIMMethod *>(getElementAt(getClassMethods(schema.values()), 0)));
    std::size_t cells = 0;
    std::vector<std::string> failures;
    std::map<std::string, std::size_t> classicLosses;
    for (const Row &row : rows) {
        Expected expected = schema.compile(std::string("invoke-") + row.name, row.values);
        cimobj::ListPtr in(newCIMPropertyList());
        for (const std::wstring &name : expected.properties) {
            const CIMProperty *p = findCIMProperty(expected.instance->properties, name.c_str());
            freeReturnCode(appendToCIMPropertyList(in.get(), copyCIMProperty(p)));
        }
        for (const Refs &refs : refsByRow) {
            if (std::string(refs.row) != row.name) continue;
            cimobj::ValuePtr value = refsValue(refs);
            int type = value->type;
            freeReturnCode(appendToCIMPropertyList(in.get(), newProperty(newCIMString(L"Refs"), nullptr,
                                                                         value.release(), type, nullptr, 0)));
        }
        cimobj::StringPtr method = cimobj::makeString(L"Echo");
        char *request = CIMXMLencode_invokeMethod(valuesPath("x").get(), method.get(), in.get(), 0);
        ASSERT_NE(request, nullptr);
        std::string body = std::strstr(request, "\r\n\r\n") + 4;
        std::string answer = module.answer(body, &handle);
        CIMPropertyList *out = nullptr;
        CIMValue *returned = nullptr;
        std::string status = describe(CIMXMLdecode_invokeMethod(answer.c_str(), &out, &returned));
        cimobj::ListPtr outOwner(out);
        cimobj::ValuePtr returnedOwner(returned);
        EXPECT_EQ(status, "") << row.name;
        for (CIMListNode *node = getFirstNode(in.get()); node; node = getNextNode(node)) {
            auto *sent = static_cast<const CIMProperty *>(getNodeItem(node));
            std::wstring name(cimobj::view(sent->name));
            ++cells;
            std::string want = roundtrip::valueText(Schema::declaredWord(declarations, name), sent->value);
            const CIMProperty *back = findCIMProperty(out, name.c_str());
            // A NULL output parameter is left out of the answer, which reads as NULL.
            std::string got = back ? roundtrip::propertyText(back)
                              : isCIMValueNull(sent->value) ? want : "(not returned)";
            if (got == want) continue;
            const char *loss = strictRun() ? nullptr : classicLoss(row, name, "InvokeMethod", "");
            if (loss) ++classicLosses[loss];
            else
                failures.push_back(std::string(row.name) + "." + toUtf8(name) + "\n    want " + want + "\n    got  " + got);
        }
    }
    std::cout << cells << " InvokeMethod cells, " << failures.size() << " failed\n";
    for (const auto &[reason, count] : classicLosses) std::cout << "  " << count << " lost as classic does: " << reason << "\n";
    if (!strictRun()) {
        EXPECT_GT(classicLosses[classicLossReasons[instanceLosses]], 0u);
    }
    for (const std::string &failure : failures) ADD_FAILURE() << failure;
}

}  // namespace
