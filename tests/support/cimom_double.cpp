// cimom_double.cpp - the stand-in object manager: slot functions, call
// records, readable argument texts and builders of typical results.
#include "cimom_double.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace testsupport {

namespace {

// ---- Slot names, indexed by slot number ----

constexpr int first_slot = 4;
constexpr int last_slot = 29;

const std::array<const char *, last_slot + 1> slot_names = {
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    "pfn_enumerateClassNames",
    "pfn_enumerateClasses",
    "pfn_deleteQualifier",
    "pfn_getQualifier",
    "pfn_setQualifier",
    "pfn_enumerateQualifiers",
    "pfn_createClass",
    "pfn_deleteClass",
    "pfn_getClass",
    "pfn_modifyClass",
    "pfn_getProperty",
    "pfn_setProperty",
    nullptr,
    "pfn_setInstance",
    "pfn_createInstance",
    "pfn_deleteInstance",
    "pfn_enumerateInstances",
    "pfn_enumerateInstanceNames",
    "pfn_getInstance",
    "pfn_execQuery",
    "pfn_invokeMethod",
    "pfn_associators",
    "pfn_associatorNames",
    "pfn_references",
    "pfn_referenceNames",
    "pfn_deliverIndication",
};

int slot_number(const std::string &name) {
    for (int slot = first_slot; slot <= last_slot; ++slot) {
        if (slot_names[slot] != nullptr && name == slot_names[slot]) return slot;
    }
    throw std::invalid_argument("no CIMOM handle slot named " + name);
}

// A library status record that the builders do not need: freed at once.
void drop(ReturnCode *status) { freeReturnCode(status); }

std::string flag(int value) { return std::to_string(value); }

// ---- Slot-function banks ----
// The slot functions receive no handle, so each live double owns one bank:
// a set of functions that reach it through the bank's owner pointer.

constexpr int bank_count = 8;
std::array<std::atomic<CimomDouble *>, bank_count> bank_owners{};

template <typename T>
ReturnCode *answer_into(CimomDouble *self, int slot, CallArgs &&args, T **out) {
    if (self == nullptr) return newReturnCode(1, L"test object manager is gone");
    void *result = nullptr;
    ReturnCode *status = self->answer(slot, std::move(args), out != nullptr ? &result : nullptr);
    if (out != nullptr) *out = static_cast<T *>(result);
    return status;
}

ReturnCode *answer_plain(CimomDouble *self, int slot, CallArgs &&args) {
    if (self == nullptr) return newReturnCode(1, L"test object manager is gone");
    return self->answer(slot, std::move(args), nullptr);
}

std::string string_list_text(const CIMStringList *list) {
    if (list == nullptr) return "(null)";
    std::string text = "{";
    int length = getCIMStringListLength(list);
    for (int i = 0; i < length; ++i) {
        if (i > 0) text += ',';
        text += narrowText(getCIMStringAt(list, i));
    }
    return text + "}";
}

std::string declaration_text(const CIMQualifierType *declaration);

template <int B>
struct Bank {
    static CimomDouble *self() { return bank_owners[B].load(std::memory_order_acquire); }

