// packed_records.cpp - records as compact bytes: numbers as variable-length
// integers, text as UTF-8 unless a character would not come back the same
// (surrogates, the escaped-byte range, beyond U+10FFFF: then the wide
// characters themselves), every optional part behind a presence mark.
#include <cstring>
#include <new>
#include <stdexcept>

#include "internal.h"

#include "cimobj/cimobj_packed.hpp"

namespace cimobj {
namespace {

bool isArrayCode(int type) { return type >= CIM_ARRAY + CIM_UINT8 && type <= CIM_ARRAY + CIM_CLASS; }

template <class T>
T *orThrow(T *made) {
    if (!made) throw std::bad_alloc();
    return made;
}

// ---- writing ----

void putUnsigned(std::string &out, uint64_t n) {
    while (n >= 0x80) {
        out.push_back(static_cast<char>(0x80 | (n & 0x7F)));
        n >>= 7;
    }
    out.push_back(static_cast<char>(n));
}

// Small negative numbers stay small (zigzag).
void putSigned(std::string &out, int64_t n) {
    putUnsigned(out, (static_cast<uint64_t>(n) << 1) ^ static_cast<uint64_t>(n >> 63));
}

template <class T>
void putRaw(std::string &out, T value) {
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

enum StringForm : char { kAbsent = 0, kNullString = 1, kUtf8 = 2, kWide = 3 };

// The number of UTF-8 bytes of text, or SIZE_MAX when UTF-8 would not give
// every character back as it is.
size_t exactUtf8Length(const wchar_t *text, size_t length) {
    size_t bytes = 0;
    for (size_t i = 0; i < length; ++i) {
        auto c = static_cast<uint32_t>(text[i]);
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return SIZE_MAX;
        bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    }
    return bytes;
}

void putString(std::string &out, const CIMString *s) {
    if (!s) return out.push_back(kAbsent);
    if (!s->buffer) return out.push_back(kNullString);
    if (size_t bytes = exactUtf8Length(s->buffer, s->length); bytes != SIZE_MAX) {
        out.push_back(kUtf8);
        putUnsigned(out, bytes);
        appendUtf8(out, s->buffer, s->length);
        return;
    }
    out.push_back(kWide);
    putUnsigned(out, s->length);
    out.append(reinterpret_cast<const char *>(s->buffer), s->length * sizeof(wchar_t));
}

void putPath(std::string &out, const CIMObjectPath *path);
void putClass(std::string &out, const CIMClass *c);
void putItem(std::string &out, int kind, const void *item);

// A list: absent, or its type and items.
void putList(std::string &out, const CIMList *list) {
    if (!list) return putUnsigned(out, 0);
    bool borrowed = listItemKind(getListType(list)) == CIMLIST_POINTER;
    putUnsigned(out, borrowed ? 1 : static_cast<uint64_t>(getLength(list)) + 1);
    putSigned(out, getListType(list));
    // A list of borrowed items holds nothing of the record's own: it is kept
    // as an empty list of its type.
    int kind = listItemKind(getListType(list));
    if (kind == CIMLIST_POINTER) return;
    for (CIMListNode *node = getFirstNode(list); node; node = getNextNode(node)) putItem(out, kind, getNodeItem(node));
}

void putScalar(std::string &out, const CIMValue &v) {
    switch (v.type) {
    case CIM_UINT8: return putUnsigned(out, v.data.u8);
    case CIM_SINT8: return putSigned(out, v.data.s8);
    case CIM_UINT16: return putUnsigned(out, v.data.u16);
    case CIM_SINT16: return putSigned(out, v.data.s16);
    case CIM_UINT32: return putUnsigned(out, v.data.u32);
    case CIM_SINT32: return putSigned(out, v.data.s32);
    case CIM_UINT64: return putUnsigned(out, v.data.u64);
    case CIM_SINT64: return putSigned(out, v.data.s64);
    case CIM_REAL32: return putRaw(out, v.data.r32);
    case CIM_REAL64: return putRaw(out, v.data.r64);
    case CIM_BOOLEAN: return out.push_back(static_cast<char>(v.data.boolean ? 1 : 0));
    case CIM_CHAR16: return putUnsigned(out, v.data.char16);
    case CIM_STRING:
    case CIM_DATETIME: return putString(out, v.data.string);
    case CIM_REFERENCE: return putPath(out, v.data.reference);
    case CIM_OBJECT: return packInstance(out, v.data.instance);
    case CIM_CLASS: return putClass(out, v.data.cimClass);
    default: return;  // cimnull, empty and unknown codes hold nothing
    }
}

// Flags of a value: present, null, has a reference class.
enum : unsigned char { kValuePresent = 1, kValueNull = 2, kValueReferenceClass = 4 };

void putQualifier(std::string &out, const CIMQualifier *q) {
    putString(out, q->name);
    packValue(out, q->value);
    putSigned(out, q->type);
    putSigned(out, q->flavor);
    putSigned(out, q->propagated);
    putSigned(out, q->scope);
    putSigned(out, q->arraySize);
}

void putProperty(std::string &out, const CIMProperty *p) {
    putString(out, p->name);
    putString(out, p->classOrigin);
    packValue(out, p->value);
    putSigned(out, p->type);
    putList(out, p->qualifiers);
    putSigned(out, p->propagated);
    putSigned(out, p->isKey);
}

void putMethod(std::string &out, const CIMMethod *m) {
    putString(out, m->name);
    putString(out, m->classOrigin);
    putSigned(out, m->propagated);
    putList(out, m->qualifiers);
    putSigned(out, m->returnType);
    putList(out, m->parameters);
}

void putPath(std::string &out, const CIMObjectPath *path) {
    if (!path) return out.push_back(0);
    out.push_back(1);
    putString(out, path->className);
    putString(out, path->nameSpace);
    putString(out, path->host);
    putList(out, path->mkeys);
}

void putClass(std::string &out, const CIMClass *c) {
    if (!c) return out.push_back(0);
    out.push_back(1);
    putPath(out, c->path);
    putString(out, c->superClass);
    putList(out, c->qualifiers);
    putList(out, c->properties);
    putList(out, c->methods);
}

// Items by the kind listItemKind gives their list type; the kinds are the
// list type codes of their items.
void putItem(std::string &out, int kind, const void *item) {
    switch (kind) {
    case CIMLIST_CLASS: return putClass(out, static_cast<const CIMClass *>(item));
    case CIMLIST_PROPERTY: return putProperty(out, static_cast<const CIMProperty *>(item));
    case CIMLIST_INSTANCE: return packInstance(out, static_cast<const CIMInstance *>(item));
    case CIMLIST_OBJECTPATH: return putPath(out, static_cast<const CIMObjectPath *>(item));
    case CIMLIST_QUALIFIER: return putQualifier(out, static_cast<const CIMQualifier *>(item));
    case CIMLIST_METHOD: return putMethod(out, static_cast<const CIMMethod *>(item));
    case CIMLIST_VALUE: return packValue(out, static_cast<const CIMValue *>(item));
    case CIMLIST_STRING: return putString(out, static_cast<const CIMString *>(item));
    case CIMLIST_RETURNCODE: {
        const auto *rc = static_cast<const ReturnCode *>(item);
        putSigned(out, rc->rc);
        return putString(out, rc->description);
    }
    default: return;  // never reached: putList writes a borrowed list without items
    }
}

// ---- reading ----

class Reader {
public:
    explicit Reader(std::string_view &in) : in_(in) {}

    uint64_t getUnsigned() {
        uint64_t n = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            auto byte = static_cast<unsigned char>(take(1)[0]);
            n |= static_cast<uint64_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80)) return n;
        }
        throw std::length_error("packed number too long");
    }
    int64_t getSigned() {
        uint64_t z = getUnsigned();
        return static_cast<int64_t>((z >> 1) ^ (~(z & 1) + 1));
    }
    int getInt() { return static_cast<int>(getSigned()); }
    unsigned char getByte() { return static_cast<unsigned char>(take(1)[0]); }
    template <class T>
    T getRaw() {
        T value;
        std::memcpy(&value, take(sizeof value), sizeof value);
        return value;
    }
    const char *take(size_t count) {
        if (count > in_.size()) throw std::length_error("packed record ends too soon");
        const char *at = in_.data();
        in_.remove_prefix(count);
        return at;
    }

private:
    std::string_view &in_;
};

