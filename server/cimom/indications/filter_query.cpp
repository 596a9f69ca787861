// filter_query.cpp - compiling and asking indication filter queries.
#include "indications/filter_query.h"

#include <cimobj/cimobj.hpp>

#include <cwctype>

#include "query/class_lookup_schema.h"
#include "support/names.h"

namespace cimom {

namespace {

using cimobj::toUtf8;

Status invalid(const std::string &why) { return Status::error(4, "Query: " + why); }

bool isNameChar(wchar_t c) { return std::iswalnum(c) || c == L'_'; }

// The position of keyword (upper case) at the top level of text from from
// on, standing as a word outside quotes; npos when absent.
std::size_t findKeyword(std::wstring_view text, std::wstring_view keyword, std::size_t from) {
    wchar_t quote = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (quote) {
            if (c == L'\\') ++i;
            else if (c == quote) quote = 0;
            continue;
        }
        if (c == L'\'' || c == L'"') {
            quote = c;
            continue;
        }
        if (i + keyword.size() > text.size() || (i > 0 && isNameChar(text[i - 1]))) continue;
        bool same = true;
        for (std::size_t k = 0; k < keyword.size() && same; ++k) same = static_cast<wchar_t>(std::towupper(text[i + k])) == keyword[k];
        if (same && (i + keyword.size() == text.size() || !isNameChar(text[i + keyword.size()]))) return i;
    }
    return std::wstring_view::npos;
}

std::wstring_view trimmed(std::wstring_view text) {
    while (!text.empty() && std::iswspace(text.front())) text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back())) text.remove_suffix(1);
    return text;
}

// "FQL column C: what" of a condition that starts at offset of the query,
// as "CQL column C+offset: what".
std::string shiftedColumn(const std::string &message, std::size_t offset) {
    const std::string head = "FQL column ";
    if (message.rfind(head, 0) != 0) return message;
    std::size_t colon = message.find(':', head.size());
    long column = std::strtol(message.c_str() + head.size(), nullptr, 10);
    return "CQL column " + std::to_string(column + static_cast<long>(offset)) + message.substr(colon);
}

Status indicationClassOf(std::wstring_view name, const IndicationClassLookup &lookup, std::wstring &folded) {
    ClassRecordPtr record = lookup(name);
    if (!record) return invalid("class " + toUtf8(name) + " does not exist");
    if (!record->indication) return invalid("class " + toUtf8(record->name) + " is not an indication class");
    folded = foldName(record->name);
    return Status::success();
}

Status compileCql(std::wstring_view text, const IndicationClassLookup &lookup, std::wstring &indicationClass,
                  std::shared_ptr<FqlFilter> &condition) {
    std::size_t select = findKeyword(text, L"SELECT", 0);
    if (select == std::wstring_view::npos || !trimmed(text.substr(0, select)).empty())
        return invalid("CQL column 1: expected SELECT");
    std::size_t from = findKeyword(text, L"FROM", select + 6);
    if (from == std::wstring_view::npos) return invalid("CQL: expected FROM after the select list");
    std::wstring_view list = trimmed(text.substr(select + 6, from - select - 6));
    if (list.empty()) return invalid("CQL column " + std::to_string(from + 1) + ": expected a select list before FROM");
    std::size_t where = findKeyword(text, L"WHERE", from + 4);
    std::wstring_view className = trimmed(text.substr(from + 4, where == std::wstring_view::npos ? text.npos : where - from - 4));
    if (className.empty()) return invalid("CQL column " + std::to_string(from + 5) + ": expected a class after FROM");
    for (wchar_t c : className)
        if (!isNameChar(c))
            return invalid("CQL: FROM names one indication class, not \"" + toUtf8(className) + "\"");
    Status status = indicationClassOf(className, lookup, indicationClass);
    if (!status.ok() || where == std::wstring_view::npos) return status;
    std::size_t start = where + 5;
    if (trimmed(text.substr(start)).empty())
        return invalid("CQL column " + std::to_string(text.size() + 1) + ": expected a condition after WHERE");
    condition = std::make_shared<FqlFilter>();
    status = parseFqlFilter(text.substr(start), *condition);
    if (!status.ok()) return invalid(shiftedColumn(status.message, start));
    return status;
}

// True when term is a literal in single quotes with neither quote nor
// backslash inside; text is then what it stands for.
bool plainLiteral(std::wstring_view term, std::wstring_view &text) {
    if (term.size() < 2 || term.front() != L'\'' || term.back() != L'\'') return false;
    text = term.substr(1, term.size() - 2);
    for (wchar_t c : text)
        if (c == L'\'' || c == L'"' || c == L'\\') return false;
    return true;
}

