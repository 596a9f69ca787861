// change_set.h - the complete change a write operation works out before it
// touches memory: the steps the journal sees, with the objects they put.
#pragma once

#include <string>
#include <vector>

#include "cimom/journal.h"
#include "repository/namespace_data.h"

namespace cimom {

class ChangeSet {
public:
    void putNamespace(const std::wstring &nameSpace);
    void removeNamespace(const std::wstring &nameSpace);
    void putQualifier(const std::wstring &nameSpace, QualifierTypeRecord declaration);
    void removeQualifier(const std::wstring &nameSpace, const std::wstring &name);
    void putClass(const std::wstring &nameSpace, ClassRecordPtr record);
    void removeClass(const std::wstring &nameSpace, const std::wstring &name);
    // instance carries its path (normalised keys) and all its properties.
    void putInstance(const std::wstring &nameSpace, const std::wstring &className, const std::wstring &key,
                     cimobj::InstancePtr instance);
    void removeInstance(const std::wstring &nameSpace, const std::wstring &className, const std::wstring &key);

    bool empty() const { return steps_.empty(); }
    // The steps as the journal sees them; the objects stay owned here.
    std::vector<Change> journalView() const;

    struct Step {
        Change change;
        QualifierTypeRecord qualifierType;
        ClassRecordPtr classRecord;
        cimobj::InstancePtr instance;
    };
    std::vector<Step> &steps() { return steps_; }

private:
    Step &add(ChangeKind kind, const std::wstring &nameSpace, const std::wstring &name, const std::wstring &key = {});
    std::vector<Step> steps_;
};

}  // namespace cimom
