// wql.h - the WQL query engine of the object manager.
//
// A query goes through three steps: parseWqlQuery turns the text into a
// WqlQuery, validate resolves its class and property names against the
// schema (a WqlSchema the object manager implements), and then, for each
// instance of the FROM class and its subclasses that the caller enumerates,
// matches tells whether the instance satisfies the WHERE condition and
// project makes the instance the result carries. The engine never reads a
// repository itself.
//
// The language:
//   SELECT * | prop [, prop ...] FROM Class [WHERE condition]
//   condition: AND, OR, NOT, parentheses and predicates
//     operand op operand          op: = <> != < <= > >=
//     operand IS [NOT] NULL
//     operand [NOT] LIKE 'pattern'   % any run, _ any one character,
//                                    [abc] [a-z] [^abc] one of / none of a set
//     prop ISA 'Class'  (or ISA Class)
//   operand: a property name, 'string' or "string" (escapes \\ \' \" \b \t
//   \n \f \r \xH..HHHH), an integer or real number (optionally signed),
//   TRUE, FALSE or NULL.
// Keywords, property and class names are case-insensitive; string values
// compare case-sensitively, by character code. Numbers compare by value
// whatever their CIM types (signed, unsigned, real). A string literal
// compared with a datetime property must be a complete CIM datetime; points
// in time compare as instants (the UTC offset honoured), intervals as
// durations; a point and an interval, or a value with '*' fields, are
// incomparable. Booleans compare with = and <> only. Array, reference and
// embedded-object properties take IS [NOT] NULL; references and embedded
// objects also ISA.
//
// NULL follows SQL's three-valued logic: a comparison, LIKE or ISA with a
// NULL (or incomparable) operand is unknown, NOT unknown is unknown, and an
// instance matches only when the whole condition is true. A property that an
// instance lacks counts as NULL.
//
// ISA: `prop ISA 'C'` is true when prop holds a reference to, or an embedded
// instance (or class) of, C or a subclass of C. The FROM class's own name
// on the left of ISA stands for the instance itself:
//   SELECT * FROM CIM_LogicalElement WHERE CIM_LogicalElement ISA 'CIM_Process'
// is true for the instances whose class is CIM_Process or a subclass of it.
// A property of that name takes precedence over this reading.
//
// Failures are Status code 15 (CIM_ERR_INVALID_QUERY) with a description
// "WQL column C: <what was wrong>", C counted in characters from 1 (the
// end of the text is its length + 1). Nesting of parentheses and NOT is
// bounded (kMaxWqlNesting); parsing and validation are linear in the length
// of the query.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <cimobj/cimobj.hpp>

#include "status.h"

namespace cimom {

// Deepest nesting of parentheses and NOT that a query may use.
inline constexpr int kMaxWqlNesting = 64;

// True when language names WQL (compared without regard to case). The
// caller answers any other language with status 14.
bool isWqlLanguage(std::wstring_view language);

// The schema a query is checked and evaluated against: the classes of one
// namespace, as the object manager knows them. Called only during validate
// and matches, from the caller's thread.
class WqlSchema {
public:
    virtual ~WqlSchema() = default;
    // The class named className (caseless) with its inherited properties,
    // lent until the next call on the schema; NULL when there is no such class.
    virtual const CIMClass *findClass(std::wstring_view className) = 0;
    // True when className names baseName or one of its subclasses (caseless);
    // false when either is unknown.
    virtual bool isSameOrSubclass(std::wstring_view className, std::wstring_view baseName) = 0;
};

// A parsed query. Move-only; once validated it is not changed by matches or
// project, so several threads may use it at once.
class WqlQuery {
public:
    WqlQuery();
    ~WqlQuery();
    WqlQuery(WqlQuery &&) noexcept;
    WqlQuery &operator=(WqlQuery &&) noexcept;

    // The FROM class as written in the query (empty before a parse).
    const std::wstring &className() const;
    // True for SELECT *.
    bool selectsAll() const;

    // Resolves the FROM class, every property name and every ISA class
    // through schema, and checks that each predicate fits its operands'
    // types (converting datetime literals). Returns success, or status 15
    // naming the unknown class or property, or the mismatch, with its
    // column; the query is then unusable until validated again.
    Status validate(WqlSchema &schema);

    // True when the WHERE condition is true for instance (always true
    // without WHERE); false when it is false or unknown, when instance is
    // NULL, and when the query was not validated. instance is lent; schema
    // answers ISA.
    bool matches(const CIMInstance *instance, WqlSchema &schema) const;

    // A new instance that the caller owns: a copy of instance for SELECT *,
    // else its class name, namespace, path and the selected properties in
    // the order of the select list (a property the instance lacks appears
    // with a null value of the class's type). NULL for a NULL instance or a
    // query not validated. Throws std::bad_alloc when memory is exhausted.
    cimobj::InstancePtr project(const CIMInstance *instance) const;

    // The class the results are instances of, which the caller owns:
    // fromClass (the FROM class with its inherited properties) for SELECT *,
    // else fromClass with the selected properties only, in the order of the
    // select list, and no methods. NULL for a NULL class or a query not
    // validated. Throws std::bad_alloc when memory is exhausted.
    cimobj::ClassPtr resultClass(const CIMClass *fromClass) const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
    friend Status parseWqlQuery(std::wstring_view text, WqlQuery &query);
};

// Parses text into query (replacing what it held). Returns success, or
// status 15 with "WQL column C: ..." saying where and what was expected;
// query is then empty. Never throws for bad text (std::bad_alloc only).
Status parseWqlQuery(std::wstring_view text, WqlQuery &query);

}  // namespace cimom
