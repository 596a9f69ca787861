// library_provider.h - a provider in a shared library of its own, loaded
// into the server and called through the table of cimxml/provider.h. It
// shares the server's fate: a provider that crashes takes the server with
// it (command providers do not).
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include <cimxml/provider.h>

#include "cimom/external_providers.h"
#include "cimom/provider.h"

namespace cimom::external {

class LibraryProvider : public InstanceProvider, public AssociationProvider, public MethodProvider {
public:
    // Loads library, checks its table and starts it. Throws
    // std::runtime_error saying why it could not (the library does not
    // load, lacks the table, is of a newer version, its start failed).
    LibraryProvider(std::string name, const std::string &library);
    // A table linked into the server, already started with self, which
    // the table's stop frees.
    LibraryProvider(std::string name, const CIMXMLProvider *table, void *self);
    // Stops the provider and unloads its library.
    ~LibraryProvider() override;
    LibraryProvider(const LibraryProvider &) = delete;
    LibraryProvider &operator=(const LibraryProvider &) = delete;

    const std::string &name() const { return name_; }
    ProviderFigures figures() const;

    Status getInstance(const ProviderContext &context, const CIMObjectPath &path,
                       cimobj::InstancePtr &instance) override;
    Status enumerateInstances(const ProviderContext &context, std::vector<cimobj::InstancePtr> &instances) override;
    Status streamInstances(const ProviderContext &context, const InstanceSink &sink) override;
    Status enumerateInstanceNames(const ProviderContext &context, std::vector<cimobj::PathPtr> &paths) override;
    Status createInstance(const ProviderContext &context, const CIMInstance &instance,
                          cimobj::PathPtr &newPath) override;
    Status modifyInstance(const ProviderContext &context, const CIMObjectPath &path, const CIMInstance &instance,
                          const PropertyNames &properties) override;
    Status deleteInstance(const ProviderContext &context, const CIMObjectPath &path) override;
    Status references(const ProviderContext &context, const CIMObjectPath &object, const std::wstring &role,
                      std::vector<cimobj::InstancePtr> &associations) override;
    Status invokeMethod(const ProviderContext &context, const CIMObjectPath &target, const CIMMethod &method,
                        const std::vector<cimobj::PropertyPtr> &in, std::vector<cimobj::PropertyPtr> &out,
                        cimobj::ValuePtr &returnValue) override;

private:
    struct Results;
    void fillBroker();
    // Runs one entry point (null: status 7) and counts it.
    template <class Call>
    Status run(bool present, Results &results, Call call);
    // Status 1 "provider NAME what", counted as a failure: it answered wrongly.
    Status wrong(const std::string &what);

    std::string name_;
    void *library_ = nullptr;
    const CIMXMLProvider *table_ = nullptr;
    void *self_ = nullptr;
    CIMOMHandle cimom_{};
    CIMXMLProviderBroker broker_{};
    std::atomic<std::uint64_t> calls_{0}, failures_{0}, microseconds_{0};
};

}  // namespace cimom::external
