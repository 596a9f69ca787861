// object_path_text.cpp - object paths to and from their text form
// "//host/namespace:Class.Key=value,...".
#include "cimom/object_path_text.h"

#include <algorithm>
#include <vector>

#include "support/number_text.h"
#include "support/type_names.h"

namespace cimom {

namespace {

using mof::IntegerText;
using mof::NumberStatus;

// Reference keys hold paths that may hold references again; deeper than
// this is refused rather than followed.
constexpr int maxReferenceDepth = 16;

struct PathError {
    size_t position;  // from 0, in the text being read
    std::string message;
};

bool isNameChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
           c >= 0x80;
}

bool caselessEqual(std::wstring_view text, std::wstring_view lower) {
    if (text.size() != lower.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != lower[i]) return false;
    }
    return true;
}

std::string narrow(std::wstring_view text) { return cimobj::toUtf8(text); }

// Numbers of the text, for number_text (which reads ASCII).
std::string asciiOf(std::wstring_view text) {
    std::string ascii;
    for (wchar_t c : text) ascii += c < 0x80 ? static_cast<char>(c) : '?';
    return ascii;
}

class PathReader {
public:
    PathReader(std::wstring_view text, const KeyTypeLookup &keyType, int depth)
        : text_(text), keyType_(keyType), depth_(depth) {}
    cimobj::PathPtr read();

private:
    [[noreturn]] void failHere(std::string message) const { throw PathError{pos_, std::move(message)}; }
    std::wstring_view readName(const char *what);
    void readKey(CIMObjectPath &path, std::wstring_view nameSpace, std::wstring_view className);
    cimobj::ValuePtr typedKey(int type, bool quoted, const std::wstring &raw, const std::wstring &key, size_t at);
    cimobj::ValuePtr untypedKey(bool quoted, const std::wstring &raw, const std::wstring &key, size_t at);
    cimobj::ValuePtr numberKey(int type, const std::wstring &raw, const std::wstring &key, size_t at);

    std::wstring_view text_;
    const KeyTypeLookup &keyType_;
    int depth_;
    size_t pos_ = 0;
};

std::wstring_view PathReader::readName(const char *what) {
    size_t start = pos_;
    while (pos_ < text_.size() && isNameChar(text_[pos_])) ++pos_;
    if (pos_ == start || (text_[start] >= L'0' && text_[start] <= L'9')) {
        pos_ = start;
        failHere(std::string("expected ") + what);
    }
    return text_.substr(start, pos_ - start);
}

cimobj::PathPtr PathReader::read() {
    cimobj::PathPtr path(newObjectPathWithName(nullptr));
    if (!path) throw std::bad_alloc();
    std::wstring_view host;
    if (text_.substr(0, 2) == L"//") {
        pos_ = 2;
        size_t slash = text_.find(L'/', pos_);
        if (slash == std::wstring_view::npos || slash == pos_) failHere("expected a host name and '/' after '//'");
        host = text_.substr(pos_, slash - pos_);
        pos_ = slash + 1;
    }
    // The namespace ends at the first ':' that comes before any key.
    size_t colon = pos_;
    while (colon < text_.size() && text_[colon] != L':' && text_[colon] != L'"' && text_[colon] != L'=') ++colon;
    std::wstring_view nameSpace;
    if (colon < text_.size() && text_[colon] == L':') {
        if (colon == pos_) failHere("expected a namespace before ':'");
        nameSpace = text_.substr(pos_, colon - pos_);
        pos_ = colon + 1;
    } else if (!host.empty()) {
        failHere("expected a namespace and ':' after the host");
    }
    std::wstring_view className = readName("a class name");
    setObjectPathHost(path.get(), host.empty() ? nullptr : cimobj::makeString(host).release());
    setObjectPathNameSpace(path.get(), nameSpace.empty() ? nullptr : cimobj::makeString(nameSpace).release());
    setObjectPathName(path.get(), cimobj::makeString(className).release());
    if (pos_ == text_.size()) return path;
    if (text_.substr(pos_) == L"=@") return path;  // a keyless (singleton) instance
    if (text_[pos_] != L'.') failHere("expected '.' and keys after the class name");
    ++pos_;
    for (;;) {
        readKey(*path, nameSpace, className);
        if (pos_ == text_.size()) return path;
        if (text_[pos_] != L',') failHere("expected ',' between keys");
        ++pos_;
    }
}

