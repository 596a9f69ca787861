// association_traversal.h - the association instances that refer to one
// instance, stored and provided, read a stretch at a time from a place kept
// between calls: the traversal holds the index entries of the stored ones,
// not the instances, so that an object with many associations costs a
// stretch of them in memory, whether its results are answered at once or
// pulled over minutes.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "semantics/instance_access.h"
#include "semantics/result_shaping.h"

namespace cimom {

// True when foldedFilter is empty or record is that class or a subclass.
bool passesClassFilter(const ClassRecord &record, const std::wstring &foldedFilter);

// One reference of an association instance.
struct AssociationEnd {
    std::wstring property;
    cimobj::PathPtr path;   // normalised
    std::wstring key;       // referenceTargetKey of path
    ClassRecordPtr record;  // of the class it names; nullptr when unknown here
};

struct Association {
    ClassRecordPtr record;
    cimobj::InstancePtr instance;
    std::vector<AssociationEnd> ends;
};

class AssociationTraversal {
public:
    // associators: the association class filter is filter.assocClass (else
    // filter.resultClass, as References takes it). state and objectManager
    // must outlive the traversal.
    AssociationTraversal(ObjectManager &objectManager, ObjectManager::State &state, std::wstring nameSpace,
                         AssociationFilter filter, bool associators);

    // Finds target, the stored association instances that may refer to it
    // (in creation order) and the association providers to ask. 4 for an
    // object of a class the namespace lacks, 3 for no such namespace.
    Status begin(const CIMObjectPath &target);

    // Calls each, outside the repository's lock, with the associations that
    // refer to target and pass the association class and role filters: the
    // stored ones in order, then each provider's. Stops once each returns
    // false (that association counts as given) or none are left; a later
    // call goes on after the last one given. Returns a provider's failure.
    Status forEach(const std::function<bool(Association &)> &each);
    // True once every association was given.
    bool ended() const { return pending_.empty() && next_ >= referrers_.size() && provider_ >= providers_.size(); }

    const std::wstring &spaceName() const { return spaceName_; }

    // The far ends of association that pass the result filters and were not
    // given for an association before.
    std::vector<const AssociationEnd *> newFarEnds(const Association &association);

    // What association gives each operation: Associators the instances at
    // its new far ends (read with options; an end that no longer exists is
    // left out), AssociatorNames their paths, References the association
    // itself in the shape options give, ReferenceNames its path; paths and
    // instances as a client gets them (namespace, host).
    void associatorInstances(const Association &association, const InstanceOptions &options,
                             std::vector<cimobj::InstancePtr> &out);
    void associatorPaths(const Association &association, std::vector<cimobj::PathPtr> &out);
    InstanceShape referenceShape(const InstanceOptions &options) const;
    cimobj::InstancePtr referenceInstance(const Association &association, const InstanceShape &shape) const;
    cimobj::PathPtr referencePath(const Association &association);

private:
    bool isSource(const AssociationEnd &end) const;
    // Reads the next stretch of stored associations, or the next provider's,
    // into pending_.
    Status readMore();
    void keep(const NamespaceData &space, ClassRecordPtr record, cimobj::InstancePtr instance);

    ObjectManager &objectManager_;
    ObjectManager::State &state_;
    const std::wstring nameSpace_;
    const AssociationFilter filter_;
    const std::wstring assocFilter_;
    const std::wstring resultFilter_;
    std::wstring spaceName_;
    cimobj::PathPtr target_;
    std::wstring targetKey_;
    std::vector<InstanceRef> referrers_;
    std::size_t next_ = 0;
    std::vector<std::pair<InstanceSource, std::shared_ptr<AssociationProvider>>> providers_;
    std::size_t provider_ = 0;
    std::deque<Association> pending_;
    std::unordered_set<std::wstring> farKeys_;
};

}  // namespace cimom