    static ReturnCode *enumerateClassNames(CIMObjectPath *path, int deep, CIMObjectPathList **out) {
        return answer_into(self(), 4, {{"path", pathText(path)}, {"deepInheritance", flag(deep)}}, out);
    }
    static ReturnCode *enumerateClasses(CIMObjectPath *path, int deep, int localOnly, int qualifiers,
                                        int origin, CIMClassList **out) {
        return answer_into(self(), 5,
                           {{"path", pathText(path)},
                            {"deepInheritance", flag(deep)},
                            {"localOnly", flag(localOnly)},
                            {"includeQualifiers", flag(qualifiers)},
                            {"includeClassOrigin", flag(origin)}},
                           out);
    }
    static ReturnCode *deleteQualifier(CIMObjectPath *path) {
        return answer_plain(self(), 6, {{"path", pathText(path)}});
    }
    static ReturnCode *getQualifier(CIMString *nameSpace, CIMString *name, CIMQualifierType **out) {
        return answer_into(self(), 7,
                           {{"nameSpace", narrowText(nameSpace)}, {"qualifierName", narrowText(name)}}, out);
    }
    static ReturnCode *setQualifier(CIMObjectPath *path, CIMQualifierType *declaration) {
        return answer_plain(self(), 8,
                            {{"path", pathText(path)}, {"declaration", declaration_text(declaration)}});
    }
    static ReturnCode *enumerateQualifiers(CIMObjectPath *path, CIMQualifierTypeList **out) {
        return answer_into(self(), 9, {{"path", pathText(path)}}, out);
    }
    static ReturnCode *createClass(CIMObjectPath *path, CIMClass *newClass) {
        return answer_plain(self(), 10, {{"path", pathText(path)}, {"newClass", classText(newClass)}});
    }
    static ReturnCode *deleteClass(CIMObjectPath *path) {
        return answer_plain(self(), 11, {{"path", pathText(path)}});
    }
    static ReturnCode *getClass(CIMObjectPath *path, int localOnly, int qualifiers, int origin,
                                CIMStringList *properties, CIMClass **out) {
        return answer_into(self(), 12,
                           {{"path", pathText(path)},
                            {"localOnly", flag(localOnly)},
                            {"includeQualifiers", flag(qualifiers)},
                            {"includeClassOrigin", flag(origin)},
                            {"propertyList", string_list_text(properties)}},
                           out);
    }
    static ReturnCode *modifyClass(CIMObjectPath *path, CIMClass *modified) {
        return answer_plain(self(), 13, {{"path", pathText(path)}, {"modifiedClass", classText(modified)}});
    }
    static ReturnCode *getProperty(CIMObjectPath *path, CIMString *name, CIMValue **out) {
        return answer_into(self(), 14, {{"instancePath", pathText(path)}, {"propertyName", narrowText(name)}},
                           out);
    }
    static ReturnCode *setProperty(CIMObjectPath *path, CIMString *name, CIMValue *value) {
        return answer_plain(self(), 15,
                            {{"instancePath", pathText(path)},
                             {"propertyName", narrowText(name)},
                             {"newValue", valueText(value)}});
    }
    static ReturnCode *setInstance(CIMObjectPath *path, CIMInstance *instance, int qualifiers,
                                   CIMStringList *properties) {
        return answer_plain(self(), 17,
                            {{"path", pathText(path)},
                             {"instance", instanceText(instance)},
                             {"includeQualifiers", flag(qualifiers)},
                             {"propertyList", string_list_text(properties)}});
    }
    static ReturnCode *createInstance(CIMObjectPath *path, CIMInstance *instance, CIMObjectPath **out) {
        return answer_into(self(), 18, {{"path", pathText(path)}, {"instance", instanceText(instance)}}, out);
    }
    static ReturnCode *deleteInstance(CIMObjectPath *path) {
        return answer_plain(self(), 19, {{"instancePath", pathText(path)}});
    }
    static ReturnCode *enumerateInstances(CIMObjectPath *path, int localOnly, int deep, int qualifiers,
                                          int origin, CIMStringList *properties, CIMInstanceList **out) {
        return answer_into(self(), 20,
                           {{"path", pathText(path)},
                            {"localOnly", flag(localOnly)},
                            {"deepInheritance", flag(deep)},
                            {"includeQualifiers", flag(qualifiers)},
                            {"includeClassOrigin", flag(origin)},
                            {"propertyList", string_list_text(properties)}},
                           out);
    }
    static ReturnCode *enumerateInstanceNames(CIMObjectPath *path, CIMObjectPathList **out) {
        return answer_into(self(), 21, {{"path", pathText(path)}}, out);
    }
    static ReturnCode *getInstance(CIMObjectPath *path, int localOnly, int qualifiers, int origin,
                                   CIMStringList *properties, CIMInstance **out) {
        return answer_into(self(), 22,
                           {{"instancePath", pathText(path)},
                            {"localOnly", flag(localOnly)},
                            {"includeQualifiers", flag(qualifiers)},
                            {"includeClassOrigin", flag(origin)},
                            {"propertyList", string_list_text(properties)}},
                           out);
    }
    static ReturnCode *execQuery(CIMObjectPath *path, CIMString *query, CIMString *language, CIMList **out) {
        return answer_into(self(), 23,
                           {{"path", pathText(path)},
                            {"query", narrowText(query)},
                            {"queryLanguage", narrowText(language)}},
                           out);
    }
    static ReturnCode *invokeMethod(CIMObjectPath *path, CIMString *method, CIMPropertyList *in,
                                    CIMPropertyList *outParameters, CIMValue **out) {
        CimomDouble *owner = self();
        if (owner == nullptr) return newReturnCode(1, L"test object manager is gone");
        return owner->answerInvoke({{"path", pathText(path)},
                                    {"methodName", narrowText(method)},
                                    {"inParameters", parametersText(in)},
                                    {"outParameters", parametersText(outParameters)}},
                                   outParameters, out);
    }
    static ReturnCode *associators(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass,
                                   CIMString *role, CIMString *resultRole, int qualifiers, int origin,
                                   CIMStringList *properties, CIMList **out) {
        return answer_into(self(), 25,
                           {{"path", pathText(path)},
                            {"assocClass", narrowText(assocClass)},
                            {"resultClass", narrowText(resultClass)},
                            {"role", narrowText(role)},
                            {"resultRole", narrowText(resultRole)},
                            {"includeQualifiers", flag(qualifiers)},
                            {"includeClassOrigin", flag(origin)},
                            {"propertyList", string_list_text(properties)}},
                           out);
    }
    static ReturnCode *associatorNames(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass,
                                       CIMString *role, CIMString *resultRole, CIMList **out) {
        return answer_into(self(), 26,
                           {{"path", pathText(path)},
                            {"assocClass", narrowText(assocClass)},
                            {"resultClass", narrowText(resultClass)},
                            {"role", narrowText(role)},
                            {"resultRole", narrowText(resultRole)}},
                           out);
    }
    static ReturnCode *references(CIMObjectPath *path, CIMString *resultClass, CIMString *role, int qualifiers,
                                  int origin, CIMStringList *properties, CIMList **out) {
        return answer_into(self(), 27,
                           {{"path", pathText(path)},
                            {"resultClass", narrowText(resultClass)},
                            {"role", narrowText(role)},
                            {"includeQualifiers", flag(qualifiers)},
                            {"includeClassOrigin", flag(origin)},
                            {"propertyList", string_list_text(properties)}},
                           out);
    }
    static ReturnCode *referenceNames(CIMObjectPath *path, CIMString *resultClass, CIMString *role,
                                      CIMObjectPathList **out) {
        return answer_into(self(), 28,
                           {{"path", pathText(path)},
                            {"resultClass", narrowText(resultClass)},
                            {"role", narrowText(role)}},
                           out);
    }
    static ReturnCode *deliverIndication(CIMObjectPath *path, CIMInstance *indication) {
        return answer_plain(self(), 29, {{"path", pathText(path)}, {"indication", instanceText(indication)}});
    }

