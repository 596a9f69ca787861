// fql_filter.h - filters in the DMTF Filter Query Language (FQL), as the
// pull operations take them (FilterQueryLanguage "DMTF:FQL"): parsed once,
// then asked of each instance whether it passes.
//
// The language:
//   filter: AND, OR, NOT and parentheses over predicates; NOT binds tighter
//   than AND, AND tighter than OR
//     operand op operand             op: = <> < <= > >=
//     [ANY | EVERY] path op operand
//     [ANY | EVERY] path IS [NOT] NULL
//     [ANY | EVERY] path [NOT] LIKE "regular expression"
//     [ANY | EVERY] path ISA ClassName   (or ISA "ClassName")
//   path: Name, Name[index], Emb.Name, Emb[2].Inner[0].Name ...: a property
//     of the instance, an element of an array property (from 0), a property
//     of an embedded instance
//   operand: a path, or a literal: "string" or 'string' (escapes \\ \' \"
//     \b \t \n \f \r \xH..HHHH), an integer (decimal, 0x hexadecimal, or
//     binary with a trailing b; optionally signed), a real (1.5, -2e3),
//     TRUE, FALSE, NULL.
//   Keywords and property names are caseless; a comparison needs a path on
//   at least one side.
//
// What a predicate compares: numbers by value whatever their CIM types;
// strings and char16 by character code, case-sensitively; booleans with =
// and <> only; a datetime property with a string holding a CIM datetime
// (points in time as instants, intervals as durations, never one with the
// other); a reference property with a string holding an instance path
// ("Class.Key=\"v\"", = and <> only: same class, caseless, and the same keys
// with equal values), or with another reference. LIKE matches the whole of
// a string property (the pattern language is in fql_pattern.h; its
// backslashes are doubled inside the FQL string). ISA is true for an
// embedded instance or class, or a reference, of the class or a subclass.
//
// Truth: SQL's three values. A predicate on NULL (a null value, a property
// the instance lacks, an index past the end, a path through a null embedded
// instance), a comparison with the NULL literal, and one between kinds that
// do not compare (a string with a number, an array or embedded object with
// anything, ordering of booleans) is unknown; NOT unknown is unknown; an
// instance passes only when the whole filter is true.
//
// ANY and EVERY range over the elements of the arrays on the path (each
// unindexed array along it, so ANY Ports.Address = "x" looks into every
// element of the embedded-instance array Ports): ANY is true when one
// element makes the predicate true, false when all make it false or there
// are none; EVERY is true when all do (also when there are none), false
// when one makes it false; otherwise unknown. A path on which no array is
// met makes the quantified predicate unknown.
//
// Failures of parsing are Status code 15 (CIM_ERR_INVALID_QUERY) with a
// description "FQL column C: <what was wrong>", C counted in characters
// from 1 (the end of the text is its length + 1). Parsing is linear in the
// length of the text; nesting of parentheses and NOT is bounded
// (kMaxFqlNesting); matching one instance takes time linear in the
// filter's size and the values it reads (LIKE never backtracks).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <cimobj/cimobj.h>
#include <cimom/status.h>

namespace cimom {

// Deepest nesting of parentheses and NOT that a filter may use.
inline constexpr int kMaxFqlNesting = 64;

// True when language names FQL: exactly "DMTF:FQL", the one name FQL
// filters are given by (compared as written, so "dmtf:fql" is not it). The
// caller answers any other filter language with status 14
// (CIM_ERR_QUERY_LANGUAGE_NOT_SUPPORTED).
bool isFilterQueryLanguage(std::wstring_view language);

// Answers ISA: true when className names baseName or one of its subclasses.
using SubclassTest = std::function<bool(std::wstring_view className, std::wstring_view baseName)>;

// A parsed filter. Move-only; matches does not change it, so several
// threads may match with one filter at once.
class FqlFilter {
public:
    FqlFilter();
    ~FqlFilter();
    FqlFilter(FqlFilter &&) noexcept;
    FqlFilter &operator=(FqlFilter &&) noexcept;

    // True when the filter is true for instance; false when it is false or
    // unknown, for a NULL instance, and for a filter that was never parsed.
    // instance is lent. isSameOrSubclass answers ISA beyond the class's own
    // name; without it, ISA of another class is unknown.
    bool matches(const CIMInstance *instance, const SubclassTest &isSameOrSubclass = {}) const;

    // The names of the instance's properties the filter reads (the first
    // name of each path), each once (caseless), in the order they first
    // appear, spelt as there; the caller makes sure instances carry them.
    // Empty before a parse.
    const std::vector<std::wstring> &propertyNames() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
    friend Status parseFqlFilter(std::wstring_view text, FqlFilter &filter);
};

// Parses text into filter (replacing what it held). Returns success, or
// status 15 with "FQL column C: ..." saying where and what was wrong;
// filter is then empty. Never throws for bad text (std::bad_alloc only).
Status parseFqlFilter(std::wstring_view text, FqlFilter &filter);

}  // namespace cimom
