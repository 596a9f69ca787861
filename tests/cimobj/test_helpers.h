// test_helpers.h - small conveniences for the object library suites.
#pragma once

#include <cimobj/cimobj.h>

#include <string>

namespace cimobjtest {

inline CIMString *str(const wchar_t *text) { return newCIMString(text); }

inline std::wstring wide(const CIMString *s) {
    const wchar_t *b = getCIMStringBuffer(s);
    return b ? std::wstring(b) : std::wstring(L"<absent>");
}

// Takes a collected text (left to the collector) into a std::string.
inline std::string narrow(const char *text) { return text ? std::string(text) : "<null>"; }

// The status code of a returned record, which is freed.
inline int statusOf(ReturnCode *rc) {
    int code = getErrorFromRetCode(rc);
    freeReturnCode(rc);
    return code;
}

inline CIMValue *u32Value(uint32_t n) { return newCIMValue(CIM_UINT32, &n); }
inline CIMValue *boolValue(int b) { return newCIMValue(CIM_BOOLEAN, &b); }
inline CIMValue *stringValue(const wchar_t *text) { return newCIMValue(CIM_STRING, str(text)); }

inline CIMProperty *keyProperty(const wchar_t *name, CIMValue *value) {
    return newPropertyKey(str(name), nullptr, value);
}

// A path "cls" with the keys Name="n" and Id=id.
inline CIMObjectPath *twoKeyPath(const wchar_t *cls, const wchar_t *n, uint32_t id) {
    CIMObjectPath *p = newObjectPathWithName(str(cls));
    isSuccessfulFree(objectPathAddKey(p, keyProperty(L"Name", stringValue(n))));
    isSuccessfulFree(objectPathAddKey(p, keyProperty(L"Id", u32Value(id))));
    return p;
}

}  // namespace cimobjtest