CIMString *getString(Reader &in) {
    switch (in.getByte()) {
    case kAbsent: return nullptr;
    case kNullString: return orThrow(allocRecord<CIMString>());
    case kUtf8: {
        size_t length = in.getUnsigned();
        return orThrow(newStringFromUtf8(in.take(length), length));
    }
    default: {
        size_t length = in.getUnsigned();
        if (length > SIZE_MAX / sizeof(wchar_t)) throw std::length_error("packed text too long");
        const char *bytes = in.take(length * sizeof(wchar_t));
        return orThrow(newStringFromWideBytes(bytes, length));
    }
    }
}

CIMObjectPath *getPath(Reader &in);
CIMClass *getClass(Reader &in);
CIMInstance *getInstance(Reader &in);
CIMValue *getValue(Reader &in);

CIMQualifier *getQualifier(Reader &in) {
    QualifierPtr q(orThrow(allocRecord<CIMQualifier>()));
    q->name = getString(in);
    q->value = getValue(in);
    q->type = in.getInt();
    q->flavor = in.getInt();
    q->propagated = in.getInt();
    q->scope = in.getInt();
    q->arraySize = in.getInt();
    return q.release();
}

CIMList *getList(Reader &in);

CIMProperty *getProperty(Reader &in) {
    PropertyPtr p(orThrow(allocRecord<CIMProperty>()));
    p->name = getString(in);
    p->classOrigin = getString(in);
    p->value = getValue(in);
    p->type = in.getInt();
    p->qualifiers = getList(in);
    p->propagated = in.getInt();
    p->isKey = in.getInt();
    return p.release();
}

