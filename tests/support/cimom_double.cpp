// cimom_double.cpp - the stand-in object manager: slot functions made from
// the handle's own signatures, call records, object texts and builders.
#include "support/cimom_double.h"

#include <gc/gc.h>

#include <array>
#include <sstream>
#include <stdexcept>
#include <tuple>
#include <type_traits>

namespace testsupport {

namespace {

// Every slot the module calls, with its argument names (results left out).
#define CIMOM_SLOTS(X)                                                                                           \
    X(enumerateClassNames, "path deepInheritance")                                                               \
    X(enumerateClasses, "path deepInheritance localOnly includeQualifiers includeClassOrigin")                   \
    X(deleteQualifier, "path")                                                                                   \
    X(getQualifier, "nameSpace qualifierName")                                                                   \
    X(setQualifier, "path declaration")                                                                          \
    X(enumerateQualifiers, "path")                                                                               \
    X(createClass, "path newClass")                                                                              \
    X(deleteClass, "path")                                                                                       \
    X(getClass, "path localOnly includeQualifiers includeClassOrigin propertyList")                              \
    X(modifyClass, "path modifiedClass")                                                                         \
    X(getProperty, "instancePath propertyName")                                                                  \
    X(setProperty, "instancePath propertyName newValue")                                                         \
    X(setInstance, "path instance includeQualifiers propertyList")                                               \
    X(createInstance, "path instance")                                                                           \
    X(deleteInstance, "instancePath")                                                                            \
    X(enumerateInstances, "path localOnly deepInheritance includeQualifiers includeClassOrigin propertyList")    \
    X(enumerateInstanceNames, "path")                                                                            \
    X(getInstance, "instancePath localOnly includeQualifiers includeClassOrigin propertyList")                   \
    X(execQuery, "path query queryLanguage")                                                                     \
    X(invokeMethod, "path methodName inParameters outParameters")                                                \
    X(associators, "path assocClass resultClass role resultRole includeQualifiers includeClassOrigin propertyList") \
    X(associatorNames, "path assocClass resultClass role resultRole")                                            \
    X(references, "path resultClass role includeQualifiers includeClassOrigin propertyList")                     \
    X(referenceNames, "path resultClass role")                                                                   \
    X(deliverIndication, "path indication")

#define SLOT_INDEX(name, args) slot_##name,
enum { CIMOM_SLOTS(SLOT_INDEX) slot_count };
#define SLOT_INFO(name, args) {"pfn_" #name, args},
const std::pair<const char *, const char *> slots[] = {CIMOM_SLOTS(SLOT_INFO)};

int slot_index(const std::string &name) {
    for (int i = 0; i < slot_count; ++i)
        if (name == slots[i].first) return i;
    throw std::invalid_argument("no CIMOM handle slot named " + name);
}

constexpr int bank_count = 4;
std::array<std::atomic<CimomDouble *>, bank_count> owners{};

std::string text_of(int flag) { return std::to_string(flag); }
std::string text_of(const CIMString *text) { return narrowText(text); }
std::string text_of(const CIMObjectPath *path) { return pathText(path); }
std::string text_of(const CIMValue *value) { return valueText(value); }
std::string text_of(const CIMInstance *instance) { return instanceText(instance); }
std::string text_of(const CIMClass *cimClass) { return classText(cimClass); }
std::string text_of(const CIMQualifierType *declaration) { return declarationText(declaration); }
std::string text_of(const CIMList *list) { return listText(list); }

// Out-results are the pointer-to-pointer arguments.
template <typename T>
constexpr bool is_result = std::is_pointer_v<std::remove_pointer_t<T>>;

// Slot N of bank B: records the arguments as one line, then hands over the
// owner's status and result.
template <int B, int N, typename... A>
ReturnCode *slot_function(A... args) {
    CimomDouble *self = owners[B].load();
    if (self == nullptr) return newReturnCode(1, L"test object manager is gone");
    std::string line;
    if (self->recording()) {
        std::istringstream names(slots[N].second);
        auto record = [&](auto arg) {
            std::string name;
            if constexpr (!is_result<decltype(arg)>) {
                names >> name;
                line += (line.empty() ? "" : ", ") + name + "=" + text_of(arg);
            }
        };
        (record(args), ...);
        line = std::string(slots[N].first) + "(" + line + ")\n";
    }
    CIMPropertyList *outParameters = nullptr;
    if constexpr (N == slot_invokeMethod) outParameters = std::get<3>(std::tie(args...));
    // Named, not bound: a lambda may not capture a structured binding before C++20.
    auto answer = self->answer(N, std::move(line), outParameters);
    auto status = answer.first;
    auto result = answer.second;
    auto hand_over = [&](auto arg) {
        if constexpr (is_result<decltype(arg)>) {
            if (arg != nullptr) *arg = static_cast<std::remove_pointer_t<decltype(arg)>>(result);
        }
    };
    (hand_over(args), ...);
    return status;
}

template <int B, int N, typename... A>
auto bound(ReturnCode *(*)(A...)) {
    return &slot_function<B, N, A...>;
}

template <int B>
void fill(CIMOMHandle *h) {
#define SLOT_FILL(name, args) h->pfn_##name = bound<B, slot_##name>(h->pfn_##name);
    CIMOM_SLOTS(SLOT_FILL)
}
void (*const fills[bank_count])(CIMOMHandle *) = {fill<0>, fill<1>, fill<2>, fill<3>};

// ---- Texts ----

const char *const type_names[] = {"uint8",  "sint8",  "uint16",   "sint16", "uint32", "sint32",    "uint64",
                                  "sint64", "string", "boolean",  "real32", "real64", "datetime",  "char16",
                                  "reference", "object", "class", "null", "empty"};

std::string type_text(int type) {
    int scalar = type >= CIM_ARRAY ? type - CIM_ARRAY : type;
    if (scalar < 0 || scalar > CIM_EMPTY) return "type" + std::to_string(type);
    return std::string(type_names[scalar]) + (type >= CIM_ARRAY ? "[]" : "");
}

bool present(const CIMString *text) { return text != nullptr && getCIMStringBuffer(text) != nullptr; }
std::string or_absent(const CIMString *text, const char *absent) { return present(text) ? narrowText(text) : absent; }
// " <label>=<text>" when text is present.
std::string labelled(const char *label, const CIMString *text) {
    return present(text) ? std::string(" ") + label + "=" + narrowText(text) : "";
}

std::string literal(const CIMValue *value);
std::string joined(const CIMList *list);
std::string items(const CIMList *list) { return "{" + joined(list) + "}"; }

std::string qualifiers_text(const CIMQualifierList *list) {
    std::string text;
    for (int i = 0; i < getLength(list); ++i) {
        auto *q = static_cast<const CIMQualifier *>(getElementAt(list, i));
        text += (i > 0 ? "," : " [") + narrowText(getQualifierName(q)) + ":" + type_text(getQualifierValueType(q)) +
                "=" + literal(getQualifierValue(q)) + " flavor=" + std::to_string(getQualifierFlavors(q)) +
                (isQualifierPropagated(q) ? " propagated" : "");
    }
    return text.empty() ? text : text + "]";
}

// The list's items, comma-separated, by its list type.
std::string joined(const CIMList *list) {
    std::string text;
    for (CIMListNode *node = getFirstNode(list); node != nullptr; node = getNextNode(node)) {
        const void *item = getNodeItem(node);
        int type = getListType(list);
        text += (text.empty() ? "" : ",") +
                (type == CIMLIST_STRING       ? narrowText(static_cast<const CIMString *>(item))
                 : type == CIMLIST_PROPERTY   ? propertyText(static_cast<const CIMProperty *>(item))
                 : type == CIMLIST_VALUE      ? literal(static_cast<const CIMValue *>(item))
                 : type == CIMLIST_INSTANCE   ? instanceText(static_cast<const CIMInstance *>(item))
                 : type == CIMLIST_OBJECTPATH ? pathText(static_cast<const CIMObjectPath *>(item))
                 : type == CIMLIST_CLASS      ? classText(static_cast<const CIMClass *>(item))
                 : type == CIMLIST_QUALIFIERTYPE ? declarationText(static_cast<const CIMQualifierType *>(item))
                                              : "?");
    }
    return text;
}

std::string literal(const CIMValue *value) {
    if (isCIMValueNull(value)) return "(null)";
    if (value->type >= CIM_ARRAY) return "[" + joined(value->data.array) + "]";
    switch (value->type) {
    case CIM_STRING:
    case CIM_DATETIME: return "\"" + narrowText(value->data.string) + "\"";
    case CIM_REFERENCE: return "{" + pathText(value->data.reference) + "}";
    case CIM_OBJECT: return "{" + instanceText(value->data.instance) + "}";
    case CIM_CLASS: return "{" + classText(value->data.cimClass) + "}";
    }
    char *text = getCharFromCIMValue(value);
    std::string result = text != nullptr ? text : "?";
    GC_free(text);
    return value->type == CIM_CHAR16 ? "'" + result + "'" : result;
}

}  // namespace

std::string valueText(const CIMValue *value) {
    return value == nullptr ? "(null)" : type_text(value->type) + " " + literal(value);
}

std::string narrowText(const CIMString *text) {
    if (!present(text)) return "(null)";
    char *chars = createCharFromCIMString(text);
    std::string result = chars != nullptr ? chars : "";
    GC_free(chars);
    return result;
}

std::string pathText(const CIMObjectPath *path) {
    if (path == nullptr) return "(null)";
    std::string text = present(path->host) ? "//" + narrowText(path->host) + "/" : "";
    text += or_absent(path->nameSpace, "(null)") + ":" + or_absent(path->className, "(none)");
    for (int i = 0; i < getLength(path->mkeys); ++i) {
        auto *key = static_cast<const CIMProperty *>(getElementAt(path->mkeys, i));
        text += (i == 0 ? "." : ",") + narrowText(propertyGetName(key)) + "=" + literal(propertyGetValue(key));
    }
    return text;
}

std::string propertyText(const CIMProperty *p) {
    if (p == nullptr) return "(null)";
    return narrowText(propertyGetName(p)) + ":" + type_text(propertyGetType(p)) + "=" + literal(propertyGetValue(p)) +
           (propertyIsKey(p) ? " key" : "") + labelled("origin", propertyGetClassOrigin(p)) +
           (isPropertyPropagated(p) ? " propagated" : "") + labelled("refclass", propertyGetReferenceClass(p)) +
           qualifiers_text(propertyGetQualifiers(p));
}

std::string instanceText(const CIMInstance *instance) {
    if (instance == nullptr) return "(null)";
    return or_absent(getInstanceNameSpace(instance), "(null)") + ":" + or_absent(getInstanceName(instance), "(none)") +
           items(getInstanceProperties(instance));
}

std::string classText(const CIMClass *cimClass) {
    if (cimClass == nullptr) return "(null)";
    std::string text = or_absent(getClassNameSpace(cimClass), "(null)") + ":" +
                       or_absent(getClassName(cimClass), "(none)") +
                       (present(getClassSuperName(cimClass)) ? ":" + narrowText(getClassSuperName(cimClass)) : "") +
                       qualifiers_text(getClassQualifiers(cimClass)) + items(getClassProperties(cimClass));
    for (int i = 0; i < getLength(getClassMethods(cimClass)); ++i) {
        auto *m = static_cast<const CIMMethod *>(getElementAt(getClassMethods(cimClass), i));
        text += " " + narrowText(getMethodName(m)) + ":" + type_text(getMethodReturnType(m)) + "(" +
                joined(getMethodParameters(m)) + ")" + labelled("origin", getMethodClassOrigin(m)) +
                (isMethodPropagated(m) ? " propagated" : "") + qualifiers_text(getMethodQualifiers(m));
    }
    return text;
}

std::string declarationText(const CIMQualifierType *declaration) {
    if (declaration == nullptr) return "(null)";
    return narrowText(getQualifierTypeName(declaration)) + ":" + type_text(getQualifierTypeValueType(declaration)) +
           "=" + literal(getQualifierTypeValue(declaration)) +
           " scope=" + std::to_string(getQualifierTypeScope(declaration)) +
           " flavor=" + std::to_string(getQualifierTypeFlavors(declaration));
}

std::string listText(const CIMList *list) { return list == nullptr ? "(null)" : items(list); }

// ---- The double ----

CimomDouble::CimomDouble() : setup_(slot_count) {
    for (int bank = 0; bank < bank_count && bank_ < 0; ++bank) {
        CimomDouble *expected = nullptr;
        if (owners[bank].compare_exchange_strong(expected, this)) bank_ = bank;
    }
    if (bank_ < 0) throw std::runtime_error("too many CimomDouble objects alive at once");
    fills[bank_](&handle_);
}

CimomDouble::~CimomDouble() { owners[bank_].store(nullptr); }

void CimomDouble::setStatus(const std::string &slot, int code, std::optional<std::string> description) {
    int index = slot_index(slot);
    std::lock_guard<std::mutex> lock(mutex_);
    setup_[index].code = code;
    setup_[index].description = std::move(description);
}

void CimomDouble::setResult(const std::string &slot, Factory factory) {
    int index = slot_index(slot);
    std::lock_guard<std::mutex> lock(mutex_);
    setup_[index].factory = std::move(factory);
}

void CimomDouble::setInvokeOutput(OutputFiller filler) {
    std::lock_guard<std::mutex> lock(mutex_);
    outputFiller_ = std::move(filler);
}

CIMQualifierType *makeQualifierDeclaration(const wchar_t *name) {
    int no = 0;
    return newQualifierType(newCIMString(name), CIM_FLAVOR_ENABLEOVERRIDE | CIM_FLAVOR_TOSUBCLASS,
                            newCIMValue(CIM_BOOLEAN, &no), CIM_BOOLEAN, CIM_SIZE_SINGLE,
                            CIM_SCOPE_PROPERTY | CIM_SCOPE_REFERENCE);
}

namespace {

CIMValue *string_value(const std::wstring &text) { return newCIMValue(CIM_STRING, newCIMString(text.c_str())); }
void add(CIMPropertyList *list, const wchar_t *name, CIMValue *value) {
    freeReturnCode(appendToCIMPropertyList(
        list, newProperty(newCIMString(name), nullptr, value, getCIMValueType(value), nullptr, 0)));
}

// A factory of new lists of listType with count items made by make(index).
template <typename Make>
CimomDouble::Factory list_of(int listType, int count, Make make) {
    return [=] {
        CIMList *list = newList(listType);
        for (int i = 0; i < count; ++i) freeReturnCode(appendToList(list, make(i)));
        return static_cast<void *>(list);
    };
}
// A class with key "Name" (qualifier Key), "Caption", "Count" and "Enabled".
CIMClass *makeClass(const wchar_t *className) {
    CIMClass *cimClass = newCIMClass(newCIMString(className), nullptr);
    setClassNameSpace(cimClass, newCIMString(L"root/cimv2"));
    CIMPropertyList *properties = newCIMPropertyList();
    int yes = 1, no = 0;
    add(properties, L"Name", newCIMValueNULL(CIM_STRING));
    freeReturnCode(propertyAddQualifier(getCIMPropertyAt(properties, 0),
                                        newQualifier(newCIMString(L"Key"), CIM_FLAVOR_DISABLEOVERRIDE |
                                                     CIM_FLAVOR_TOSUBCLASS, newCIMValue(CIM_BOOLEAN, &yes),
                                                     CIM_BOOLEAN, 0)));
    add(properties, L"Caption", string_value(L"A thing"));
    add(properties, L"Count", newCIMValueNULL(CIM_UINT32));
    add(properties, L"Enabled", newCIMValue(CIM_BOOLEAN, &no));
    setClassProperties(cimClass, properties);
    return cimClass;
}

// An instance with ten properties of several types, key "Name" = "<class>-<index>",
// and its own path.
CIMInstance *makeInstance(const wchar_t *className, int index) {
    std::wstring number = std::to_wstring(index);
    uint32_t count = static_cast<uint32_t>(index);
    uint64_t size = 1000000000000ULL + static_cast<uint64_t>(index);
    int32_t delta = -index;
    int enabled = index % 2;
    double ratio = 0.25;
    CIMPropertyList *properties = newCIMPropertyList();
    freeReturnCode(appendToCIMPropertyList(properties, newPropertyKey(newCIMString(L"Name"), nullptr,
                                                                      string_value(className + (L"-" + number)))));
    add(properties, L"Caption", string_value(L"Item " + number));
    add(properties, L"Description", string_value(L"Test item <" + number + L"> & co"));
    add(properties, L"ElementName", string_value(L"element" + number));
    add(properties, L"Count", newCIMValue(CIM_UINT32, &count));
    add(properties, L"Size", newCIMValue(CIM_UINT64, &size));
    add(properties, L"Delta", newCIMValue(CIM_SINT32, &delta));
    add(properties, L"Enabled", newCIMValue(CIM_BOOLEAN, &enabled));
    add(properties, L"Ratio", newCIMValue(CIM_REAL64, &ratio));
    add(properties, L"Installed", newCIMValue(CIM_DATETIME, const_cast<wchar_t *>(L"20240131120000.000000+000")));
    CIMInstance *instance = newInstance(newCIMString(className), newCIMString(L"root/cimv2"), properties);
    setInstancePath(instance, newObjectPathFromInst(instance));
    return instance;
}

// The path makeInstance gives its instance.
CIMObjectPath *makeInstancePath(const wchar_t *className, int index) {
    CIMInstance *instance = makeInstance(className, index);
    CIMObjectPath *path = copyObjectPath(getInstancePath(instance));
    freeCIMInstance(instance);
    return path;
}

auto instances(const wchar_t *className, int count) {
    return list_of(CIMLIST_INSTANCE, count, [=](int i) { return makeInstance(className, i); });
}
auto paths(const wchar_t *className, int count) {
    return list_of(CIMLIST_OBJECTPATH, count, [=](int i) { return makeInstancePath(className, i); });
}

}  // namespace

void CimomDouble::answerEverySlot() {
    auto numbered = [](const wchar_t *prefix, int i) { return prefix + std::to_wstring(i); };
    setResult("pfn_enumerateClassNames", paths(L"CIM_Foo", 2));
    setResult("pfn_enumerateClasses",
              list_of(CIMLIST_CLASS, 2, [=](int i) { return makeClass(numbered(L"CIM_Class", i).c_str()); }));
    setResult("pfn_getQualifier", [] { return makeQualifierDeclaration(L"Key"); });
    setResult("pfn_enumerateQualifiers", list_of(CIMLIST_QUALIFIERTYPE, 2, [=](int i) {
                  return makeQualifierDeclaration(numbered(L"Qualifier", i).c_str());
              }));
    setResult("pfn_getClass", [] { return makeClass(L"CIM_Foo"); });
    setResult("pfn_getProperty", [] { return string_value(L"property value"); });
    setResult("pfn_createInstance", [] { return makeInstancePath(L"CIM_Foo", 1); });
    setResult("pfn_enumerateInstances", instances(L"CIM_Foo", 3));
    setResult("pfn_enumerateInstanceNames", paths(L"CIM_Foo", 3));
    setResult("pfn_getInstance", [] { return makeInstance(L"CIM_Foo", 1); });
    setResult("pfn_execQuery", instances(L"CIM_Foo", 2));
    setResult("pfn_invokeMethod", [] {
        uint32_t zero = 0;
        return newCIMValue(CIM_UINT32, &zero);
    });
    setInvokeOutput([](CIMPropertyList *out) { add(out, L"Result", string_value(L"done")); });
    setResult("pfn_associators", instances(L"CIM_Bar", 2));
    setResult("pfn_associatorNames", paths(L"CIM_Bar", 2));
    setResult("pfn_references", instances(L"CIM_FooBar", 2));
    setResult("pfn_referenceNames", paths(L"CIM_FooBar", 2));
}

std::string CimomDouble::callsText() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::size_t CimomDouble::callCount(const std::string &slot) const {
    int index = slot_index(slot);
    std::lock_guard<std::mutex> lock(mutex_);
    return setup_[index].calls;
}

void CimomDouble::clearCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
    for (Setup &setup : setup_) setup.calls = 0;
}

std::pair<ReturnCode *, void *> CimomDouble::answer(int slot, std::string &&call, CIMPropertyList *outParameters) {
    Setup setup;
    OutputFiller filler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++setup_[slot].calls;
        if (recording_) calls_ += call;
        setup = setup_[slot];
        filler = outputFiller_;
    }
    // Factories and fillers run outside the lock: they may be slow.
    void *result = setup.factory ? setup.factory() : nullptr;
    if (filler && outParameters != nullptr && setup.code == 0) filler(outParameters);
    std::string text = setup.description.value_or("");  // ASCII
    return {newReturnCode(setup.code, setup.description ? std::wstring(text.begin(), text.end()).c_str() : nullptr),
            result};
}

CIMInstanceList *makeInstanceList(const wchar_t *className, int count) {
    return static_cast<CIMInstanceList *>(instances(className, count)());
}

}  // namespace testsupport