    static void fill(CIMOMHandle *h) {
        h->pfn_enumerateClassNames = enumerateClassNames;
        h->pfn_enumerateClasses = enumerateClasses;
        h->pfn_deleteQualifier = deleteQualifier;
        h->pfn_getQualifier = getQualifier;
        h->pfn_setQualifier = setQualifier;
        h->pfn_enumerateQualifiers = enumerateQualifiers;
        h->pfn_createClass = createClass;
        h->pfn_deleteClass = deleteClass;
        h->pfn_getClass = getClass;
        h->pfn_modifyClass = modifyClass;
        h->pfn_getProperty = getProperty;
        h->pfn_setProperty = setProperty;
        h->pfn_setInstance = setInstance;
        h->pfn_createInstance = createInstance;
        h->pfn_deleteInstance = deleteInstance;
        h->pfn_enumerateInstances = enumerateInstances;
        h->pfn_enumerateInstanceNames = enumerateInstanceNames;
        h->pfn_getInstance = getInstance;
        h->pfn_execQuery = execQuery;
        h->pfn_invokeMethod = invokeMethod;
        h->pfn_associators = associators;
        h->pfn_associatorNames = associatorNames;
        h->pfn_references = references;
        h->pfn_referenceNames = referenceNames;
        h->pfn_deliverIndication = deliverIndication;
    }
};

using BankFill = void (*)(CIMOMHandle *);
template <std::size_t... B>
constexpr std::array<BankFill, bank_count> bank_fills(std::index_sequence<B...>) {
    return {&Bank<B>::fill...};
}
constexpr std::array<BankFill, bank_count> fills = bank_fills(std::make_index_sequence<bank_count>{});

// Clears one slot of the handle by its number.
void clear_slot(CIMOMHandle *h, int slot) {
    switch (slot) {
    case 4: h->pfn_enumerateClassNames = nullptr; break;
    case 5: h->pfn_enumerateClasses = nullptr; break;
    case 6: h->pfn_deleteQualifier = nullptr; break;
    case 7: h->pfn_getQualifier = nullptr; break;
    case 8: h->pfn_setQualifier = nullptr; break;
    case 9: h->pfn_enumerateQualifiers = nullptr; break;
    case 10: h->pfn_createClass = nullptr; break;
    case 11: h->pfn_deleteClass = nullptr; break;
    case 12: h->pfn_getClass = nullptr; break;
    case 13: h->pfn_modifyClass = nullptr; break;
    case 14: h->pfn_getProperty = nullptr; break;
    case 15: h->pfn_setProperty = nullptr; break;
    case 17: h->pfn_setInstance = nullptr; break;
    case 18: h->pfn_createInstance = nullptr; break;
    case 19: h->pfn_deleteInstance = nullptr; break;
    case 20: h->pfn_enumerateInstances = nullptr; break;
    case 21: h->pfn_enumerateInstanceNames = nullptr; break;
    case 22: h->pfn_getInstance = nullptr; break;
    case 23: h->pfn_execQuery = nullptr; break;
    case 24: h->pfn_invokeMethod = nullptr; break;
    case 25: h->pfn_associators = nullptr; break;
    case 26: h->pfn_associatorNames = nullptr; break;
    case 27: h->pfn_references = nullptr; break;
    case 28: h->pfn_referenceNames = nullptr; break;
    case 29: h->pfn_deliverIndication = nullptr; break;
    default: break;
    }
}

// ---- Texts ----

const char *type_name(int type) {
    static const char *const names[] = {"uint8",  "sint8",   "uint16",   "sint16", "uint32",    "sint32",
                                        "uint64", "sint64",  "string",   "boolean", "real32",   "real64",
                                        "datetime", "char16", "reference", "object", "class", "null",
                                        "empty"};
    if (type >= 0 && type <= CIM_EMPTY) return names[type];
    return "?";
}

std::string type_text(int type) {
    if (type >= CIM_ARRAY && type - CIM_ARRAY <= CIM_EMPTY) return std::string(type_name(type - CIM_ARRAY)) + "[]";
    if (type >= 0 && type <= CIM_EMPTY) return type_name(type);
    return "type" + std::to_string(type);
}

std::string wide_narrow(const wchar_t *text) {
    std::string out;
    if (text == nullptr) return out;
    for (; *text != L'\0'; ++text) {
        auto c = static_cast<unsigned long>(*text);
        if (c >= 0xDC80 && c <= 0xDCFF) {  // a byte that was not UTF-8 comes back as itself
            out += static_cast<char>(c - 0xDC00);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string literal(const CIMValue *value);

std::string property_text(const CIMProperty *property) {
    if (property == nullptr) return "(null)";
    return narrowText(propertyGetName(property)) + ":" + type_text(propertyGetType(property)) + "=" +
           literal(propertyGetValue(property));
}

std::string property_list_text(const CIMPropertyList *list) {
    std::string text = "{";
    int length = getCIMPropertyListLength(list);
    for (int i = 0; i < length; ++i) {
        if (i > 0) text += ',';
        text += property_text(getCIMPropertyAt(list, i));
    }
    return text + "}";
}

std::string literal(const CIMValue *value) {
    if (value == nullptr || value->isNull || value->type == CIM_NULL) return "(null)";
    if (value->type == CIM_EMPTY) return "(empty)";
    if (value->type >= CIM_ARRAY) {
        std::string text = "[";
        int length = getCIMValueListLength(value->data.array);
        for (int i = 0; i < length; ++i) {
            if (i > 0) text += ',';
            text += literal(getCIMValueAt(value->data.array, i));
        }
        return text + "]";
    }
    char number[64];
    switch (value->type) {
    case CIM_UINT8: return std::to_string(value->data.u8);
    case CIM_SINT8: return std::to_string(value->data.s8);
    case CIM_UINT16: return std::to_string(value->data.u16);
    case CIM_SINT16: return std::to_string(value->data.s16);
    case CIM_UINT32: return std::to_string(value->data.u32);
    case CIM_SINT32: return std::to_string(value->data.s32);
    case CIM_UINT64: return std::to_string(value->data.u64);
    case CIM_SINT64: return std::to_string(value->data.s64);
    case CIM_BOOLEAN: return value->data.boolean ? "true" : "false";
    case CIM_REAL32: std::snprintf(number, sizeof number, "%.9g", static_cast<double>(value->data.r32)); return number;
    case CIM_REAL64: std::snprintf(number, sizeof number, "%.17g", value->data.r64); return number;
    case CIM_CHAR16: {
        wchar_t character[2] = {static_cast<wchar_t>(value->data.char16), L'\0'};
        return "'" + wide_narrow(character) + "'";
    }
    case CIM_STRING:
    case CIM_DATETIME: return "\"" + narrowText(value->data.string) + "\"";
    case CIM_REFERENCE: return "{" + pathText(value->data.reference) + "}";
    case CIM_OBJECT: return "{" + instanceText(value->data.instance) + "}";
    case CIM_CLASS: return "{" + classText(value->data.cimClass) + "}";
    default: return "?";
    }
}

std::string declaration_text(const CIMQualifierType *declaration) {
    if (declaration == nullptr) return "(null)";
    return narrowText(getQualifierTypeName(declaration)) + ":" + type_text(declaration->type) + "=" +
           literal(getQualifierTypeValue(declaration)) + " scope=" +
           std::to_string(getQualifierTypeScope(declaration)) +
           " flavor=" + std::to_string(getQualifierTypeFlavors(declaration));
}

std::string name_or(const CIMString *text, const char *absent) {
    return text == nullptr || getCIMStringBuffer(text) == nullptr ? absent : narrowText(text);
}

}  // namespace

// ---- Public texts ----

std::string narrowText(const CIMString *text) {
    if (text == nullptr || getCIMStringBuffer(text) == nullptr) return "(null)";
    return wide_narrow(getCIMStringBuffer(text));
}

std::string pathText(const CIMObjectPath *path) {
    if (path == nullptr) return "(null)";
    std::string text;
    if (path->host != nullptr && getCIMStringBuffer(path->host) != nullptr) text = "//" + narrowText(path->host) + "/";
    text += name_or(path->nameSpace, "(null)") + ":" + name_or(path->className, "(none)");
    int length = getCIMPropertyListLength(path->mkeys);
    for (int i = 0; i < length; ++i) {
        const CIMProperty *key = getCIMPropertyAt(path->mkeys, i);
        text += i == 0 ? '.' : ',';
        text += narrowText(propertyGetName(key)) + "=" + literal(propertyGetValue(key));
    }
    return text;
}

std::string valueText(const CIMValue *value) {
    if (value == nullptr) return "(null)";
    return type_text(value->type) + " " + literal(value);
}

std::string instanceText(const CIMInstance *instance) {
    if (instance == nullptr) return "(null)";
    return name_or(getInstanceNameSpace(instance), "(null)") + ":" + name_or(getInstanceName(instance), "(none)") +
           property_list_text(getInstanceProperties(instance));
}

std::string classText(const CIMClass *cimClass) {
    if (cimClass == nullptr) return "(null)";
    std::string text = name_or(getClassNameSpace(cimClass), "(null)") + ":" +
                       name_or(getClassName(cimClass), "(none)");
    if (getClassSuperName(cimClass) != nullptr) text += ":" + narrowText(getClassSuperName(cimClass));
    return text + property_list_text(getClassProperties(cimClass));
}

std::string parametersText(const CIMPropertyList *parameters) {
    if (parameters == nullptr) return "(null)";
    return property_list_text(parameters);
}

const std::string &Call::arg(const std::string &name) const {
    for (const auto &entry : args) {
        if (entry.first == name) return entry.second;
    }
    throw std::out_of_range("call of " + slot + " has no argument " + name);
}

// ---- The double ----

CimomDouble::CimomDouble() : setup_(last_slot + 1) {
    for (int bank = 0; bank < bank_count; ++bank) {
        CimomDouble *expected = nullptr;
        if (bank_owners[bank].compare_exchange_strong(expected, this)) {
            bank_ = bank;
            break;
        }
    }
    if (bank_ < 0) throw std::runtime_error("too many CimomDouble objects alive at once");
    fillSlots();
}

CimomDouble::~CimomDouble() { bank_owners[bank_].store(nullptr, std::memory_order_release); }

void CimomDouble::fillSlots() { fills[bank_](&handle_); }

void CimomDouble::setStatus(const std::string &slot, int code, std::optional<std::string> description) {
    int number = slot_number(slot);
    std::lock_guard<std::mutex> lock(mutex_);
    setup_[number].code = code;
    setup_[number].description = std::move(description);
}

void CimomDouble::setResult(const std::string &slot, Factory factory, bool alsoOnError) {
    int number = slot_number(slot);
    std::lock_guard<std::mutex> lock(mutex_);
    setup_[number].factory = std::move(factory);
    setup_[number].alsoOnError = alsoOnError;
}

void CimomDouble::setInvokeOutput(OutputFiller filler) {
    std::lock_guard<std::mutex> lock(mutex_);
    outputFiller_ = std::move(filler);
}

void CimomDouble::leaveNull(std::initializer_list<std::string> slots) {
    for (const auto &slot : slots) clear_slot(&handle_, slot_number(slot));
}

void CimomDouble::answerEverySlot() {
    fillSlots();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto &setup : setup_) {
            setup.code = 0;
            setup.description.reset();
        }
    }
    setResult("pfn_enumerateClassNames", [] { return static_cast<void *>(makeClassPathList(2)); });
    setResult("pfn_enumerateClasses", [] { return static_cast<void *>(makeClassList(2)); });
    setResult("pfn_getQualifier", [] { return static_cast<void *>(makeQualifierDeclaration(L"Key")); });
    setResult("pfn_enumerateQualifiers", [] { return static_cast<void *>(makeQualifierDeclarationList(2)); });
    setResult("pfn_getClass", [] { return static_cast<void *>(makeClass(L"CIM_Foo")); });
    setResult("pfn_getProperty",
              [] { return static_cast<void *>(newCIMValue(CIM_STRING, newCIMString(L"property value"))); });
    setResult("pfn_createInstance", [] { return static_cast<void *>(makeInstancePath(L"CIM_Foo", 1)); });
    setResult("pfn_enumerateInstances", [] { return static_cast<void *>(makeInstanceList(L"CIM_Foo", 3)); });
    setResult("pfn_enumerateInstanceNames", [] { return static_cast<void *>(makePathList(L"CIM_Foo", 3)); });
    setResult("pfn_getInstance", [] { return static_cast<void *>(makeInstance(L"CIM_Foo", 1)); });
    setResult("pfn_execQuery", [] { return static_cast<void *>(makeInstanceList(L"CIM_Foo", 2)); });
    setResult("pfn_invokeMethod", [] {
        uint32_t zero = 0;
        return static_cast<void *>(newCIMValue(CIM_UINT32, &zero));
    });
    setInvokeOutput([](CIMPropertyList *out) {
        CIMProperty *result =
            newProperty(newCIMString(L"Result"), nullptr, newCIMValue(CIM_STRING, newCIMString(L"done")), CIM_STRING,
                        nullptr, 0);
        drop(appendToCIMPropertyList(out, result));
    });
    setResult("pfn_associators", [] { return static_cast<void *>(makeInstanceList(L"CIM_Bar", 2)); });
    setResult("pfn_associatorNames", [] { return static_cast<void *>(makePathList(L"CIM_Bar", 2)); });
    setResult("pfn_references", [] { return static_cast<void *>(makeInstanceList(L"CIM_FooBar", 2)); });
    setResult("pfn_referenceNames", [] { return static_cast<void *>(makePathList(L"CIM_FooBar", 2)); });
}

std::vector<Call> CimomDouble::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

CallArgs CimomDouble::lastCall(const std::string &slot) const {
    slot_number(slot);
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto call = calls_.rbegin(); call != calls_.rend(); ++call) {
        if (call->slot == slot) return call->args;
    }
    throw std::out_of_range(slot + " was not called");
}

