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

enum {
#define SLOT_INDEX(name, args) slot_##name,
    CIMOM_SLOTS(SLOT_INDEX)
#undef SLOT_INDEX
    slot_count
};

struct SlotInfo {
    const char *name;
    const char *args;
};
const SlotInfo slots[] = {
#define SLOT_INFO(name, args) {"pfn_" #name, args},
    CIMOM_SLOTS(SLOT_INFO)
#undef SLOT_INFO
};

int slot_index(const std::string &name) {
    for (int i = 0; i < slot_count; ++i) {
        if (name == slots[i].name) return i;
    }
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

// Slot N of bank B: records the arguments, then hands over the owner's
// status and result.
template <int B, int N, typename... A>
ReturnCode *slot_function(A... args) {
    CimomDouble *self = owners[B].load();
    if (self == nullptr) return newReturnCode(1, L"test object manager is gone");
    CallArgs texts;
    if (self->recording()) {
        std::istringstream names(slots[N].args);
        auto record = [&](auto arg) {
            std::string name;
            if constexpr (!is_result<decltype(arg)>) {
                names >> name;
                texts.emplace_back(name, text_of(arg));
            }
        };
        (record(args), ...);
    }
    CIMPropertyList *outParameters = nullptr;
    if constexpr (N == slot_invokeMethod) outParameters = std::get<3>(std::tie(args...));
    auto [status, result] = self->answer(N, std::move(texts), outParameters);
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
#undef SLOT_FILL
}
void (*const fills[bank_count])(CIMOMHandle *) = {fill<0>, fill<1>, fill<2>, fill<3>};

// ---- Texts ----

const char *const type_names[] = {"uint8",   "sint8",   "uint16",   "sint16", "uint32",    "sint32", "uint64",
                                  "sint64",  "string",  "boolean",  "real32", "real64",    "datetime", "char16",
                                  "reference", "object", "class",   "null",   "empty"};

std::string type_text(int type) {
    int scalar = type >= CIM_ARRAY ? type - CIM_ARRAY : type;
    if (scalar < 0 || scalar > CIM_EMPTY) return "type" + std::to_string(type);
    return std::string(type_names[scalar]) + (type >= CIM_ARRAY ? "[]" : "");
}

bool present(const CIMString *text) { return text != nullptr && getCIMStringBuffer(text) != nullptr; }
std::string or_absent(const CIMString *text, const char *absent) { return present(text) ? narrowText(text) : absent; }

std::string literal(const CIMValue *value);

std::string qualifiers_text(const CIMQualifierList *list) {
    if (getLength(list) == 0) return "";
    std::string text = " [";
    for (int i = 0; i < getLength(list); ++i) {
        auto *q = static_cast<const CIMQualifier *>(getElementAt(list, i));
        text += (i > 0 ? "," : "") + narrowText(getQualifierName(q)) + ":" + type_text(getQualifierValueType(q)) +
                "=" + literal(getQualifierValue(q)) + " flavor=" + std::to_string(getQualifierFlavors(q)) +
                (isQualifierPropagated(q) ? " propagated" : "");
    }
    return text + "]";
}

std::string property_text(const CIMProperty *p) {
    if (p == nullptr) return "(null)";
    std::string text = narrowText(propertyGetName(p)) + ":" + type_text(propertyGetType(p)) + "=" +
                       literal(propertyGetValue(p));
    if (propertyIsKey(p)) text += " key";
    if (present(propertyGetClassOrigin(p))) text += " origin=" + narrowText(propertyGetClassOrigin(p));
    if (isPropertyPropagated(p)) text += " propagated";
    if (present(propertyGetReferenceClass(p))) text += " refclass=" + narrowText(propertyGetReferenceClass(p));
    return text + qualifiers_text(propertyGetQualifiers(p));
}

// The list's items, comma-separated, by its list type.
std::string joined(const CIMList *list) {
    std::string text;
    for (CIMListNode *node = getFirstNode(list); node != nullptr; node = getNextNode(node)) {
        const void *item = getNodeItem(node);
        text += text.empty() ? "" : ",";
        switch (getListType(list)) {
        case CIMLIST_STRING: text += narrowText(static_cast<const CIMString *>(item)); break;
        case CIMLIST_PROPERTY: text += property_text(static_cast<const CIMProperty *>(item)); break;
        case CIMLIST_VALUE: text += literal(static_cast<const CIMValue *>(item)); break;
        case CIMLIST_INSTANCE: text += instanceText(static_cast<const CIMInstance *>(item)); break;
        case CIMLIST_OBJECTPATH: text += pathText(static_cast<const CIMObjectPath *>(item)); break;
        default: text += "?";
        }
    }
    return text;
}

std::string items(const CIMList *list) { return "{" + joined(list) + "}"; }

std::string literal(const CIMValue *value) {
    if (isCIMValueNull(value)) return "(null)";
    if (value->type >= CIM_ARRAY) return "[" + joined(value->data.array) + "]";
    switch (value->type) {
    case CIM_STRING:
    case CIM_DATETIME: return "\"" + narrowText(value->data.string) + "\"";
    case CIM_REFERENCE: return "{" + pathText(value->data.reference) + "}";
    case CIM_OBJECT: return "{" + instanceText(value->data.instance) + "}";
    case CIM_CLASS: return "{" + classText(value->data.cimClass) + "}";
    default: break;
    }
    char *text = getCharFromCIMValue(value);
    std::string result = text != nullptr ? text : "?";
    GC_free(text);
    return value->type == CIM_CHAR16 ? "'" + result + "'" : result;
}

}  // namespace

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