void PathReader::readKey(CIMObjectPath &path, std::wstring_view nameSpace, std::wstring_view className) {
    std::wstring key(readName("a key name"));
    if (findCIMProperty(path.mkeys, key.c_str())) {
        pos_ -= key.size();
        failHere("key " + narrow(key) + " is given twice");
    }
    if (pos_ >= text_.size() || text_[pos_] != L'=') failHere("expected '=' after key name " + narrow(key));
    ++pos_;
    size_t at = pos_;
    std::wstring raw;
    bool quoted = pos_ < text_.size() && text_[pos_] == L'"';
    if (quoted) {
        for (++pos_;; ++pos_) {
            if (pos_ >= text_.size()) {
                pos_ = at;
                failHere("value of key " + narrow(key) + " is not closed with '\"'");
            }
            if (text_[pos_] == L'"') break;
            if (text_[pos_] == L'\\' && pos_ + 1 < text_.size()) ++pos_;
            raw += text_[pos_];
        }
        ++pos_;
    } else {
        while (pos_ < text_.size() && text_[pos_] != L',') raw += text_[pos_++];
        if (raw.empty()) {
            pos_ = at;
            failHere("expected a value for key " + narrow(key));
        }
    }
    int type = keyType_ ? keyType_(nameSpace, className, key) : -1;
    cimobj::ValuePtr value = type < 0 ? untypedKey(quoted, raw, key, at) : typedKey(type, quoted, raw, key, at);
    cimobj::StringPtr name = cimobj::makeString(key);
    CIMProperty *property = newPropertyKey(name.get(), nullptr, value.get());
    if (!property) throw std::bad_alloc();
    name.release();
    value.release();
    if (!isSuccessfulFree(objectPathAddKey(&path, property))) {
        freeCIMProperty(property);
        throw std::bad_alloc();
    }
}

cimobj::ValuePtr PathReader::numberKey(int type, const std::wstring &raw, const std::wstring &key, size_t at) {
    std::string ascii = asciiOf(raw);
    IntegerText integer;
    NumberStatus status = mof::readInteger(ascii, integer, mof::IntegerForms::DecimalHex);
    cimobj::ValuePtr value;
    if (mof::isIntegerType(type)) {
        if (status == NumberStatus::Ok) value = mof::integerValue(type, integer);
        if (status == NumberStatus::OutOfRange || (status == NumberStatus::Ok && !value)) {
            pos_ = at;
            failHere("integer " + ascii + " out of range for " + mof::describeType(type) + " key " + narrow(key));
        }
    } else {
        value = status == NumberStatus::Ok ? mof::realValue(type, integer) : mof::realValue(type, ascii, status);
        if (status == NumberStatus::OutOfRange) {
            pos_ = at;
            failHere("real " + ascii + " out of range for " + mof::describeType(type) + " key " + narrow(key));
        }
    }
    if (!value) {
        pos_ = at;
        failHere("key " + narrow(key) + " needs a " + mof::describeType(type) + " value, not " + narrow(raw));
    }
    return value;
}

cimobj::ValuePtr PathReader::typedKey(int type, bool quoted, const std::wstring &raw, const std::wstring &key,
                                      size_t at) {
    if (mof::isIntegerType(type) || mof::isRealType(type)) return numberKey(type, raw, key, at);
    switch (type) {
    case CIM_STRING:
    case CIM_DATETIME: return mof::stringValue(type, raw);
    case CIM_BOOLEAN:
        if (caselessEqual(raw, L"true") || caselessEqual(raw, L"false"))
            return mof::scalarValue(type, caselessEqual(raw, L"true") ? 1 : 0);
        break;
    case CIM_CHAR16:
        if (raw.size() == 1 && static_cast<unsigned long>(raw[0]) <= 0xFFFF)
            return mof::scalarValue(type, static_cast<uint16_t>(raw[0]));
        break;
    case CIM_REFERENCE:
        if (!quoted) break;
        if (depth_ >= maxReferenceDepth) {
            pos_ = at;
            failHere("references nested too deeply in key " + narrow(key));
        }
        try {
            cimobj::PathPtr inner = PathReader(raw, keyType_, depth_ + 1).read();
            cimobj::ValuePtr value(newCIMValue(CIM_REFERENCE, inner.get()));
            if (!value) throw std::bad_alloc();
            inner.release();
            return value;
        } catch (const PathError &error) {
            pos_ = at;
            failHere("reference key " + narrow(key) + ": " + error.message + " at character " +
                     std::to_string(error.position + 1) + " of the reference");
        }
        break;
    default: break;
    }
    pos_ = at;
    failHere("key " + narrow(key) + " needs a " + mof::describeType(type) + " value, not " + narrow(raw));
}

