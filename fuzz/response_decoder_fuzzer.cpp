// response_decoder_fuzzer.cpp - any bytes as a response text through the
// client half's decoders.
//
// Input: one selector byte, then the response text. Selector bits 0-4 choose
// the decoder (cimxml_decode_message, then the CIMXMLdecode_ functions in
// header order), bit 5 hands the list decoders a list that already holds an
// item, bit 6 has the decoded objects encoded again with the HTTP head, bit 7
// chooses the strict profile. Every decoder must return a status; on an
// error every out argument is NULL; whatever was decoded must encode again
// (through the request encoders) into a well-formed document.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include <gc/gc.h>

#include <cimobj/cimobj.hpp>
#include <cimxml/cimxml_client.h>

#include "cimxml_common/profile.h"
#include "support/fuzz_check.h"
#include "support/xml_document.h"

using fuzzsupport::check;

namespace {

bool withHead = false;

const CIMObjectPath *target() {
    static CIMObjectPath *path = [] {
        CIMObjectPath *made = newObjectPathWithName(newCIMString(L"Fuzz_Target"));
        setObjectPathNameSpace(made, newCIMString(L"root/cimv2"));
        return made;
    }();
    return path;
}

const CIMString *name() {
    static CIMString *text = newCIMString(L"Echo");
    return text;
}

// An encoder's text, when it made one, must be a complete request.
void checkEncoded(char *text) {
    if (text == nullptr) return;
    fuzzsupport::checkEncodedRequest(text, withHead);
    GC_free(text);
}

int head() { return withHead ? 0 : 1; }

void encodePath(const CIMObjectPath *path) {
    checkEncoded(CIMXMLencode_getInstance(path, 0, 1, 1, nullptr, head()));
    checkEncoded(CIMXMLencode_associatorNames(path, name(), nullptr, nullptr, nullptr, head()));
}

void encodeInstance(const CIMInstance *instance) {
    checkEncoded(CIMXMLencode_createInstance(target(), instance, head()));
    checkEncoded(CIMXMLencode_modifyInstance(target(), instance, 1, nullptr, head()));
}

void encodeClass(const CIMClass *cimClass) { checkEncoded(CIMXMLencode_createClass(target(), cimClass, head())); }

void encodeDeclaration(const CIMQualifierType *declaration) {
    checkEncoded(CIMXMLencode_setQualifier(target(), declaration, head()));
}

void encodeValue(const CIMValue *value) { checkEncoded(CIMXMLencode_setProperty(target(), name(), value, head())); }

void encodeParameters(const CIMPropertyList *parameters) {
    checkEncoded(CIMXMLencode_invokeMethod(target(), name(), parameters, head()));
}

void encodeItems(const CIMList *list) {
    for (int i = 0; i < getLength(list); ++i) {
        void *item = getElementAt(list, i);
        check(item != nullptr, "a decoded list holds no NULL item");
        switch (getListType(list)) {
        case CIMLIST_INSTANCE: encodeInstance(static_cast<const CIMInstance *>(item)); break;
        case CIMLIST_CLASS: encodeClass(static_cast<const CIMClass *>(item)); break;
        case CIMLIST_OBJECTPATH: encodePath(static_cast<const CIMObjectPath *>(item)); break;
        case CIMLIST_QUALIFIERTYPE: encodeDeclaration(static_cast<const CIMQualifierType *>(item)); break;
        default: fuzzsupport::fail("a decoded list of an unexpected type");
        }
    }
}

// Owns the status, checks it is there, and says whether it is success.
bool succeeded(ReturnCode *rc) {
    check(rc != nullptr, "a decoder returns a status");
    bool ok = rc->rc == 0;
    freeReturnCode(rc);
    return ok;
}

template <class Object, class Decode, class Encode, class Free>
void single(const char *text, Decode decode, Encode encode, Free release) {
    Object *result = nullptr;
    bool ok = succeeded(decode(text, &result));
    check(ok || result == nullptr, "a failed decoder leaves its result NULL");
    if (result != nullptr) encode(result);
    release(result);
}

// One item of the list type, for a list the caller already filled.
void *sampleItem(int listType) {
    switch (listType) {
    case CIMLIST_OBJECTPATH: return copyObjectPath(target());
    case CIMLIST_INSTANCE: return newInstance(newCIMString(L"Fuzz_Class"), nullptr, nullptr);
    case CIMLIST_QUALIFIERTYPE:
        return newQualifierType(newCIMString(L"Echo"), 0, nullptr, CIM_STRING, CIM_SIZE_SINGLE, CIM_SCOPE_ANY);
    default: return newCIMClass(newCIMString(L"Fuzz_Class"), nullptr);
    }
}

// List decoders; prefilled: the caller's list already holds one item.
void list(const char *text, bool prefilled, int listType, std::function<ReturnCode *(const char *, CIMList **)> decode) {
    CIMList *result = nullptr;
    if (prefilled) {
        result = newList(listType);
        freeReturnCode(appendToList(result, sampleItem(listType)));
    }
    bool ok = succeeded(decode(text, &result));
    check(ok || result == nullptr, "a failed decoder frees and clears the caller's list");
    if (result != nullptr) encodeItems(result);
    freeList(result);
}

void statusOnly(const char *text, ReturnCode *(*decode)(const char *)) { succeeded(decode(text)); }

void decode(unsigned selector, const char *text) {
    bool prefilled = (selector & 0x20) != 0;
    switch (selector & 0x1f) {
    case 0: CIMXMLdecode_releaseMessage(cimxml_decode_message(text, nullptr)); break;
    case 1: single<CIMObjectPath>(text, CIMXMLdecode_createInstance, encodePath, freeCIMObjectPath); break;
    case 2: single<CIMInstance>(text, CIMXMLdecode_getInstance, encodeInstance, freeCIMInstance); break;
    case 3: single<CIMClass>(text, CIMXMLdecode_getClass, encodeClass, freeCIMClass); break;
    case 4: single<CIMQualifierType>(text, CIMXMLdecode_getQualifier, encodeDeclaration, freeQualifierType); break;
    case 5: single<CIMValue>(text, CIMXMLdecode_getProperty, encodeValue, freeCIMValue); break;
    case 6: {
        CIMPropertyList *out = nullptr;
        CIMValue *returned = nullptr;
        bool ok = succeeded(CIMXMLdecode_invokeMethod(text, &out, &returned));
        check(ok || (out == nullptr && returned == nullptr), "a failed InvokeMethod decoder leaves its results NULL");
        if (out != nullptr) encodeParameters(out);
        if (returned != nullptr) encodeValue(returned);
        freeCIMPropertyList(out);
        freeCIMValue(returned);
        break;
    }
    case 7: list(text, prefilled, CIMLIST_OBJECTPATH, CIMXMLdecode_enumerateInstanceNames); break;
    case 8: list(text, prefilled, CIMLIST_INSTANCE, CIMXMLdecode_enumerateInstances); break;
    case 9: list(text, prefilled, CIMLIST_OBJECTPATH, CIMXMLdecode_enumerateClassNames); break;
    case 10: list(text, prefilled, CIMLIST_CLASS, CIMXMLdecode_enumerateClasses); break;
    case 11: list(text, prefilled, CIMLIST_QUALIFIERTYPE, CIMXMLdecode_enumerateQualifiers); break;
    case 12: list(text, prefilled, CIMLIST_OBJECTPATH, CIMXMLdecode_associatorNames); break;
    case 13: list(text, prefilled, CIMLIST_OBJECTPATH, CIMXMLdecode_referenceNames); break;
    case 14: list(text, prefilled, CIMLIST_INSTANCE, CIMXMLdecode_execQuery); break;
    case 15: list(text, prefilled, CIMLIST_CLASS, CIMXMLdecode_associators); break;
    case 16: list(text, prefilled, CIMLIST_INSTANCE, CIMXMLdecode_references); break;
    case 17: statusOnly(text, CIMXMLdecode_deleteInstance); break;
    case 18: statusOnly(text, CIMXMLdecode_modifyInstance); break;
    case 19: statusOnly(text, CIMXMLdecode_deleteClass); break;
    case 20: statusOnly(text, CIMXMLdecode_modifyClass); break;
    case 21: statusOnly(text, CIMXMLdecode_createClass); break;
    case 22: statusOnly(text, CIMXMLdecode_deleteQualifier); break;
    case 23: statusOnly(text, CIMXMLdecode_setQualifier); break;
    case 24: statusOnly(text, CIMXMLdecode_setProperty); break;
    case 25: statusOnly(text, CIMXMLdecode_exportIndication); break;
    case 26: list(text, prefilled, CIMLIST_CLASS, CIMXMLdecode_execQuery); break;
    case 27: list(text, prefilled, CIMLIST_INSTANCE, CIMXMLdecode_associators); break;
    case 28: list(text, prefilled, CIMLIST_CLASS, CIMXMLdecode_references); break;
    default: list(text, false, CIMLIST_OBJECTPATH, CIMXMLdecode_associatorNames); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzsupport::silenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static unsigned long inputs = 0;
    if (size == 0) return 0;
    set_strict_profile((data[0] & 0x80) != 0);
    withHead = (data[0] & 0x40) != 0;
    std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
    decode(data[0], text.c_str());
    if (++inputs % 512 == 0) GC_gcollect();
    return 0;
}