std::string propertyText(const CIMProperty *property) { return property_text(property); }

std::string valueText(const CIMValue *value) {
    return value == nullptr ? "(null)" : type_text(value->type) + " " + literal(value);
}

std::string instanceText(const CIMInstance *instance) {
    if (instance == nullptr) return "(null)";
    return or_absent(getInstanceNameSpace(instance), "(null)") + ":" + or_absent(getInstanceName(instance), "(none)") +
           items(getInstanceProperties(instance));
}

std::string classText(const CIMClass *cimClass) {
    if (cimClass == nullptr) return "(null)";
    std::string text =
        or_absent(getClassNameSpace(cimClass), "(null)") + ":" + or_absent(getClassName(cimClass), "(none)");
    if (present(getClassSuperName(cimClass))) text += ":" + narrowText(getClassSuperName(cimClass));
    text += qualifiers_text(getClassQualifiers(cimClass)) + items(getClassProperties(cimClass));
    for (int i = 0; i < getLength(getClassMethods(cimClass)); ++i) {
        auto *m = static_cast<const CIMMethod *>(getElementAt(getClassMethods(cimClass), i));
        text += " " + narrowText(getMethodName(m)) + ":" + type_text(getMethodReturnType(m)) + "(" +
                joined(getMethodParameters(m)) + ")";
        if (present(getMethodClassOrigin(m))) text += " origin=" + narrowText(getMethodClassOrigin(m));
        if (isMethodPropagated(m)) text += " propagated";
        text += qualifiers_text(getMethodQualifiers(m));
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

namespace {

CIMProperty *property(const wchar_t *name, int type, CIMValue *value) {
    return newProperty(newCIMString(name), nullptr, value, type, nullptr, 0);
}

CIMValue *string_value(const std::wstring &text) { return newCIMValue(CIM_STRING, newCIMString(text.c_str())); }

void add(CIMPropertyList *list, CIMProperty *p) { freeReturnCode(appendToCIMPropertyList(list, p)); }

// A new list of listType with count items made by make(index).
template <typename Make>
CIMList *list_of(int listType, int count, Make make) {
    CIMList *list = newList(listType);
    for (int i = 0; i < count; ++i) freeReturnCode(appendToList(list, make(i)));
    return list;
}

}  // namespace

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

void CimomDouble::answerEverySlot() {
    setResult("pfn_enumerateClassNames", [] { return makePathList(L"CIM_Foo", 2); });
    setResult("pfn_enumerateClasses", [] {
        return list_of(CIMLIST_CLASS, 2, [](int i) { return makeClass((L"CIM_Class" + std::to_wstring(i)).c_str()); });
    });
    setResult("pfn_getQualifier", [] { return makeQualifierDeclaration(L"Key"); });
    setResult("pfn_enumerateQualifiers", [] {
        return list_of(CIMLIST_QUALIFIERTYPE, 2, [](int i) {
            return makeQualifierDeclaration((L"Qualifier" + std::to_wstring(i)).c_str());
        });
    });
    setResult("pfn_getClass", [] { return makeClass(L"CIM_Foo"); });
    setResult("pfn_getProperty", [] { return newCIMValue(CIM_STRING, newCIMString(L"property value")); });
    setResult("pfn_createInstance", [] { return makeInstancePath(L"CIM_Foo", 1); });
    setResult("pfn_enumerateInstances", [] { return makeInstanceList(L"CIM_Foo", 3); });
    setResult("pfn_enumerateInstanceNames", [] { return makePathList(L"CIM_Foo", 3); });
    setResult("pfn_getInstance", [] { return makeInstance(L"CIM_Foo", 1); });
    setResult("pfn_execQuery", [] { return makeInstanceList(L"CIM_Foo", 2); });
    setResult("pfn_invokeMethod", [] {
        uint32_t zero = 0;
        return newCIMValue(CIM_UINT32, &zero);
    });
    setInvokeOutput([](CIMPropertyList *out) { add(out, property(L"Result", CIM_STRING, string_value(L"done"))); });
    setResult("pfn_associators", [] { return makeInstanceList(L"CIM_Bar", 2); });
    setResult("pfn_associatorNames", [] { return makePathList(L"CIM_Bar", 2); });
    setResult("pfn_references", [] { return makeInstanceList(L"CIM_FooBar", 2); });
    setResult("pfn_referenceNames", [] { return makePathList(L"CIM_FooBar", 2); });
}

std::string CimomDouble::callsText() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text;
    for (const auto &[slot, args] : calls_) {
        text += std::string(slots[slot].name) + "(";
        for (std::size_t i = 0; i < args.size(); ++i)
            text += (i > 0 ? ", " : "") + args[i].first + "=" + args[i].second;
        text += ")\n";
    }
    return text;
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

std::pair<ReturnCode *, void *> CimomDouble::answer(int slot, CallArgs &&args, CIMPropertyList *outParameters) {
    Setup setup;
    OutputFiller filler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++setup_[slot].calls;
        if (recording_) calls_.emplace_back(slot, std::move(args));
        setup = setup_[slot];
        filler = outputFiller_;
    }
    // Factories and fillers run outside the lock: they may be slow.
    void *result = setup.factory ? setup.factory() : nullptr;
    if (filler && outParameters != nullptr && setup.code == 0) filler(outParameters);
    if (!setup.description) return {newReturnCode(setup.code, nullptr), result};
    CIMString *text = createCIMStringFromChar(setup.description->c_str());
    ReturnCode *status = newReturnCode(setup.code, getCIMStringBuffer(text));
    freeCIMString(text);
    return {status, result};
}


CIMClass *makeClass(const wchar_t *className, const wchar_t *nameSpace) {
    CIMClass *cimClass = newCIMClass(newCIMString(className), nullptr);
    setClassNameSpace(cimClass, newCIMString(nameSpace));
    CIMPropertyList *properties = newCIMPropertyList();
    CIMProperty *name = property(L"Name", CIM_STRING, nullptr);
    int yes = 1, no = 0;
    freeReturnCode(propertyAddQualifier(name, newQualifier(newCIMString(L"Key"), CIM_FLAVOR_DISABLEOVERRIDE |
                                                           CIM_FLAVOR_TOSUBCLASS, newCIMValue(CIM_BOOLEAN, &yes),
                                                           CIM_BOOLEAN, 0)));
    add(properties, name);
    add(properties, property(L"Caption", CIM_STRING, string_value(L"A thing")));
    add(properties, property(L"Count", CIM_UINT32, nullptr));
    add(properties, property(L"Enabled", CIM_BOOLEAN, newCIMValue(CIM_BOOLEAN, &no)));
    setClassProperties(cimClass, properties);
    return cimClass;
}

CIMInstance *makeInstance(const wchar_t *className, int index, const wchar_t *nameSpace) {
    std::wstring number = std::to_wstring(index);
    uint32_t count = static_cast<uint32_t>(index);
    uint64_t size = 1000000000000ULL + static_cast<uint64_t>(index);
    int32_t delta = -index;
    int enabled = index % 2;
    double ratio = 0.25;
    CIMPropertyList *properties = newCIMPropertyList();
    add(properties,
        newPropertyKey(newCIMString(L"Name"), nullptr, string_value(std::wstring(className) + L"-" + number)));
    add(properties, property(L"Caption", CIM_STRING, string_value(L"Item " + number)));
    add(properties, property(L"Description", CIM_STRING, string_value(L"Test item <" + number + L"> & co")));
    add(properties, property(L"ElementName", CIM_STRING, string_value(L"element" + number)));
    add(properties, property(L"Count", CIM_UINT32, newCIMValue(CIM_UINT32, &count)));
    add(properties, property(L"Size", CIM_UINT64, newCIMValue(CIM_UINT64, &size)));
    add(properties, property(L"Delta", CIM_SINT32, newCIMValue(CIM_SINT32, &delta)));
    add(properties, property(L"Enabled", CIM_BOOLEAN, newCIMValue(CIM_BOOLEAN, &enabled)));
    add(properties, property(L"Ratio", CIM_REAL64, newCIMValue(CIM_REAL64, &ratio)));
    add(properties, property(L"Installed", CIM_DATETIME,
                             newCIMValue(CIM_DATETIME, const_cast<wchar_t *>(L"20240131120000.000000+000"))));
    CIMInstance *instance = newInstance(newCIMString(className), newCIMString(nameSpace), properties);
    setInstancePath(instance, newObjectPathFromInst(instance));
    return instance;
}

CIMInstanceList *makeInstanceList(const wchar_t *className, int count, const wchar_t *nameSpace) {
    return list_of(CIMLIST_INSTANCE, count, [=](int i) { return makeInstance(className, i, nameSpace); });
}

CIMObjectPath *makeInstancePath(const wchar_t *className, int index, const wchar_t *nameSpace) {
    CIMObjectPath *path = newObjectPathWithName(newCIMString(className));
    setObjectPathNameSpace(path, newCIMString(nameSpace));
    freeReturnCode(objectPathAddKey(
        path, newPropertyKey(newCIMString(L"Name"), nullptr,
                             string_value(std::wstring(className) + L"-" + std::to_wstring(index)))));
    return path;
}

CIMObjectPathList *makePathList(const wchar_t *className, int count) {
    return list_of(CIMLIST_OBJECTPATH, count, [=](int i) { return makeInstancePath(className, i); });
}

CIMQualifierType *makeQualifierDeclaration(const wchar_t *name) {
    int no = 0;
    return newQualifierType(newCIMString(name), CIM_FLAVOR_ENABLEOVERRIDE | CIM_FLAVOR_TOSUBCLASS,
                            newCIMValue(CIM_BOOLEAN, &no), CIM_BOOLEAN, CIM_SIZE_SINGLE,
                            CIM_SCOPE_PROPERTY | CIM_SCOPE_REFERENCE);
}

}  // namespace testsupport
