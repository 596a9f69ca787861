// live_provider.h - what every live provider shares: the elements an
// association can point at, the table of properties a provider fills, and
// an instance provider built on them that reads the machine on each call.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "cimom/provider.h"
#include "providers/live_names.h"

namespace cimom::live {

// The live elements of one class, as the association providers see them.
class LiveElements {
public:
    virtual ~LiveElements() = default;
    // Status 0 when path names an element that exists now; 4 for a path
    // that lacks a key or has one too many, 6 for any other path.
    virtual Status locate(const Identity &identity, const CIMObjectPath &path) = 0;
    // Appends the path (class and keys only) of each element that exists now.
    virtual void listPaths(const Identity &identity, std::vector<cimobj::PathPtr> &paths) = 0;
};

// An instance provider of a live class, whose elements associations reach.
class LiveInstanceProvider : public InstanceProvider, public LiveElements {};

// One property a provider fills from the facts it read. value returns the
// property's value in its declared type, or nullptr for null; needs names
// what must be read for it (a provider's own bits).
template <class Facts>
struct LiveProperty {
    const wchar_t *name;
    cimobj::ValuePtr (*value)(const Identity &identity, const Facts &facts);
    unsigned needs = 0;
};

// Which of a class's properties one call fills, and how: each entry is a
// declared property (lent from the context's class) with the index of the
// provider's table entry for it, else keyValue for a key, else
// classDefault (the class default, or null).
struct InstancePlan {
    static constexpr int keyValue = -1, classDefault = -2;
    struct Entry {
        const CIMProperty *declared;
        int source;
    };
    std::vector<Entry> entries;
    unsigned needs = 0;
};

// Plans the properties of context's class that the client asked for, keys
// always included; names lists the provider's properties and needs their
// needs (both the same length).
InstancePlan planInstance(const ProviderContext &context, std::span<const wchar_t *const> names,
                          std::span<const unsigned> needs);

// A new instance of context's class as plan lays it out: keys from keys,
// valueAt(i) the value of table entry i (nullptr: null). Throws
// std::bad_alloc.
cimobj::InstancePtr buildInstance(const ProviderContext &context, const InstancePlan &plan, const KeyValues &keys,
                                  const std::function<cimobj::ValuePtr(int)> &valueAt);

// An instance provider of one live class whose elements are described by
// Facts. Subclasses read the facts; this class turns them into instances
// and paths.
template <class Facts>
class LiveProvider : public LiveInstanceProvider {
public:
    using Property = LiveProperty<Facts>;

    Status getInstance(const ProviderContext &context, const CIMObjectPath &path,
                       cimobj::InstancePtr &instance) override {
        InstancePlan plan = plan_(context);
        Identity identity = currentIdentity();
        Facts facts;
        Status status = read(identity, path, plan.needs, facts);
        if (status.ok()) instance = build_(context, plan, identity, facts);
        return status;
    }

    Status enumerateInstances(const ProviderContext &context, std::vector<cimobj::InstancePtr> &instances) override {
        InstancePlan plan = plan_(context);
        Identity identity = currentIdentity();
        forEach(identity, plan.needs,
                [&](const Facts &facts) { instances.push_back(build_(context, plan, identity, facts)); });
        return Status::success();
    }

    Status enumerateInstanceNames(const ProviderContext &, std::vector<cimobj::PathPtr> &paths) override {
        listPaths(currentIdentity(), paths);
        return Status::success();
    }

    Status locate(const Identity &identity, const CIMObjectPath &path) override {
        Facts facts;
        return read(identity, path, 0, facts);
    }

    void listPaths(const Identity &identity, std::vector<cimobj::PathPtr> &paths) override {
        forEach(identity, 0, [&](const Facts &facts) { paths.push_back(livePath(className(), keys(identity, facts))); });
    }

protected:
    virtual std::wstring_view className() const = 0;
    virtual std::span<const Property> properties() const = 0;
    virtual KeyValues keys(const Identity &identity, const Facts &facts) const = 0;
    // Fills facts (what needs names, at least) for the element path names;
    // status 0, 4 or 6 as for locate.
    virtual Status read(const Identity &identity, const CIMObjectPath &path, unsigned needs, Facts &facts) = 0;
    // Calls each with the facts of every element that exists now.
    virtual void forEach(const Identity &identity, unsigned needs,
                         const std::function<void(const Facts &)> &each) = 0;

private:
    InstancePlan plan_(const ProviderContext &context) const {
        std::vector<const wchar_t *> names;
        std::vector<unsigned> needs;
        for (const Property &p : properties()) {
            names.push_back(p.name);
            needs.push_back(p.needs);
        }
        return planInstance(context, names, needs);
    }

    cimobj::InstancePtr build_(const ProviderContext &context, const InstancePlan &plan, const Identity &identity,
                               const Facts &facts) const {
        std::span<const Property> table = properties();
        return buildInstance(context, plan, keys(identity, facts), [&](int index) {
            return table[static_cast<std::size_t>(index)].value(identity, facts);
        });
    }
};

// The facts of an element that has none beyond who this machine is.
struct NoFacts {};

// A live class with exactly one element, whose keys follow from who this
// machine is (the computer system, the object manager).
class SingleElementProvider : public LiveProvider<NoFacts> {
public:
    // properties and keys are lent for the provider's life (static tables).
    SingleElementProvider(std::wstring_view className, std::span<const Property> properties,
                          KeyValues (*keys)(const Identity &identity))
        : className_(className), properties_(properties), keys_(keys) {}

protected:
    std::wstring_view className() const override { return className_; }
    std::span<const Property> properties() const override { return properties_; }
    KeyValues keys(const Identity &identity, const NoFacts &) const override { return keys_(identity); }

    Status read(const Identity &identity, const CIMObjectPath &path, unsigned, NoFacts &) override {
        return matchPath(path, className_, keys_(identity), {});
    }

    void forEach(const Identity &, unsigned, const std::function<void(const NoFacts &)> &each) override {
        each(NoFacts{});
    }

private:
    std::wstring_view className_;
    std::span<const Property> properties_;
    KeyValues (*keys_)(const Identity &identity);
};

}  // namespace cimom::live
