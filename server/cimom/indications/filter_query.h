// filter_query.h - the query of an indication filter, compiled once: WQL
// (the whole language of cimom/wql.h over the indication's properties), or
// the part of DMTF:CQL that filters use: SELECT * or a property list, FROM
// one indication class, and a WHERE condition over the indication's
// properties and through SourceInstance into the instance's (paths such as
// SourceInstance.State, ISA, LIKE, IS NULL), read as cimom/fql_filter.h
// reads a condition.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cimom/wql.h"
#include "query/class_lookup_schema.h"
#include "query/fql_filter.h"
#include "repository/class_record.h"

namespace cimom {

// Finds a class by name where the filter may name it (see SchemaClassLookup).
using IndicationClassLookup = SchemaClassLookup;

class FilterQuery {
public:
    // What the condition requires of SourceInstance when it is a
    // conjunction (no OR, no NOT): the class of a term "SourceInstance ISA
    // Class" (folded) and, of a term "SourceInstance.Property = 'text'", the
    // property (folded) and the text. Empty where the condition requires
    // no such thing.
    struct SourceRequirement {
        std::wstring sourceClass;
        std::wstring property;
        std::wstring value;
    };

    // The indication class the FROM clause names, as the schema spells it,
    // folded.
    const std::wstring &indicationClass() const { return indicationClass_; }
    // The class SourceInstance must be (or derive from) for the filter to
    // select an indication, and the text one of its string properties must
    // have; see SourceRequirement.
    const SourceRequirement &required() const { return required_; }
    // True when the indication (of the FROM class or a subclass) passes the
    // WHERE condition; classes are looked up through lookup for ISA.
    bool matches(const CIMInstance &indication, const IndicationClassLookup &lookup) const;

private:
    friend Status compileFilterQuery(std::wstring_view, std::wstring_view, const IndicationClassLookup &, FilterQuery &);
    std::wstring indicationClass_;
    SourceRequirement required_;
    std::shared_ptr<WqlQuery> wql_;
    std::shared_ptr<FqlFilter> cql_;  // the condition; null for none
};

// True for the languages filters may be written in: WQL and DMTF:CQL (any case).
bool isFilterLanguage(std::wstring_view language);

// Compiles query in language. Returns success, status 7 for a language
// other than WQL and DMTF:CQL, or status 4 with "Query: ..." saying what is
// wrong (where it does not parse, with its column; a FROM class that does
// not exist or is no indication class; an unknown property).
Status compileFilterQuery(std::wstring_view query, std::wstring_view language, const IndicationClassLookup &lookup,
                          FilterQuery &compiled);

}  // namespace cimom
