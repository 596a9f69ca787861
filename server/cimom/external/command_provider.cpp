// command_provider.cpp - the calls of a command provider and its
// supervision.
#include "external/command_provider.h"


#include <signal.h>

#include <algorithm>

#include "cimom/object_manager.h"
#include "cimom/object_path_text.h"
#include "repository/instance_keys.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom::external {

namespace {

// The start of a line for a message.
std::string excerpt(const std::string &line) { return line.size() <= 80 ? line : line.substr(0, 80) + "..."; }

std::string className(const ProviderContext &context) { return cimobj::toUtf8(getClassName(context.cimClass)); }

// The instance of a result line, of the call's class.
std::string instanceOf(const ProviderContext &context, const Json &result, cimobj::InstancePtr &instance) {
    if (!result.contains("instance")) return "answered " + excerpt(result.dump()) + " where an instance was due";
    if (result.contains("class") &&
        (!result["class"].is_string() ||
         !sameName(cimobj::fromUtf8(result["class"].get<std::string>()), textOf(getClassName(context.cimClass)))))
        return "answered an instance of " + excerpt(result["class"].dump()) + " for " + className(context);
    std::string problem;
    instance = jsonInstance(*context.cimClass, result["instance"], problem);
    return instance ? "" : "answered an instance that does not fit " + className(context) + ": " + problem;
}

// The path of an instance of cimClass: its class and key values.
cimobj::PathPtr keysPath(const CIMClass &cimClass, const CIMInstance &instance) {
    cimobj::PathPtr path = makeClassPath(textOf(getClassName(&cimClass)), {}, {});
    for (const CIMProperty *declared : items<CIMProperty>(cimClass.properties)) {
        if (!declared->isKey) continue;
        for (const CIMProperty *p : items<CIMProperty>(instance.properties)) {
            if (!sameName(textOf(p->name), textOf(declared->name))) continue;
            cimobj::StringPtr name = ownedText(textOf(declared->name));
            cimobj::ValuePtr value = copyValue(p->value);
            cimobj::PropertyPtr key(orThrow(newPropertyKey(name.get(), nullptr, value.get())));
            name.release();
            value.release();
            appendOwned(&path->mkeys, CIMLIST_PROPERTY, std::move(key));
        }
    }
    return path;
}

Json propertyList(const PropertyNames &names) {
    if (!names) return nullptr;
    Json list = Json::array();
    for (const std::wstring &name : *names) list.push_back(cimobj::toUtf8(name));
    return list;
}

}  // namespace

CommandProvider::CommandProvider(std::string name, ProviderCommand command, int timeoutSeconds)
    : name_(std::move(name)), command_(std::move(command)), timeout_(timeoutSeconds) {}

CommandProvider::~CommandProvider() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    if (watcher_.joinable()) watcher_.join();
}

void CommandProvider::sendIndicationsTo(ObjectManager &objectManager, std::vector<IndicationClass> classes) {
    {
        std::lock_guard lock(mutex_);
        objectManager_ = &objectManager;
        indicationClasses_ = std::move(classes);
    }
    // The watcher takes no signals: the server's own threads wait for them.
    sigset_t all, before;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &before);
    watcher_ = std::thread([this] { watch(); });
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

void CommandProvider::watch() {
    std::unique_lock lock(mutex_);
    while (!ending_) {
        Status refusal;
        if (!running(refusal)) {
            wake_.wait_until(lock, notBefore_, [this] { return ending_; });
            continue;
        }
        std::shared_ptr<ProviderProcess> process = process_;
        while (process_ == process && process->readable()) {
            std::string line, problem;
            if (!process->receive(line, ProviderClock::now() + timeout_, maxLineBytes, problem)) {
                broken(problem + " between calls");
                break;
            }
            Json result = Json::parse(line, nullptr, false);
            if (result.is_object() && result.contains("indication")) indicationOf(result);
            else broken("wrote a line between calls that is no indication: " + excerpt(line));
        }
        lock.unlock();
        process->waitForOutput(250);
        lock.lock();
    }
}

void CommandProvider::indicationOf(const Json &line) {
    auto refuse = [&](const std::string &why) {
        cimPrintMessage(CIM_LOG_WARNING, L"provider %s: indication left out: %s", name_.c_str(), why.c_str());
    };
    if (!objectManager_) return refuse("the registration names no indication class");
    const IndicationClass *named = &indicationClasses_.front();
    if (line.contains("class")) {
        named = nullptr;
        if (line["class"].is_string())
            for (const IndicationClass &one : indicationClasses_)
                if (sameName(one.className, cimobj::fromUtf8(line["class"].get<std::string>()))) named = &one;
        if (!named) return refuse("class " + excerpt(line["class"].dump()) + " is not registered for it");
    }
    std::wstring nameSpace = named->namespaces.front();
    if (line.contains("namespace")) {
        bool known = false;
        if (line["namespace"].is_string())
            for (const std::wstring &one : named->namespaces)
                if (sameName(one, cimobj::fromUtf8(line["namespace"].get<std::string>()))) known = true, nameSpace = one;
        if (!known) return refuse("namespace " + excerpt(line["namespace"].dump()) + " is not registered for it");
    }
    ClassOptions whole;
    whole.localOnly = false;
    cimobj::ClassPtr cimClass;
    Status status = objectManager_->getClass(nameSpace, named->className, whole, cimClass);
    std::string problem;
    cimobj::InstancePtr indication = status.ok() ? jsonInstance(*cimClass, line["indication"], problem) : nullptr;
    if (!indication) return refuse(status.ok() ? problem : status.message);
    status = objectManager_->reportProviderIndication(nameSpace, std::move(indication));
    if (!status.ok()) refuse(status.message);
}

