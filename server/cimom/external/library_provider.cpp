// library_provider.cpp - loading a provider library and calling its table.
#include "external/library_provider.h"

#include <dlfcn.h>

#include <chrono>
#include <stdexcept>

#include "cimom/handle.h"
#include "cimom/object_manager.h"
#include "repository/instance_keys.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom::external {

namespace {

void logLine(const CIMXMLProviderBroker *broker, int level, const char *text) {
    static const int levels[] = {CIM_LOG_ERROR, CIM_LOG_WARNING, CIM_LOG_INFO, CIM_LOG_DEBUG};
    const auto *name = static_cast<const std::string *>(broker->server);
    cimPrintMessage(levels[level < 0 ? 0 : level > 3 ? 3 : level], L"provider %s: %s", name->c_str(), text ? text : "");
}

int deliver(const CIMXMLProviderBroker *, const char *nameSpace, CIMInstance *indication) {
    cimobj::InstancePtr taken(indication);
    std::shared_ptr<ObjectManager> objectManager = installedObjectManager();
    if (!objectManager || !nameSpace) return 1;
    return objectManager->reportProviderIndication(cimobj::fromUtf8(nameSpace), std::move(taken)).code;
}

// The call's description, alive while it is.
struct CallFrame {
    std::string nameSpace;
    std::vector<std::string> names;
    std::vector<const char *> pointers;
    CIMXMLProviderCall call{};
    CallFrame(const ProviderContext &context, const PropertyNames &properties)
        : nameSpace(cimobj::toUtf8(context.nameSpace)) {
        call.nameSpace = nameSpace.c_str();
        call.cimClass = context.cimClass;
        if (!properties) return;
        for (const std::wstring &name : *properties) names.push_back(cimobj::toUtf8(name));
        for (const std::string &name : names) pointers.push_back(name.c_str());
        pointers.push_back(nullptr);
        call.properties = pointers.data();
    }
};

}  // namespace

// What one call hands back, collected for the object manager.
struct LibraryProvider::Results : CIMXMLProviderResults {
    std::vector<cimobj::InstancePtr> instances;
    std::vector<cimobj::PathPtr> paths;
    cimobj::ValuePtr returnValue;
    std::vector<std::pair<std::string, cimobj::ValuePtr>> values;
    std::string text;  // of a failure
    std::size_t limit = static_cast<std::size_t>(-1);  // instances wanted
    const InstanceSink *sink = nullptr;                 // takes the instances instead, when set
    bool ended = false;                                 // the sink wants no more

    Results() {
        instance = [](CIMXMLProviderResults *self, CIMInstance *taken) {
            auto *results = static_cast<Results *>(self);
            cimobj::InstancePtr one(taken);
            if (results->sink) {
                if (one && !results->ended) results->ended = !(*results->sink)(std::move(one));
                return results->ended ? 1 : 0;
            }
            if (one) results->instances.push_back(std::move(one));
            return results->instances.size() >= results->limit ? 1 : 0;
        };
        path = [](CIMXMLProviderResults *self, CIMObjectPath *taken) {
            if (taken) static_cast<Results *>(self)->paths.emplace_back(taken);
            return 0;
        };
        value = [](CIMXMLProviderResults *self, const char *name, CIMValue *taken) {
            auto *results = static_cast<Results *>(self);
            if (!name) results->returnValue.reset(taken);
            else results->values.emplace_back(name, cimobj::ValuePtr(taken));
            return 0;
        };
        message = [](CIMXMLProviderResults *self, const char *text) {
            static_cast<Results *>(self)->text = text ? text : "";
        };
    }
};

LibraryProvider::LibraryProvider(std::string name, const std::string &library) : name_(std::move(name)) {
    library_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) throw std::runtime_error(std::string("does not load: ") + dlerror());
    auto tableOf = reinterpret_cast<CIMXMLProviderTableFunction>(dlsym(library_, CIMXML_PROVIDER_TABLE_SYMBOL));
    table_ = tableOf ? tableOf() : nullptr;
    std::string problem;
    if (!table_) problem = std::string("has no ") + CIMXML_PROVIDER_TABLE_SYMBOL;
    else if (table_->version < 1 || table_->version > CIMXML_PROVIDER_VERSION)
        problem = "is of provider version " + std::to_string(table_->version) + "; this server takes 1 to " +
                  std::to_string(CIMXML_PROVIDER_VERSION);
    if (problem.empty()) {
        fillBroker();
        int status = table_->start ? table_->start(&broker_, &self_) : 0;
        if (status != 0) problem = "did not start (status " + std::to_string(status) + ")";
    }
    if (!problem.empty()) {
        dlclose(library_);
        throw std::runtime_error(problem);
    }
}

LibraryProvider::LibraryProvider(std::string name, const CIMXMLProvider *table, void *self)
    : name_(std::move(name)), table_(table), self_(self) {
    fillBroker();
}

void LibraryProvider::fillBroker() {
    fillCimomHandle(cimom_);
    broker_.version = CIMXML_PROVIDER_VERSION;
    broker_.cimom = &cimom_;
    broker_.log = logLine;
    broker_.deliverIndication = deliver;
    broker_.server = &name_;
}

LibraryProvider::~LibraryProvider() {
    if (table_->stop) table_->stop(self_);
    if (library_) dlclose(library_);
}

ProviderFigures LibraryProvider::figures() const {
    return {name_, calls_.load(), failures_.load(), 0, microseconds_.load()};
}