std::size_t CimomDouble::callCount(const std::string &slot) const {
    int number = slot_number(slot);
    std::lock_guard<std::mutex> lock(mutex_);
    return setup_[number].calls;
}

void CimomDouble::clearCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
    for (auto &setup : setup_) setup.calls = 0;
}

void CimomDouble::setRecording(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    recording_ = on;
}

ReturnCode *CimomDouble::statusAndResult(int slot, void **result) {
    int code;
    std::optional<std::string> description;
    Factory factory;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const SlotSetup &setup = setup_[slot];
        code = setup.code;
        description = setup.description;
        if (result != nullptr && (code == 0 || setup.alsoOnError)) factory = setup.factory;
    }
    if (factory) *result = factory();
    if (!description) return newReturnCode(code, nullptr);
    CIMString *text = createCIMStringFromChar(description->c_str());
    ReturnCode *status = newReturnCode(code, getCIMStringBuffer(text));
    freeCIMString(text);
    return status;
}

ReturnCode *CimomDouble::answer(int slot, CallArgs &&args, void **result) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++setup_[slot].calls;
        if (recording_) calls_.push_back(Call{slot_names[slot], std::move(args)});
    }
    return statusAndResult(slot, result);
}

ReturnCode *CimomDouble::answerInvoke(CallArgs &&args, CIMPropertyList *outParameters, CIMValue **result) {
    void *value = nullptr;
    ReturnCode *status = answer(24, std::move(args), result != nullptr ? &value : nullptr);
    if (result != nullptr) *result = static_cast<CIMValue *>(value);
    OutputFiller filler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        filler = outputFiller_;
    }
    if (filler && outParameters != nullptr && getErrorFromRetCode(status) == 0) filler(outParameters);
    return status;
}

