// stored_instance.h - an instance as the repository keeps it at rest: its
// values packed in the order of its class's properties (the names, types
// and keys are the class record's, held once per class), and the library's
// objects made again only for what a request reads.
#pragma once

#include <cimobj/cimobj.hpp>
#include <memory>
#include <string>
#include <string_view>

#include "repository/class_record.h"

namespace cimom {

class StoredInstance {
public:
    // Packs instance, which lives in nameSpace. An instance as
    // buildStoredInstance makes them for record's class (not NULL) keeps
    // only its values; any other is packed whole, so that what comes back is always
    // what was given. Throws std::bad_alloc.
    StoredInstance(const CIMInstance &instance, ClassRecordPtr record, std::wstring_view nameSpace);

    // The instance as it was given, with its path; the caller owns it.
    // nameSpace is the one it was packed in. Throws std::bad_alloc.
    cimobj::InstancePtr instance(std::wstring_view nameSpace) const;
    // Its path alone (class, namespace, keys), as instance() gives it.
    cimobj::PathPtr path(std::wstring_view nameSpace) const;
    // Bytes held for its values (the figure the memory budget counts).
    std::size_t packedSize() const { return packed_.size(); }

private:
    ClassRecordPtr record_;
    std::string packed_;  // a mark (values or whole), then the keys' values, then the others'
};

}  // namespace cimom