CIMMethod *getMethod(Reader &in) {
    MethodPtr m(orThrow(allocRecord<CIMMethod>()));
    m->name = getString(in);
    m->classOrigin = getString(in);
    m->propagated = in.getInt();
    m->qualifiers = getList(in);
    m->returnType = in.getInt();
    m->parameters = getList(in);
    return m.release();
}

void *getItem(Reader &in, int kind) {
    switch (kind) {
    case CIMLIST_CLASS: return getClass(in);
    case CIMLIST_PROPERTY: return getProperty(in);
    case CIMLIST_INSTANCE: return getInstance(in);
    case CIMLIST_OBJECTPATH: return getPath(in);
    case CIMLIST_QUALIFIER: return getQualifier(in);
    case CIMLIST_METHOD: return getMethod(in);
    case CIMLIST_VALUE: return getValue(in);
    case CIMLIST_STRING: return getString(in);
    case CIMLIST_RETURNCODE: {
        ReturnCode *rc = orThrow(allocRecord<ReturnCode>());
        rc->rc = in.getInt();
        try {
            rc->description = getString(in);
        } catch (...) {
            freeReturnCode(rc);
            throw;
        }
        return rc;
    }
    default: throw std::length_error("packed list of an unknown type");
    }
}

CIMList *getList(Reader &in) {
    uint64_t count = in.getUnsigned();
    if (count == 0) return nullptr;
    int type = in.getInt();
    ListPtr list(orThrow(newList(type)));
    int kind = listItemKind(type);
    for (uint64_t i = 1; i < count; ++i) {
        void *item = getItem(in, kind);
        if (!item) throw std::length_error("packed list holds an absent item");
        ReturnCodePtr rc(appendToList(list.get(), item));
        if (!rc || rc->rc != 0) {
            freeListItem(kind, item);
            throw std::bad_alloc();
        }
    }
    return list.release();
}

CIMObjectPath *getPath(Reader &in) {
    if (in.getByte() == 0) return nullptr;
    PathPtr path(orThrow(allocRecord<CIMObjectPath>()));
    path->className = getString(in);
    path->nameSpace = getString(in);
    path->host = getString(in);
    path->mkeys = getList(in);
    return path.release();
}