// ---- Builders ----

namespace {

CIMProperty *typed(const wchar_t *name, int type, CIMValue *value) {
    return newProperty(newCIMString(name), nullptr, value, type, nullptr, 0);
}

CIMValue *string_value(const std::wstring &text) { return newCIMValue(CIM_STRING, newCIMString(text.c_str())); }

}  // namespace

CIMClass *makeClass(const wchar_t *className, const wchar_t *nameSpace) {
    CIMClass *cimClass = newCIMClass(newCIMString(className), nullptr);
    setClassNameSpace(cimClass, newCIMString(nameSpace));
    CIMPropertyList *properties = newCIMPropertyList();

    CIMProperty *name = typed(L"Name", CIM_STRING, nullptr);
    int yes = 1;
    drop(propertyAddQualifier(
        name, newQualifier(newCIMString(L"Key"), CIM_FLAVOR_DISABLEOVERRIDE | CIM_FLAVOR_TOSUBCLASS,
                           newCIMValue(CIM_BOOLEAN, &yes), CIM_BOOLEAN, 0)));
    drop(appendToCIMPropertyList(properties, name));
    drop(appendToCIMPropertyList(properties, typed(L"Caption", CIM_STRING, string_value(L"A thing"))));
    drop(appendToCIMPropertyList(properties, typed(L"Count", CIM_UINT32, nullptr)));
    int no = 0;
    drop(appendToCIMPropertyList(properties, typed(L"Enabled", CIM_BOOLEAN, newCIMValue(CIM_BOOLEAN, &no))));
    setClassProperties(cimClass, properties);
    return cimClass;
}

