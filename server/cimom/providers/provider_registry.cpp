// provider_registry.cpp - provider registrations and look-ups.
#include "providers/provider_registry.h"

#include <mutex>

#include "support/names.h"

namespace cimom {

template <class P>
void ProviderRegistry::put(Entries<P> &entries, const std::wstring &nameSpace, const std::wstring &className,
                           std::shared_ptr<P> p) {
    std::unique_lock lock(mutex_);
    auto key = std::make_pair(foldName(nameSpace), foldName(className));
    if (p)
        entries[key] = std::move(p);
    else
        entries.erase(key);
}

template <class P>
std::shared_ptr<P> ProviderRegistry::lookUp(const Entries<P> &entries, std::wstring_view nameSpace,
                                            std::wstring_view className) const {
    std::shared_lock lock(mutex_);
    if (entries.empty()) return nullptr;
    std::wstring folded = foldName(className);
    auto at = entries.find({foldName(nameSpace), folded});
    if (at == entries.end()) at = entries.find({std::wstring(), folded});
    return at == entries.end() ? nullptr : at->second;
}

void ProviderRegistry::add(const std::wstring &nameSpace, const std::wstring &className,
                           std::shared_ptr<InstanceProvider> p) {
    put(instance_, nameSpace, className, std::move(p));
}
void ProviderRegistry::add(const std::wstring &nameSpace, const std::wstring &className,
                           std::shared_ptr<AssociationProvider> p) {
    put(association_, nameSpace, className, std::move(p));
}
void ProviderRegistry::add(const std::wstring &nameSpace, const std::wstring &className,
                           std::shared_ptr<MethodProvider> p) {
    put(method_, nameSpace, className, std::move(p));
}

std::shared_ptr<InstanceProvider> ProviderRegistry::instanceProvider(std::wstring_view nameSpace,
                                                                     std::wstring_view className) const {
    return lookUp(instance_, nameSpace, className);
}
std::shared_ptr<AssociationProvider> ProviderRegistry::associationProvider(std::wstring_view nameSpace,
                                                                           std::wstring_view className) const {
    return lookUp(association_, nameSpace, className);
}
std::shared_ptr<MethodProvider> ProviderRegistry::methodProvider(std::wstring_view nameSpace,
                                                                 std::wstring_view className) const {
    return lookUp(method_, nameSpace, className);
}

std::vector<std::wstring> ProviderRegistry::associationClasses(std::wstring_view nameSpace) const {
    std::shared_lock lock(mutex_);
    std::wstring folded = foldName(nameSpace);
    std::vector<std::wstring> classes;
    for (const auto &[key, provider] : association_)
        if (key.first.empty() || key.first == folded) classes.push_back(key.second);
    return classes;
}

}  // namespace cimom
