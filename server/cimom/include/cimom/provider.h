// provider.h - the interfaces through which live data enters the object
// manager. A provider is registered per (namespace, class); the repository
// is the provider of every class without one. The object manager applies
// PropertyList, LocalOnly, IncludeQualifiers, IncludeClassOrigin and the
// association filters to what providers return, and fills in the host and
// namespace of their paths, exactly as for stored instances.
//
// Providers are called without any lock of the object manager held, from
// many threads at once; they may call back into the object manager.
#pragma once

#include <cimobj/cimobj.hpp>
#include <functional>
#include <string>
#include <vector>

#include "operation_options.h"
#include "status.h"

namespace cimom {

class ObjectManager;

// What a provider call is about; everything is lent for the call.
struct ProviderContext {
    ObjectManager &objectManager;
    std::wstring nameSpace;
    std::wstring hostName;
    // The class the call is for, with its inherited members: for instance
    // calls the registered class; for association calls the association class.
    const CIMClass *cimClass;
    // The properties the client asked for (a hint: returning more is fine).
    const PropertyNames &properties;
};

class InstanceProvider {
public:
    virtual ~InstanceProvider() = default;
    // The instance that path names (its class is context.cimClass); status 6
    // when there is none. The provider hands instance over.
    virtual Status getInstance(const ProviderContext &context, const CIMObjectPath &path,
                               cimobj::InstancePtr &instance) = 0;
    // Appends every instance of context.cimClass (not of its subclasses).
    virtual Status enumerateInstances(const ProviderContext &context, std::vector<cimobj::InstancePtr> &instances) = 0;
    // Takes one instance; false when no more are wanted.
    using InstanceSink = std::function<bool(cimobj::InstancePtr)>;
    // The same instances handed to sink as the provider has them, so that an
    // answer need not hold them all at once; after sink says false the
    // provider stops (or its results are dropped). By default those of
    // enumerateInstances, in order.
    virtual Status streamInstances(const ProviderContext &context, const InstanceSink &sink);

protected:
    // The instances of streamInstances, appended: the enumerateInstances of
    // a provider that streams.
    Status collectStreamed(const ProviderContext &context, std::vector<cimobj::InstancePtr> &instances);

public:
    // Appends their paths; by default the paths of enumerateInstances.
    virtual Status enumerateInstanceNames(const ProviderContext &context, std::vector<cimobj::PathPtr> &paths);
    // The writes default to status 7 (not supported).
    virtual Status createInstance(const ProviderContext &context, const CIMInstance &instance,
                                  cimobj::PathPtr &newPath);
    virtual Status modifyInstance(const ProviderContext &context, const CIMObjectPath &path,
                                  const CIMInstance &instance, const PropertyNames &properties);
    virtual Status deleteInstance(const ProviderContext &context, const CIMObjectPath &path);
};

// Registered for an association class.
class AssociationProvider {
public:
    virtual ~AssociationProvider() = default;
    // Appends the instances of the association class context.cimClass that
    // refer to object, through the reference property role when role is not
    // empty. The object manager follows their other references itself.
    virtual Status references(const ProviderContext &context, const CIMObjectPath &object, const std::wstring &role,
                              std::vector<cimobj::InstancePtr> &associations) = 0;
};

// Registered for a class; serves its methods and those of its subclasses
// that have no method provider of their own.
class MethodProvider {
public:
    virtual ~MethodProvider() = default;
    // Runs method (as the class declares it) on target, a class path or an
    // instance path. in holds the input parameters converted to their
    // declared types; the provider appends output parameters to out and sets
    // returnValue.
    virtual Status invokeMethod(const ProviderContext &context, const CIMObjectPath &target, const CIMMethod &method,
                                const std::vector<cimobj::PropertyPtr> &in, std::vector<cimobj::PropertyPtr> &out,
                                cimobj::ValuePtr &returnValue) = 0;
};

}  // namespace cimom
