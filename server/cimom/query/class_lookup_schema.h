// class_lookup_schema.h - the classes a WQL query names, as the query engine
// asks for them, found by a lookup the caller gives (a namespace of the
// repository, the namespaces an indication filter may name).
#pragma once

#include <functional>
#include <string_view>

#include "cimom/wql.h"
#include "repository/class_record.h"
#include "support/names.h"

namespace cimom {

// Finds a class by name (caseless); nullptr when there is none. The lookup
// decides the namespaces and the locking.
using SchemaClassLookup = std::function<ClassRecordPtr(std::wstring_view className)>;

class LookupSchema : public WqlSchema {
public:
    explicit LookupSchema(SchemaClassLookup lookup) : lookup_(std::move(lookup)) {}
    // The class, lent until the next call.
    const CIMClass *findClass(std::wstring_view className) override {
        lent_ = lookup_(className);
        return lent_ ? lent_->resolved.get() : nullptr;
    }
    bool isSameOrSubclass(std::wstring_view className, std::wstring_view baseName) override {
        ClassRecordPtr found = lookup_(className);
        return found && found->isA(foldName(baseName));
    }

private:
    SchemaClassLookup lookup_;
    ClassRecordPtr lent_;
};

}  // namespace cimom