cimobj::ValuePtr PathReader::untypedKey(bool quoted, const std::wstring &raw, const std::wstring &key, size_t at) {
    if (quoted) {
        // A quoted instance path is taken for a reference.
        if (depth_ < maxReferenceDepth && raw.find(L'=') != std::wstring::npos) {
            try {
                cimobj::PathPtr inner = PathReader(raw, keyType_, depth_ + 1).read();
                if (getLength(inner->mkeys) > 0) {
                    cimobj::ValuePtr value(newCIMValue(CIM_REFERENCE, inner.get()));
                    if (!value) throw std::bad_alloc();
                    inner.release();
                    return value;
                }
            } catch (const PathError &) {
            }
        }
        return mof::stringValue(CIM_STRING, raw);
    }
    if (caselessEqual(raw, L"true") || caselessEqual(raw, L"false"))
        return mof::scalarValue(CIM_BOOLEAN, caselessEqual(raw, L"true") ? 1 : 0);
    std::string ascii = asciiOf(raw);
    IntegerText integer;
    NumberStatus status = mof::readInteger(ascii, integer, mof::IntegerForms::DecimalHex);
    if (status == NumberStatus::Ok) {
        cimobj::ValuePtr value = mof::integerValue(integer.negative ? CIM_SINT64 : CIM_UINT64, integer);
        if (value) return value;
    }
    if (status != NumberStatus::Malformed) return numberKey(integer.negative ? CIM_SINT64 : CIM_UINT64, raw, key, at);
    NumberStatus realStatus;
    if (cimobj::ValuePtr real = mof::realValue(CIM_REAL64, ascii, realStatus)) return real;
    if (realStatus == NumberStatus::OutOfRange) return numberKey(CIM_REAL64, raw, key, at);
    pos_ = at;
    failHere("expected a number, true, false or a quoted text as value of key " + narrow(key));
}

std::wstring quotedText(std::wstring_view text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') out += L'\\';
        out += c;
    }
    out += L'"';
    return out;
}

std::wstring keyValueText(const CIMValue *value) {
    if (!value || value->isNull) return L"\"\"";
    switch (value->type) {
    case CIM_STRING:
    case CIM_DATETIME: return quotedText(cimobj::view(value->data.string));
    case CIM_CHAR16: return quotedText(std::wstring(1, static_cast<wchar_t>(value->data.char16)));
    case CIM_BOOLEAN: return value->data.boolean ? L"true" : L"false";
    case CIM_REFERENCE: return quotedText(writeObjectPathText(value->data.reference));
    default: {
        std::string number = mof::numberText(value);
        return number.empty() ? L"\"\"" : std::wstring(number.begin(), number.end());
    }
    }
}

std::wstring lowerCase(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t &c : lower)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return lower;
}

}  // namespace

cimobj::PathPtr parseObjectPathText(std::wstring_view text, std::string *error, const KeyTypeLookup &keyType) {
    size_t first = text.find_first_not_of(L" \t\r\n");
    size_t last = text.find_last_not_of(L" \t\r\n");
    std::wstring_view trimmed = first == std::wstring_view::npos ? std::wstring_view() : text.substr(first, last - first + 1);
    try {
        return PathReader(trimmed, keyType, 0).read();
    } catch (const PathError &failure) {
        if (error) {
            size_t offset = first == std::wstring_view::npos ? 0 : first;
            *error = failure.message + " at character " + std::to_string(offset + failure.position + 1);
        }
        return nullptr;
    }
}

std::wstring writeObjectPathText(const CIMObjectPath *path) {
    if (!path) return {};
    std::wstring out;
    std::wstring_view nameSpace = cimobj::view(path->nameSpace);
    if (!nameSpace.empty()) {
        std::wstring_view host = cimobj::view(path->host);
        if (!host.empty()) out.append(L"//").append(host).append(L"/");
        out.append(nameSpace).append(L":");
    }
    out.append(cimobj::view(path->className));
    std::vector<std::pair<std::wstring, const CIMProperty *>> keys;
    for (CIMListNode *node = getFirstNode(path->mkeys); node; node = getNextNode(node)) {
        auto *key = static_cast<const CIMProperty *>(getNodeItem(node));
        if (key) keys.emplace_back(lowerCase(cimobj::view(key->name)), key);
    }
    std::stable_sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    char separator = '.';
    for (const auto &[lower, key] : keys) {
        out += static_cast<wchar_t>(separator);
        separator = ',';
        out.append(cimobj::view(key->name)).append(L"=").append(keyValueText(key->value));
    }
    return out;
}

}  // namespace cimom