Status LibraryProvider::wrong(const std::string &what) {
    failures_.fetch_add(1, std::memory_order_relaxed);
    return Status::error(1, "provider " + name_ + " " + what);
}

template <class Call>
Status LibraryProvider::run(bool present, Results &results, Call call) {
    if (!present) return Status::error(7, "provider " + name_ + " does not serve this operation");
    const auto began = std::chrono::steady_clock::now();
    calls_.fetch_add(1, std::memory_order_relaxed);
    const int code = call();
    microseconds_.fetch_add(static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                           std::chrono::steady_clock::now() - began)
                                                           .count()),
                            std::memory_order_relaxed);
    if (code == 0) return Status::success();
    if (code < 0 || code > 29)
        return wrong("returned status " + std::to_string(code) + (results.text.empty() ? "" : ": " + results.text));
    return Status::error(code, results.text);
}

Status LibraryProvider::enumerateInstances(const ProviderContext &context,
                                           std::vector<cimobj::InstancePtr> &instances) {
    return collectStreamed(context, instances);
}

Status LibraryProvider::streamInstances(const ProviderContext &context, const InstanceSink &sink) {
    CallFrame frame(context, context.properties);
    Results results;
    results.sink = &sink;
    return run(table_->enumerateInstances, results,
               [&] { return table_->enumerateInstances(self_, &frame.call, &results); });
}

Status LibraryProvider::enumerateInstanceNames(const ProviderContext &context, std::vector<cimobj::PathPtr> &paths) {
    if (!table_->enumerateInstanceNames) return InstanceProvider::enumerateInstanceNames(context, paths);
    CallFrame frame(context, context.properties);
    Results results;
    Status status = run(true, results, [&] { return table_->enumerateInstanceNames(self_, &frame.call, &results); });
    for (cimobj::PathPtr &one : results.paths) paths.push_back(std::move(one));
    return status;
}

Status LibraryProvider::getInstance(const ProviderContext &context, const CIMObjectPath &path,
                                    cimobj::InstancePtr &instance) {
    CallFrame frame(context, context.properties);
    Results results;
    results.limit = 1;
    Status status =
        run(table_->getInstance, results, [&] { return table_->getInstance(self_, &frame.call, &path, &results); });
    if (status.ok() && results.instances.empty())
        return wrong("answered GetInstance without an instance");
    if (status.ok()) instance = std::move(results.instances.front());
    return status;
}

Status LibraryProvider::createInstance(const ProviderContext &context, const CIMInstance &instance,
                                       cimobj::PathPtr &newPath) {
    CallFrame frame(context, context.properties);
    Results results;
    Status status = run(table_->createInstance, results,
                        [&] { return table_->createInstance(self_, &frame.call, &instance, &results); });
    if (status.ok() && results.paths.empty())
        return wrong("answered CreateInstance without the new path");
    if (status.ok()) newPath = std::move(results.paths.front());
    return status;
}

Status LibraryProvider::modifyInstance(const ProviderContext &context, const CIMObjectPath &path,
                                       const CIMInstance &instance, const PropertyNames &properties) {
    CallFrame frame(context, properties);
    Results results;
    return run(table_->modifyInstance, results,
               [&] { return table_->modifyInstance(self_, &frame.call, &path, &instance, &results); });
}

Status LibraryProvider::deleteInstance(const ProviderContext &context, const CIMObjectPath &path) {
    CallFrame frame(context, context.properties);
    Results results;
    return run(table_->deleteInstance, results, [&] { return table_->deleteInstance(self_, &frame.call, &path, &results); });
}

Status LibraryProvider::references(const ProviderContext &context, const CIMObjectPath &object,
                                   const std::wstring &role, std::vector<cimobj::InstancePtr> &associations) {
    CallFrame frame(context, context.properties);
    Results results;
    const std::string roleText = cimobj::toUtf8(role);
    Status status = run(table_->references, results, [&] {
        return table_->references(self_, &frame.call, &object, role.empty() ? nullptr : roleText.c_str(), &results);
    });
    for (cimobj::InstancePtr &one : results.instances) associations.push_back(std::move(one));
    return status;
}

Status LibraryProvider::invokeMethod(const ProviderContext &context, const CIMObjectPath &target,
                                     const CIMMethod &method, const std::vector<cimobj::PropertyPtr> &in,
                                     std::vector<cimobj::PropertyPtr> &out, cimobj::ValuePtr &returnValue) {
    CallFrame frame(context, context.properties);
    Results results;
    cimobj::ListPtr parameters = makeList(CIMLIST_PROPERTY);
    CIMList *raw = parameters.get();
    for (const cimobj::PropertyPtr &p : in) appendOwned(&raw, CIMLIST_PROPERTY, copyProperty(p.get()));
    Status status = run(table_->invokeMethod, results, [&] {
        return table_->invokeMethod(self_, &frame.call, &target, &method, raw, &results);
    });
    if (!status.ok()) return status;
    returnValue = results.returnValue ? std::move(results.returnValue) : cimobj::ValuePtr(orThrow(newCIMValueNULL(method.returnType)));
    for (auto &[name, value] : results.values) {
        const CIMProperty *declared = nullptr;
        for (const CIMProperty *p : items<CIMProperty>(method.parameters))
            if (sameName(textOf(p->name), cimobj::fromUtf8(name))) declared = p;
        if (!declared)
            return wrong("answered parameter " + name + ", which " + cimobj::toUtf8(method.name) + " does not have");
        out.push_back(makeValueProperty(*declared, std::move(value), false));
    }
    return status;
}

}  // namespace cimom::external