ProviderFigures CommandProvider::figures() const {
    return {name_, calls_.load(), failures_.load(), restarts_.load(), microseconds_.load()};
}

void CommandProvider::failed() {
    process_.reset();
    ++failuresInARow_;
    auto wait = std::chrono::milliseconds(500) * (1u << std::min(failuresInARow_ - 1, 7u));
    notBefore_ = ProviderClock::now() + std::min<ProviderClock::duration>(wait, std::chrono::seconds(60));
    failures_.fetch_add(1, std::memory_order_relaxed);
}

Status CommandProvider::broken(const std::string &problem) {
    lastProblem_ = problem;
    cimPrintMessage(CIM_LOG_WARNING, L"provider %s %s; it is stopped and started again later", name_.c_str(),
                    problem.c_str());
    failed();
    return Status::error(1, "provider " + name_ + " " + problem);
}

bool CommandProvider::running(Status &refusal) {
    if (process_) return true;
    ProviderClock::time_point now = ProviderClock::now();
    if (now < notBefore_) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(notBefore_ - now).count();
        refusal = Status::error(1, "provider " + name_ + " " + lastProblem_ + "; it starts again in " +
                                       std::to_string(left) + " ms");
        return false;
    }
    try {
        process_ = std::make_shared<ProviderProcess>(command_);
    } catch (const std::exception &e) {
        refusal = broken(std::string("could not be started: ") + e.what());
        return false;
    }
    if (started_) restarts_.fetch_add(1, std::memory_order_relaxed);
    started_ = true;
    return true;
}

Status CommandProvider::call(const ProviderContext &context, Json request,
                             const std::function<std::string(const Json &result)> &onResult) {
    const ProviderClock::time_point began = ProviderClock::now();
    calls_.fetch_add(1, std::memory_order_relaxed);
    std::lock_guard lock(mutex_);
    struct Timing {
        std::atomic<std::uint64_t> &total;
        ProviderClock::time_point began;
        ~Timing() {
            auto spent = std::chrono::duration_cast<std::chrono::microseconds>(ProviderClock::now() - began);
            total.fetch_add(static_cast<std::uint64_t>(spent.count()), std::memory_order_relaxed);
        }
    } timing{microseconds_, began};
    Status refusal;
    if (!running(refusal)) return refusal;
    const std::uint64_t id = nextId_++;
    request["id"] = id;
    request["namespace"] = cimobj::toUtf8(context.nameSpace);
    request["class"] = className(context);
    const ProviderClock::time_point deadline = ProviderClock::now() + timeout_;
    std::string problem;
    if (!process_->send(request.dump(), deadline, problem)) return broken(problem);
    std::size_t bytes = 0;
    for (;;) {
        std::string line;
        if (!process_->receive(line, deadline, maxLineBytes, problem)) {
            if (ProviderClock::now() >= deadline) problem += " (" + std::to_string(timeout_.count()) + " s)";
            return broken(problem);
        }
        bytes += line.size() + 1;
        if (bytes > maxAnswerBytes) return broken("answered more than " + std::to_string(maxAnswerBytes) + " bytes");
        Json result = Json::parse(line, nullptr, false);
        if (result.is_discarded() || !result.is_object())
            return broken("wrote a line that is no JSON object: " + excerpt(line));
        if (result.contains("indication")) {
            indicationOf(result);
            continue;
        }
        if (!result.contains("status")) {
            std::string taken = onResult(result);
            if (!taken.empty()) return broken(taken);
            continue;
        }
        if (!result.contains("id") || result["id"] != id)
            return broken("ended request " + std::to_string(id) + " with the status of another: " + excerpt(line));
        const Json &code = result["status"];
        if (!code.is_number_integer() || code.get<long long>() < 0 || code.get<long long>() > 29)
            return broken("answered status " + excerpt(code.dump()) + ", which is no CIM status");
        failuresInARow_ = 0;
        if (code.get<int>() == 0) return Status::success();
        std::string message = result.contains("message") && result["message"].is_string()
                                  ? result["message"].get<std::string>()
                                  : "";
        return Status::error(code.get<int>(), message);
    }
}

Status CommandProvider::enumerateInstances(const ProviderContext &context,
                                           std::vector<cimobj::InstancePtr> &instances) {
    return collectStreamed(context, instances);
}