// What a condition made of terms joined by AND alone requires of
// SourceInstance (in WQL and in CQL alike): the class of a term
// "SourceInstance ISA Class" and the text of a term
// "SourceInstance.Property = 'literal'". Parentheses do not matter in a
// conjunction.
void requireOfSource(std::wstring_view query, FilterQuery::SourceRequirement &required) {
    std::size_t where = findKeyword(query, L"WHERE", 0);
    if (where == std::wstring_view::npos) return;
    std::wstring_view condition = query.substr(where + 5);
    if (findKeyword(condition, L"OR", 0) != std::wstring_view::npos ||
        findKeyword(condition, L"NOT", 0) != std::wstring_view::npos)
        return;
    const std::wstring_view prefix = L"SourceInstance.";
    for (std::size_t start = 0; start <= condition.size();) {
        std::size_t and_ = findKeyword(condition, L"AND", start);
        std::wstring_view term = condition.substr(start, and_ == std::wstring_view::npos ? condition.npos : and_ - start);
        start = and_ == std::wstring_view::npos ? condition.size() + 1 : and_ + 3;
        while (!term.empty() && (std::iswspace(term.front()) || term.front() == L'(')) term.remove_prefix(1);
        while (!term.empty() && (std::iswspace(term.back()) || term.back() == L')')) term.remove_suffix(1);
        std::size_t equals = term.find(L'=');
        if (equals != std::wstring_view::npos && equals > prefix.size() && required.property.empty() &&
            sameName(term.substr(0, prefix.size()), prefix)) {
            std::wstring_view name = trimmed(term.substr(prefix.size(), equals - prefix.size()));
            std::wstring_view value;
            bool plain = !name.empty() && plainLiteral(trimmed(term.substr(equals + 1)), value);
            for (wchar_t c : name) plain = plain && isNameChar(c);
            if (plain) {
                required.property = foldName(name);
                required.value = value;
            }
            continue;
        }
        std::size_t isa = findKeyword(term, L"ISA", 0);
        if (isa == std::wstring_view::npos || !sameName(trimmed(term.substr(0, isa)), L"SourceInstance")) continue;
        std::wstring_view name = trimmed(term.substr(isa + 3));
        if (name.size() >= 2 && (name.front() == L'\'' || name.front() == L'"') && name.back() == name.front())
            name = name.substr(1, name.size() - 2);
        bool plain = !name.empty();
        for (wchar_t c : name) plain = plain && isNameChar(c);
        if (plain && required.sourceClass.empty()) required.sourceClass = foldName(name);
    }
}

Status compileWql(std::wstring_view text, const IndicationClassLookup &lookup, std::wstring &indicationClass,
                  std::shared_ptr<WqlQuery> &query) {
    auto wql = std::make_shared<WqlQuery>();
    Status status = parseWqlQuery(text, *wql);
    if (!status.ok()) return invalid(status.message);
    status = indicationClassOf(wql->className(), lookup, indicationClass);
    if (!status.ok()) return status;
    LookupSchema schema(lookup);
    status = wql->validate(schema);
    if (!status.ok()) return invalid(status.message);
    query = std::move(wql);
    return status;
}

}  // namespace

bool isFilterLanguage(std::wstring_view language) {
    return isWqlLanguage(language) || sameName(language, L"DMTF:CQL");
}

Status compileFilterQuery(std::wstring_view query, std::wstring_view language, const IndicationClassLookup &lookup,
                          FilterQuery &compiled) {
    compiled = FilterQuery();
    if (!isFilterLanguage(language))
        return Status::error(7, "QueryLanguage \"" + toUtf8(language) + "\" is not supported (WQL and DMTF:CQL are)");
    Status status = isWqlLanguage(language) ? compileWql(query, lookup, compiled.indicationClass_, compiled.wql_)
                                            : compileCql(query, lookup, compiled.indicationClass_, compiled.cql_);
    if (status.ok()) requireOfSource(query, compiled.required_);
    return status;
}

bool FilterQuery::matches(const CIMInstance &indication, const IndicationClassLookup &lookup) const {
    if (wql_) {
        LookupSchema schema(lookup);
        return wql_->matches(&indication, schema);
    }
    if (!cql_) return true;
    return cql_->matches(&indication, [&](std::wstring_view className, std::wstring_view baseName) {
        ClassRecordPtr found = lookup(className);
        return found && found->isA(foldName(baseName));
    });
}

}  // namespace cimom
