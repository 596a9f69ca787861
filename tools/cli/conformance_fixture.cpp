// conformance_fixture.cpp - the scratch MOF, compiled into objects here
// without asking the server anything.
#include "conformance_fixture.h"

#include <stdexcept>

#include <cimom/mof.h>
#include <cimom/object_path_text.h>
#include <gc/gc.h>

namespace conformance {

namespace {

// The standard qualifiers the scratch MOF uses are declared here only to
// type its values: they are never sent, the server has its own.
const char *const standardQualifiers = R"(
Qualifier Key : boolean = false, Scope(property, reference), Flavor(DisableOverride, ToSubclass);
Qualifier Association : boolean = false, Scope(association), Flavor(DisableOverride, ToSubclass);
Qualifier In : boolean = true, Scope(parameter), Flavor(DisableOverride, ToSubclass);
)";

// What the checker creates on the server, in this order.
const char *const scratchMof = R"(
Qualifier ConfCheck_Mark : string = null, Scope(class, property), Flavor(EnableOverride, ToSubclass);
Qualifier ConfCheck_Spare : uint32 = 7, Scope(class), Flavor(EnableOverride, ToSubclass);

[ConfCheck_Mark("scratch")]
class ConfCheck_Scratch {
    [Key] string Name;
    uint32 Count;
    string Label;
    uint32 Ping([In] string Text);
};
class ConfCheck_Child : ConfCheck_Scratch {
    string Extra;
};
[Association]
class ConfCheck_Link {
    [Key] ConfCheck_Scratch REF Left;
    [Key] ConfCheck_Scratch REF Right;
};
class ConfCheck_Plain {
    [Key] string Name;
};

instance of ConfCheck_Scratch { Name = "one"; Count = 1; Label = "first"; };
instance of ConfCheck_Scratch { Name = "two"; Count = 2; Label = "second"; };
instance of ConfCheck_Link {
    Left = "ConfCheck_Scratch.Name=\"one\"";
    Right = "ConfCheck_Scratch.Name=\"two\"";
};
)";

// The classes ModifyClass sends: each scratch class with a property Note.
const char *const notedMof = R"(
[ConfCheck_Mark("scratch")]
class ConfCheck_Scratch {
    [Key] string Name;
    uint32 Count;
    string Label;
    string Note;
    uint32 Ping([In] string Text);
};
[Association]
class ConfCheck_Link {
    [Key] ConfCheck_Scratch REF Left;
    [Key] ConfCheck_Scratch REF Right;
    string Note;
};
class ConfCheck_Plain {
    [Key] string Name;
    string Note;
};
class ConfCheck_NoSuchClass {
    [Key] string Name;
    string Note;
};
)";

// Keeps what the compiler hands over; looks up only what it kept.
class KeepingSink : public cimom::MofSink {
public:
    std::map<std::wstring, cimobj::ClassPtr> classes;
    std::map<std::wstring, cimobj::QualifierTypePtr> qualifierTypes;
    std::map<std::wstring, cimobj::InstancePtr> instances;
    const std::map<std::wstring, cimobj::ClassPtr> *fallback = nullptr;

    cimom::Status setQualifierType(const std::wstring &, cimobj::QualifierTypePtr declaration) override {
        std::wstring name(cimobj::view(declaration->name));
        qualifierTypes[name] = std::move(declaration);
        return {};
    }
    cimom::Status createClass(const std::wstring &, cimobj::ClassPtr cimClass) override {
        std::wstring name(cimobj::view(getClassName(cimClass.get())));
        classes[name] = std::move(cimClass);
        return {};
    }
    cimom::Status createInstance(const std::wstring &, cimobj::InstancePtr instance,
                                 cimobj::PathPtr &newPath) override {
        newPath.reset(newObjectPathFromInst(instance.get()));
        const CIMProperty *key = findCIMProperty(getInstanceProperties(instance.get()), L"Name");
        std::wstring name = key ? std::wstring(cimobj::view(propertyGetValue(key)->data.string)) : L"link";
        instances[name] = std::move(instance);
        return {};
    }
    const CIMClass *findClass(const std::wstring &, const std::wstring &className) override {
        if (auto found = classes.find(className); found != classes.end()) return found->second.get();
        if (!fallback) return nullptr;
        auto found = fallback->find(className);
        return found == fallback->end() ? nullptr : found->second.get();
    }
    const CIMQualifierType *findQualifierType(const std::wstring &, const std::wstring &name) override {
        auto found = qualifierTypes.find(name);
        return found == qualifierTypes.end() ? nullptr : found->second.get();
    }
};

void compile(const std::string &text, const char *name, KeepingSink &sink) {
    std::vector<cimom::MofDiagnostic> diagnostics = cimom::compileMofText(text, name, sink);
    if (!diagnostics.empty())
        throw std::runtime_error("the scratch MOF does not compile: " + diagnostics.front().text());
}

template <class Map>
auto &lookUp(const Map &map, const std::wstring &name, const char *what) {
    auto found = map.find(name);
    if (found == map.end()) throw std::out_of_range(std::string("no scratch ") + what + " " + cimobj::toUtf8(name));
    return *found->second;
}

void check(bool done) {
    if (!done) throw std::bad_alloc();
}

}  // namespace

Fixture::Fixture(std::wstring nameSpace) : nameSpace_(std::move(nameSpace)) {
    KeepingSink base;
    compile(std::string(standardQualifiers) + scratchMof, "scratch.mof", base);
    KeepingSink noted;
    noted.qualifierTypes = std::move(base.qualifierTypes);
    noted.fallback = &base.classes;
    compile(notedMof, "noted.mof", noted);
    for (const wchar_t *name : {scratch::mark, scratch::spare})
        qualifierTypes_[name] = std::move(noted.qualifierTypes.at(name));
    classes_ = std::move(base.classes);
    noted_ = std::move(noted.classes);
    instances_ = std::move(base.instances);
}

