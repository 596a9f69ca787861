// recording_sink.h - a MOF sink for the tests: it keeps what it accepts,
// writes each accepted object back as MOF (with a namespace pragma whenever
// the namespace changes) and answers look-ups from what it holds.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <cimom/mof.h>

class RecordingSink : public cimom::MofSink {
public:
    std::string text;                 // the accepted objects written back, in order
    std::vector<std::string> calls;   // "class CIM_A", "instance of CIM_A", ... in order

    cimom::Status setQualifierType(const std::wstring &ns, cimobj::QualifierTypePtr declaration) override {
        calls.push_back("qualifier " + cimobj::toUtf8(declaration->name));
        record(ns, cimom::writeQualifierTypeMof(declaration.get()));
        qualifiers_[key(ns, cimobj::view(declaration->name))] = std::move(declaration);
        return {};
    }

    cimom::Status createClass(const std::wstring &ns, cimobj::ClassPtr cls) override {
        std::wstring name(cimobj::view(getClassName(cls.get())));
        calls.push_back("class " + cimobj::toUtf8(name));
        record(ns, cimom::writeClassMof(cls.get()));
        // Inherited qualifiers and properties come after the class's own, marked propagated.
        auto super = classes_.find(key(ns, cimobj::view(cls->superClass)));
        if (super != classes_.end()) {
            for (int i = 0; i < getCIMQualifierListLength(super->second->qualifiers); ++i) {
                CIMQualifier *copy = copyCIMQualifier(getCIMQualifierAt(super->second->qualifiers, i));
                copy->propagated = 1;
                freeReturnCode(appendToList(cls->qualifiers, copy));
            }
            for (int i = 0; i < getCIMPropertyListLength(super->second->properties); ++i) {
                CIMProperty *inherited = getCIMPropertyAt(super->second->properties, i);
                if (findCIMProperty(cls->properties, inherited->name->buffer)) continue;
                CIMProperty *copy = copyCIMProperty(inherited);
                copy->propagated = 1;
                freeReturnCode(appendToList(cls->properties, copy));
            }
        }
        classes_[key(ns, name)] = std::move(cls);
        return {};
    }

    cimom::Status createInstance(const std::wstring &ns, cimobj::InstancePtr instance,
                                 cimobj::PathPtr &newPath) override {
        calls.push_back("instance of " + cimobj::toUtf8(cimobj::view(getInstanceName(instance.get()))));
        record(ns, cimom::writeInstanceMof(instance.get()));
        newPath.reset(newObjectPathFromInst(instance.get()));
        return {};
    }

    const CIMClass *findClass(const std::wstring &ns, const std::wstring &name) override {
        auto found = classes_.find(key(ns, name));
        return found == classes_.end() ? nullptr : found->second.get();
    }

    const CIMQualifierType *findQualifierType(const std::wstring &ns, const std::wstring &name) override {
        auto found = qualifiers_.find(key(ns, name));
        return found == qualifiers_.end() ? nullptr : found->second.get();
    }

private:
    static std::wstring key(std::wstring_view ns, std::wstring_view name) {
        std::wstring k = std::wstring(ns) + L":" + std::wstring(name);
        for (wchar_t &c : k) c = static_cast<wchar_t>(towlower(c));
        return k;
    }
    void record(const std::wstring &ns, const std::string &mof) {
        if (ns != namespace_) text += "#pragma namespace(\"" + cimobj::toUtf8(ns) + "\")\n";
        namespace_ = ns;
        text += mof;
    }
    std::wstring namespace_ = L"root/cimv2";
    std::map<std::wstring, cimobj::QualifierTypePtr> qualifiers_;
    std::map<std::wstring, cimobj::ClassPtr> classes_;
};