CIMInstance *makeInstance(const wchar_t *className, int index, const wchar_t *nameSpace) {
    CIMPropertyList *properties = newCIMPropertyList();
    std::wstring number = std::to_wstring(index);
    drop(appendToCIMPropertyList(
        properties, newPropertyKey(newCIMString(L"Name"), nullptr,
                                   string_value(std::wstring(className) + L"-" + number))));
    drop(appendToCIMPropertyList(properties, typed(L"Caption", CIM_STRING, string_value(L"Item " + number))));
    drop(appendToCIMPropertyList(
        properties, typed(L"Description", CIM_STRING, string_value(L"Test item <" + number + L"> & co"))));
    drop(appendToCIMPropertyList(properties, typed(L"ElementName", CIM_STRING, string_value(L"element" + number))));
    uint32_t count = static_cast<uint32_t>(index);
    drop(appendToCIMPropertyList(properties, typed(L"Count", CIM_UINT32, newCIMValue(CIM_UINT32, &count))));
    uint64_t size = 1000000000000ULL + static_cast<uint64_t>(index);
    drop(appendToCIMPropertyList(properties, typed(L"Size", CIM_UINT64, newCIMValue(CIM_UINT64, &size))));
    int32_t delta = -index;
    drop(appendToCIMPropertyList(properties, typed(L"Delta", CIM_SINT32, newCIMValue(CIM_SINT32, &delta))));
    int enabled = index % 2;
    drop(appendToCIMPropertyList(properties,
                                 typed(L"Enabled", CIM_BOOLEAN, newCIMValue(CIM_BOOLEAN, &enabled))));
    double ratio = 0.25;
    drop(appendToCIMPropertyList(properties, typed(L"Ratio", CIM_REAL64, newCIMValue(CIM_REAL64, &ratio))));
    drop(appendToCIMPropertyList(
        properties, typed(L"Installed", CIM_DATETIME,
                          newCIMValue(CIM_DATETIME, const_cast<wchar_t *>(L"20240131120000.000000+000")))));

    CIMInstance *instance = newInstance(newCIMString(className), newCIMString(nameSpace), properties);
    setInstancePath(instance, newObjectPathFromInst(instance));
    return instance;
}

