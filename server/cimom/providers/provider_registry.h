// provider_registry.h - which provider serves which class: instance,
// association and method providers registered per (namespace, class), a
// registration with an empty namespace serving that class in every one.
#pragma once

#include <map>
#include <memory>
#include <shared_mutex>
#include <string>
#include <utility>
#include <vector>

#include "cimom/provider.h"

namespace cimom {

class ProviderRegistry {
public:
    template <class P>
    using Entries = std::map<std::pair<std::wstring, std::wstring>, std::shared_ptr<P>>;  // (folded ns, folded class)

    void add(const std::wstring &nameSpace, const std::wstring &className, std::shared_ptr<InstanceProvider> p);
    void add(const std::wstring &nameSpace, const std::wstring &className, std::shared_ptr<AssociationProvider> p);
    void add(const std::wstring &nameSpace, const std::wstring &className, std::shared_ptr<MethodProvider> p);

    // The provider of exactly that class; nullptr when the repository serves it.
    std::shared_ptr<InstanceProvider> instanceProvider(std::wstring_view nameSpace, std::wstring_view className) const;
    std::shared_ptr<AssociationProvider> associationProvider(std::wstring_view nameSpace,
                                                             std::wstring_view className) const;
    std::shared_ptr<MethodProvider> methodProvider(std::wstring_view nameSpace, std::wstring_view className) const;
    // The folded names of the classes with an association provider in the namespace.
    std::vector<std::wstring> associationClasses(std::wstring_view nameSpace) const;

private:
    template <class P>
    void put(Entries<P> &entries, const std::wstring &nameSpace, const std::wstring &className, std::shared_ptr<P> p);
    template <class P>
    std::shared_ptr<P> lookUp(const Entries<P> &entries, std::wstring_view nameSpace,
                              std::wstring_view className) const;

    mutable std::shared_mutex mutex_;
    Entries<InstanceProvider> instance_;
    Entries<AssociationProvider> association_;
    Entries<MethodProvider> method_;
};

}  // namespace cimom