CIMClass *getClass(Reader &in) {
    if (in.getByte() == 0) return nullptr;
    ClassPtr c(orThrow(allocRecord<CIMClass>()));
    c->path = getPath(in);
    c->superClass = getString(in);
    c->qualifiers = getList(in);
    c->properties = getList(in);
    c->methods = getList(in);
    return c.release();
}

CIMInstance *getInstance(Reader &in) {
    if (in.getByte() == 0) return nullptr;
    InstancePtr i(orThrow(allocRecord<CIMInstance>()));
    i->path = getPath(in);
    i->className = getString(in);
    i->nameSpace = getString(in);
    i->properties = getList(in);
    return i.release();
}

void getScalar(Reader &in, CIMValue &v) {
    switch (v.type) {
    case CIM_UINT8: v.data.u8 = static_cast<uint8_t>(in.getUnsigned()); return;
    case CIM_SINT8: v.data.s8 = static_cast<int8_t>(in.getSigned()); return;
    case CIM_UINT16: v.data.u16 = static_cast<uint16_t>(in.getUnsigned()); return;
    case CIM_SINT16: v.data.s16 = static_cast<int16_t>(in.getSigned()); return;
    case CIM_UINT32: v.data.u32 = static_cast<uint32_t>(in.getUnsigned()); return;
    case CIM_SINT32: v.data.s32 = static_cast<int32_t>(in.getSigned()); return;
    case CIM_UINT64: v.data.u64 = in.getUnsigned(); return;
    case CIM_SINT64: v.data.s64 = in.getSigned(); return;
    case CIM_REAL32: v.data.r32 = in.getRaw<float>(); return;
    case CIM_REAL64: v.data.r64 = in.getRaw<double>(); return;
    case CIM_BOOLEAN: v.data.boolean = in.getByte() ? 1 : 0; return;
    case CIM_CHAR16: v.data.char16 = static_cast<uint16_t>(in.getUnsigned()); return;
    case CIM_STRING:
    case CIM_DATETIME: v.data.string = getString(in); return;
    case CIM_REFERENCE: v.data.reference = getPath(in); return;
    case CIM_OBJECT: v.data.instance = getInstance(in); return;
    case CIM_CLASS: v.data.cimClass = getClass(in); return;
    default: return;
    }
}

CIMValue *getValue(Reader &in) {
    unsigned char flags = in.getByte();
    if (!(flags & kValuePresent)) return nullptr;
    // Filled while null, so that a failure half way frees only what is there.
    ValuePtr v(orThrow(allocRecord<CIMValue>()));
    v->isNull = 1;
    v->type = in.getInt();
    if (flags & kValueReferenceClass) v->referenceClass = getString(in);
    if (flags & kValueNull) return v.release();
    if (isArrayCode(v->type)) {
        CIMList *array = getList(in);
        v->data.array = array;
    } else {
        CIMValue scalar{};
        scalar.type = v->type;
        scalar.isNull = 1;
        getScalar(in, scalar);
        v->data = scalar.data;
    }
    v->isNull = 0;
    return v.release();
}

}  // namespace

void packValue(std::string &out, const CIMValue *v) {
    if (!v) return out.push_back(0);
    unsigned char flags = kValuePresent | (v->isNull ? kValueNull : 0) | (v->referenceClass ? kValueReferenceClass : 0);
    out.push_back(static_cast<char>(flags));
    putSigned(out, v->type);
    if (v->referenceClass) putString(out, v->referenceClass);
    if (v->isNull) return;
    if (isArrayCode(v->type))
        putList(out, v->data.array);
    else
        putScalar(out, *v);
}

void packInstance(std::string &out, const CIMInstance *i) {
    if (!i) return out.push_back(0);
    out.push_back(1);
    putPath(out, i->path);
    putString(out, i->className);
    putString(out, i->nameSpace);
    putList(out, i->properties);
}

ValuePtr unpackValue(std::string_view &in) {
    Reader reader(in);
    return ValuePtr(getValue(reader));
}

InstancePtr unpackInstance(std::string_view &in) {
    Reader reader(in);
    return InstancePtr(getInstance(reader));
}

}  // namespace cimobj