CIMInstanceList *makeInstanceList(const wchar_t *className, int count, const wchar_t *nameSpace) {
    CIMInstanceList *list = newCIMInstanceList();
    for (int i = 0; i < count; ++i) drop(appendToCIMInstanceList(list, makeInstance(className, i, nameSpace)));
    return list;
}

CIMObjectPath *makeInstancePath(const wchar_t *className, int index, const wchar_t *nameSpace) {
    CIMObjectPath *path = newObjectPathWithName(newCIMString(className));
    setObjectPathNameSpace(path, newCIMString(nameSpace));
    drop(objectPathAddKey(path, newPropertyKey(newCIMString(L"Name"), nullptr,
                                               string_value(std::wstring(className) + L"-" +
                                                            std::to_wstring(index)))));
    return path;
}

CIMObjectPathList *makePathList(const wchar_t *className, int count, const wchar_t *nameSpace) {
    CIMObjectPathList *list = newCIMObjectPathList();
    for (int i = 0; i < count; ++i) drop(appendToCIMObjectPathList(list, makeInstancePath(className, i, nameSpace)));
    return list;
}

CIMObjectPathList *makeClassPathList(int count, const wchar_t *nameSpace) {
    CIMObjectPathList *list = newCIMObjectPathList();
    for (int i = 0; i < count; ++i) {
        CIMObjectPath *path = newObjectPathWithName(newCIMString((L"CIM_Class" + std::to_wstring(i)).c_str()));
        setObjectPathNameSpace(path, newCIMString(nameSpace));
        drop(appendToCIMObjectPathList(list, path));
    }
    return list;
}

CIMClassList *makeClassList(int count, const wchar_t *nameSpace) {
    CIMClassList *list = newCIMClassList();
    for (int i = 0; i < count; ++i) {
        drop(appendToCIMClassList(list, makeClass((L"CIM_Class" + std::to_wstring(i)).c_str(), nameSpace)));
    }
    return list;
}

CIMQualifierType *makeQualifierDeclaration(const wchar_t *name) {
    int no = 0;
    return newQualifierType(newCIMString(name), CIM_FLAVOR_ENABLEOVERRIDE | CIM_FLAVOR_TOSUBCLASS,
                            newCIMValue(CIM_BOOLEAN, &no), CIM_BOOLEAN, CIM_SIZE_SINGLE,
                            CIM_SCOPE_PROPERTY | CIM_SCOPE_REFERENCE);
}

CIMQualifierTypeList *makeQualifierDeclarationList(int count) {
    CIMQualifierTypeList *list = newCIMQualifierTypeList();
    for (int i = 0; i < count; ++i) {
        drop(appendToCIMQualifierTypeList(list,
                                          makeQualifierDeclaration((L"Qualifier" + std::to_wstring(i)).c_str())));
    }
    return list;
}

}  // namespace testsupport