const std::wstring &Fixture::target() const {
    static const std::wstring missing = scratch::missingNamespace;
    return missingNamespace_ ? missing : nameSpace_;
}

cimobj::PathPtr Fixture::path(const std::wstring &text) const {
    std::string error;
    cimobj::PathPtr parsed = cimom::parseObjectPathText(text, &error);
    if (!parsed) throw std::runtime_error("bad scratch path " + cimobj::toUtf8(text) + ": " + error);
    check(setObjectPathNameSpace(parsed.get(), cimobj::makeString(target()).release()));
    return parsed;
}

cimobj::PathPtr Fixture::namespacePath() const {
    cimobj::PathPtr result(newObjectPathWithName(nullptr));
    check(result && setObjectPathNameSpace(result.get(), cimobj::makeString(target()).release()));
    return result;
}

cimobj::PathPtr Fixture::instancePath(const std::wstring &name) const {
    cimobj::PathPtr result(newObjectPathFromInst(&instance(name)));
    check(result && setObjectPathNameSpace(result.get(), cimobj::makeString(target()).release()));
    return result;
}

const CIMClass &Fixture::cimClass(const std::wstring &name) const { return lookUp(classes_, name, "class"); }

const CIMQualifierType &Fixture::qualifierType(const std::wstring &name) const {
    return lookUp(qualifierTypes_, name, "qualifier");
}

const CIMInstance &Fixture::instance(const std::wstring &name) const {
    return lookUp(instances_, name, "instance");
}

const CIMClass &Fixture::withNote(const std::wstring &name) const { return lookUp(noted_, name, "class"); }

cimobj::ClassPtr Fixture::classVariant(const std::wstring &name, const std::wstring &newName,
                                       const std::wstring &superclass) const {
    cimobj::ClassPtr copy(copyCIMClass(&cimClass(name)));
    check(copy && setClassName(copy.get(), cimobj::makeString(newName).release()) &&
          setClassSuperName(copy.get(), cimobj::makeString(superclass).release()));
    return copy;
}

cimobj::InstancePtr Fixture::copyOf(const std::wstring &name) const {
    cimobj::InstancePtr copy(copyCIMInstance(&instance(name)));
    check(copy != nullptr);
    return copy;
}

cimobj::InstancePtr Fixture::with(cimobj::InstancePtr instance, const std::wstring &property, cimobj::ValuePtr value) {
    CIMProperty *existing = findCIMProperty(getInstanceProperties(instance.get()), property.c_str());
    if (existing) {
        check(isSuccessfulFree(propertyAddValue(existing, value.get())));
        value.release();
        return instance;
    }
    int type = getCIMValueType(value.get());
    cimobj::PropertyPtr added(newProperty(cimobj::makeString(property).release(), nullptr, value.get(), type,
                                          nullptr, 0));
    check(added != nullptr);
    value.release();
    check(isSuccessfulFree(instanceAddProperty(instance.get(), added.get())));
    added.release();
    return instance;
}

cimobj::InstancePtr Fixture::ofClass(cimobj::InstancePtr instance, const std::wstring &className) {
    check(setInstanceName(instance.get(), cimobj::makeString(className).release()));
    return instance;
}

cimobj::ListPtr Fixture::strings(std::initializer_list<const wchar_t *> items) {
    cimobj::ListPtr list(newCIMStringList());
    check(list != nullptr);
    for (const wchar_t *item : items)
        check(isSuccessfulFree(appendToCIMStringList(list.get(), cimobj::makeString(item).release())));
    return list;
}

cimobj::StringPtr Fixture::text(const wchar_t *value) { return cimobj::makeString(value); }

cimobj::ValuePtr Fixture::stringValue(const wchar_t *value) {
    cimobj::StringPtr content = cimobj::makeString(value);
    cimobj::ValuePtr result(newCIMValue(CIM_STRING, content.get()));
    check(result != nullptr);
    content.release();
    return result;
}

cimobj::ValuePtr Fixture::uint32Value(uint32_t value) {
    cimobj::ValuePtr result(newCIMValue(CIM_UINT32, &value));
    check(result != nullptr);
    return result;
}

cimobj::ValuePtr Fixture::stringArrayValue(std::initializer_list<const wchar_t *> items) {
    cimobj::ListPtr list(newCIMValueList());
    check(list != nullptr);
    for (const wchar_t *item : items) {
        cimobj::ValuePtr element = stringValue(item);
        check(isSuccessfulFree(appendToCIMValueList(list.get(), element.get())));
        element.release();
    }
    cimobj::ValuePtr result(newCIMValue(CIM_STRING + CIM_ARRAY, list.get()));
    check(result != nullptr);
    list.release();
    return result;
}

cimobj::ListPtr Fixture::parameters(const wchar_t *name, cimobj::ValuePtr value) {
    cimobj::ListPtr list(newCIMPropertyList());
    int type = getCIMValueType(value.get());
    cimobj::PropertyPtr parameter(newProperty(cimobj::makeString(name).release(), nullptr, value.get(), type,
                                              nullptr, 0));
    check(list && parameter);
    value.release();
    check(isSuccessfulFree(appendToCIMPropertyList(list.get(), parameter.get())));
    parameter.release();
    return list;
}

std::string Fixture::encoded(char *request, const char *operation) {
    if (!request) throw std::runtime_error(std::string("the client library could not encode ") + operation);
    std::string text = request;
    GC_free(request);
    return text;
}

}  // namespace conformance