Status CommandProvider::streamInstances(const ProviderContext &context, const InstanceSink &sink) {
    bool wanted = true;  // after the sink's no, lines are read to the status and dropped
    return call(context, {{"op", "EnumerateInstances"}, {"properties", propertyList(context.properties)}},
                [&](const Json &result) {
                    if (!wanted) return std::string();
                    cimobj::InstancePtr instance;
                    std::string problem = instanceOf(context, result, instance);
                    if (instance) wanted = sink(std::move(instance));
                    return problem;
                });
}

Status CommandProvider::references(const ProviderContext &context, const CIMObjectPath &object,
                                   const std::wstring &role, std::vector<cimobj::InstancePtr> &associations) {
    Json request = {{"op", "References"},
                    {"object", cimobj::toUtf8(writeObjectPathText(&object))},
                    {"role", role.empty() ? Json(nullptr) : Json(cimobj::toUtf8(role))},
                    {"properties", propertyList(context.properties)}};
    return call(context, std::move(request), [&](const Json &result) {
        cimobj::InstancePtr association;
        std::string problem = instanceOf(context, result, association);
        if (association) associations.push_back(std::move(association));
        return problem;
    });
}

Status CommandProvider::getInstance(const ProviderContext &context, const CIMObjectPath &path,
                                    cimobj::InstancePtr &instance) {
    Status status = call(context,
                         {{"op", "GetInstance"}, {"keys", propertiesJson(path.mkeys)},
                          {"properties", propertyList(context.properties)}},
                         [&](const Json &result) {
                             if (instance) return std::string("answered GetInstance with more than one instance");
                             return instanceOf(context, result, instance);
                         });
    if (status.ok() && !instance) return Status::error(1, "provider " + name_ + " answered GetInstance without an instance");
    return status;
}

Status CommandProvider::createInstance(const ProviderContext &context, const CIMInstance &instance,
                                       cimobj::PathPtr &newPath) {
    cimobj::InstancePtr created;
    Status status = call(context, {{"op", "CreateInstance"}, {"instance", propertiesJson(instance.properties)}},
                         [&](const Json &result) { return instanceOf(context, result, created); });
    if (status.ok()) newPath = keysPath(*context.cimClass, created ? *created : instance);
    return status;
}

Status CommandProvider::modifyInstance(const ProviderContext &context, const CIMObjectPath &path,
                                       const CIMInstance &instance, const PropertyNames &properties) {
    return call(context,
                {{"op", "ModifyInstance"}, {"keys", propertiesJson(path.mkeys)},
                 {"instance", propertiesJson(instance.properties)}, {"properties", propertyList(properties)}},
                [](const Json &result) { return "answered " + excerpt(result.dump()) + " to ModifyInstance"; });
}

Status CommandProvider::deleteInstance(const ProviderContext &context, const CIMObjectPath &path) {
    return call(context, {{"op", "DeleteInstance"}, {"keys", propertiesJson(path.mkeys)}},
                [](const Json &result) { return "answered " + excerpt(result.dump()) + " to DeleteInstance"; });
}

Status CommandProvider::invokeMethod(const ProviderContext &context, const CIMObjectPath &target,
                                     const CIMMethod &method, const std::vector<cimobj::PropertyPtr> &in,
                                     std::vector<cimobj::PropertyPtr> &out, cimobj::ValuePtr &returnValue) {
    Json parameters = Json::object();
    for (const cimobj::PropertyPtr &p : in) parameters[cimobj::toUtf8(p->name)] = valueJson(p->value);
    Json keys = getLength(target.mkeys) == 0 ? Json(nullptr) : propertiesJson(target.mkeys);
    bool answered = false;
    return call(context,
                {{"op", "InvokeMethod"}, {"method", cimobj::toUtf8(method.name)}, {"keys", keys},
                 {"parameters", parameters}},
                [&](const Json &result) -> std::string {
                    if (answered || !result.contains("return"))
                        return "answered " + excerpt(result.dump()) + " where the method's result was due";
                    answered = true;
                    std::string problem;
                    returnValue = jsonValue(result["return"], method.returnType, problem);
                    if (!returnValue) return "answered a return value that is no " + problem.substr(problem.find(' ') + 1);
                    if (!result.contains("out")) return "";
                    if (!result["out"].is_object()) return "answered \"out\" that is no object";
                    for (const auto &[name, value] : result["out"].items()) {
                        const CIMProperty *declared = nullptr;
                        for (const CIMProperty *p : items<CIMProperty>(method.parameters))
                            if (sameName(textOf(p->name), cimobj::fromUtf8(name))) declared = p;
                        if (!declared) return "answered parameter " + name + ", which " + cimobj::toUtf8(method.name) + " does not have";
                        cimobj::ValuePtr converted = jsonValue(value, declared->type, problem);
                        if (!converted) return "answered parameter " + name + " that does not fit: " + problem;
                        out.push_back(makeValueProperty(*declared, std::move(converted), false));
                    }
                    return "";
                });
}

}  // namespace cimom::external
