// mof_values.cpp - MOF literals converted to typed values: integers range
// checked, datetimes checked, references resolved, arrays built.
#include "mof/mof_values.h"

#include "support/type_names.h"
#include "support/number_text.h"

namespace cimom::mof {

namespace {

const char *describeLiteral(const Literal &literal) {
    switch (literal.kind) {
    case Literal::Kind::Null: return "null";
    case Literal::Kind::Boolean: return "a boolean";
    case Literal::Kind::Integer: return "an integer";
    case Literal::Kind::Real: return "a real";
    case Literal::Kind::String: return "a string";
    case Literal::Kind::Char16: return "a char16";
    case Literal::Kind::Alias: return "an alias";
    case Literal::Kind::Array: return "an array";
    case Literal::Kind::Object: return "an embedded object";
    }
    return "a value";
}

[[noreturn]] void mismatch(const Literal &literal, int type, const std::string &what) {
    fail(literal.at, "expected a value of type " + describeType(type) + " for " + what + ", found " +
                         describeLiteral(literal));
}

bool isDigitText(std::wstring_view text) {
    for (wchar_t c : text)
        if ((c < L'0' || c > L'9') && c != L'*') return false;
    return true;
}

// A timestamp yyyymmddhhmmss.mmmmmmsutc or an interval ddddddddhhmmss.mmmmmm:000
// (digits may be '*' where a field is not significant).
bool isDatetime(std::wstring_view text) {
    if (text.size() != 25 || text[14] != L'.') return false;
    if (!isDigitText(text.substr(0, 14)) || !isDigitText(text.substr(15, 6))) return false;
    if (text[21] == L':') return text.substr(22) == L"000";
    return (text[21] == L'+' || text[21] == L'-') && isDigitText(text.substr(22));
}

cimobj::ValuePtr integerFromLiteral(const Literal &literal, int type) {
    IntegerText number;
    NumberStatus status = readInteger(literal.text, number);
    if (status == NumberStatus::Malformed) fail(literal.at, "invalid integer " + literal.text);
    cimobj::ValuePtr value;
    if (isRealType(type)) return realValue(type, number);
    if (status == NumberStatus::Ok) value = integerValue(type, number);
    if (!value) fail(literal.at, "integer " + literal.text + " out of range for " + describeType(type));
    return value;
}

cimobj::ValuePtr scalarFromLiteral(const Literal &literal, int type, const std::string &what,
                                   ValueResolver &resolver) {
    // An object written in place is one whatever holds it: the object
    // manager keeps embedded objects in string properties too.
    using Kind = Literal::Kind;
    if (literal.kind == Kind::Object) {
        if (type != CIM_STRING && type != CIM_OBJECT && type != CIM_CLASS) mismatch(literal, type, what);
        return resolver.embeddedDeclaration(literal);
    }
    if (literal.kind == Kind::Null) return nullValue(type);
    if (literal.kind == Kind::Array) mismatch(literal, type, what);
    if (isIntegerType(type)) {
        if (literal.kind != Kind::Integer) mismatch(literal, type, what);
        return integerFromLiteral(literal, type);
    }
    switch (type) {
    case CIM_REAL32:
    case CIM_REAL64: {
        if (literal.kind == Kind::Integer) return integerFromLiteral(literal, type);
        if (literal.kind != Kind::Real) mismatch(literal, type, what);
        NumberStatus status;
        cimobj::ValuePtr value = realValue(type, literal.text, status);
        if (!value) fail(literal.at, "real " + literal.text + " out of range for " + describeType(type));
        return value;
    }
    case CIM_BOOLEAN:
        if (literal.kind != Kind::Boolean) mismatch(literal, type, what);
        return scalarValue(type, literal.boolean ? 1 : 0);
    case CIM_CHAR16:
        if (literal.kind != Kind::Char16) mismatch(literal, type, what);
        return scalarValue(type, static_cast<uint16_t>(literal.string[0]));
    case CIM_STRING:
        if (literal.kind != Kind::String) mismatch(literal, type, what);
        return stringValue(type, literal.string);
    case CIM_DATETIME:
        if (literal.kind != Kind::String) mismatch(literal, type, what);
        if (!isDatetime(literal.string))
            fail(literal.at, "invalid datetime value \"" + cimobj::toUtf8(literal.string) + "\"");
        return stringValue(type, literal.string);
    case CIM_REFERENCE: {
        cimobj::PathPtr path;
        if (literal.kind == Kind::Alias) {
            path = resolver.aliasPath(literal);
        } else if (literal.kind == Kind::String) {
            std::string error;
            path = parseObjectPathText(literal.string, &error, resolver.keyTypes());
            if (!path)
                fail(literal.at, "invalid object path \"" + cimobj::toUtf8(literal.string) + "\": " + error);
        } else {
            mismatch(literal, type, what);
        }
        cimobj::ValuePtr value(newCIMValue(CIM_REFERENCE, path.get()));
        if (!value) throw std::bad_alloc();
        path.release();
        return value;
    }
    case CIM_OBJECT:
    case CIM_CLASS:
        if (literal.kind != Kind::String) mismatch(literal, type, what);
        return resolver.embeddedObject(literal, type);
    default: fail(literal.at, what + " has a type MOF cannot give a value");
    }
}

}  // namespace

cimobj::ValuePtr typedValue(const Literal &literal, int type, const std::string &what, ValueResolver &resolver,
                            bool scalarToArray) {
    if (!isArrayType(type)) return scalarFromLiteral(literal, type, what, resolver);
    if (literal.kind == Literal::Kind::Null) return nullValue(type);
    int scalar = scalarTypeOf(type);
    cimobj::ListPtr elements(newCIMValueList());
    if (!elements) throw std::bad_alloc();
    auto append = [&](const Literal &element) {
        cimobj::ValuePtr value = scalarFromLiteral(element, scalar, what, resolver);
        if (!isSuccessfulFree(appendToCIMValueList(elements.get(), value.get()))) throw std::bad_alloc();
        value.release();
    };
    if (literal.kind == Literal::Kind::Array) {
        for (const Literal &element : literal.elements) append(element);
    } else if (scalarToArray) {
        append(literal);
    } else {
        fail(literal.at, "expected an array value {...} for " + what + ", found " + describeLiteral(literal));
    }
    cimobj::ValuePtr value(newCIMValue(type, elements.get()));
    if (!value) throw std::bad_alloc();
    elements.release();
    return value;
}

}  // namespace cimom::mof
