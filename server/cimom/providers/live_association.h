// live_association.h - an association between live elements of two
// classes (the computer and its operating system, the operating system and
// its processes, the computer and its file systems), computed on each call
// from the elements that exist now.
#pragma once

#include <memory>
#include <string_view>

#include "providers/live_provider.h"

namespace cimom::live {

// One end of an association: the reference property and the elements it points at.
struct AssociationEnd {
    std::wstring_view role;
    std::shared_ptr<LiveElements> elements;
};

// The elements of elements as seen from another namespace: their paths
// name nameSpace, where they live (an association of the interop namespace
// that points at the computer system of root/cimv2).
std::shared_ptr<LiveElements> elementsIn(std::shared_ptr<LiveElements> elements, std::wstring nameSpace);

// Serves an association class as instances (every pair of an element of
// one end with every element of the other) and as references of an
// element of either end. One end is expected to hold a single element, so
// that results stay linear in the other.
class LiveAssociation : public InstanceProvider, public AssociationProvider {
public:
    LiveAssociation(AssociationEnd first, AssociationEnd second);

    // Status 4 for a path without both references, 6 when either end does not exist now.
    Status getInstance(const ProviderContext &context, const CIMObjectPath &path,
                       cimobj::InstancePtr &instance) override;
    Status enumerateInstances(const ProviderContext &context, std::vector<cimobj::InstancePtr> &instances) override;
    // Nothing when object is not an element of an end (through role, when given).
    Status references(const ProviderContext &context, const CIMObjectPath &object, const std::wstring &role,
                      std::vector<cimobj::InstancePtr> &associations) override;

private:
    cimobj::InstancePtr instance(const ProviderContext &context, const CIMObjectPath &first,
                                 const CIMObjectPath &second) const;

    AssociationEnd first_, second_;
};

}  // namespace cimom::live
