// mof_compiler_fuzzer.cpp - any bytes as MOF text through the compiler, into
// a sink that accepts every new declaration.
//
// Every error must come as a located diagnostic. Every object the sink took
// is written back as MOF by the writer, and that MOF must compile again, with
// no diagnostic, into one object that the writer writes the same way (the
// writer's promise that the compiler reads its text back to an equal
// object).
#include <cstddef>
#include <cstdint>
#include <cwctype>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <cimom/mof.h>

#include "support/fuzz_check.h"

using fuzzsupport::check;

namespace {

// Includes resolve against a folder that does not exist.
const std::string inputName = "/nonexistent-fuzz-folder/input.mof";

std::wstring key(std::wstring_view nameSpace, std::wstring_view name) {
    std::wstring k = std::wstring(nameSpace) + L":" + std::wstring(name);
    for (wchar_t &c : k) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return k;
}

struct WrittenObject {
    std::wstring nameSpace;
    std::string mof;
};

// Takes every declaration once (a second one of the same name is refused, as
// a repository refuses it), a class only when its superclass is known, and
// keeps the written MOF of each object it took. Look-ups it cannot answer go
// to the schema sink, when it has one.
class CollectingSink : public cimom::MofSink {
public:
    explicit CollectingSink(CollectingSink *schema = nullptr) : schema_(schema) {}
    std::vector<WrittenObject> written;

    cimom::Status setQualifierType(const std::wstring &ns, cimobj::QualifierTypePtr declaration) override {
        std::wstring k = key(ns, cimobj::view(declaration->name));
        if (qualifiers_.count(k)) return cimom::Status::error(11, "declared already");
        written.push_back({ns, cimom::writeQualifierTypeMof(declaration.get())});
        qualifiers_[k] = std::move(declaration);
        return {};
    }

    cimom::Status createClass(const std::wstring &ns, cimobj::ClassPtr cimClass) override {
        std::wstring k = key(ns, cimobj::view(getClassName(cimClass.get())));
        if (classes_.count(k)) return cimom::Status::error(11, "declared already");
        const CIMClass *super = nullptr;
        if (!cimobj::view(cimClass->superClass).empty()) {
            super = findClass(ns, std::wstring(cimobj::view(cimClass->superClass)));
            if (super == nullptr) return cimom::Status::error(5, "no such superclass");
        }
        written.push_back({ns, cimom::writeClassMof(cimClass.get())});
        // Look-ups see inherited properties after the class's own.
        for (int i = 0; super != nullptr && i < getCIMPropertyListLength(super->properties); ++i) {
            const CIMProperty *inherited = getCIMPropertyAt(super->properties, i);
            if (inherited->name == nullptr || findCIMProperty(cimClass->properties, inherited->name->buffer)) continue;
            CIMProperty *copy = copyCIMProperty(inherited);
            copy->propagated = 1;
            if (cimClass->properties == nullptr) cimClass->properties = newCIMPropertyList();
            freeReturnCode(appendToList(cimClass->properties, copy));
        }
        classes_[k] = std::move(cimClass);
        return {};
    }

    cimom::Status createInstance(const std::wstring &ns, cimobj::InstancePtr instance, cimobj::PathPtr &newPath) override {
        written.push_back({ns, cimom::writeInstanceMof(instance.get())});
        newPath.reset(newObjectPathFromInst(instance.get()));
        return {};
    }

    const CIMClass *findClass(const std::wstring &ns, const std::wstring &name) override {
        auto found = classes_.find(key(ns, name));
        if (found != classes_.end()) return found->second.get();
        return schema_ != nullptr ? schema_->findClass(ns, name) : nullptr;
    }

    const CIMQualifierType *findQualifierType(const std::wstring &ns, const std::wstring &name) override {
        auto found = qualifiers_.find(key(ns, name));
        if (found != qualifiers_.end()) return found->second.get();
        return schema_ != nullptr ? schema_->findQualifierType(ns, name) : nullptr;
    }

private:
    CollectingSink *schema_;
    std::map<std::wstring, cimobj::QualifierTypePtr> qualifiers_;
    std::map<std::wstring, cimobj::ClassPtr> classes_;
};

// Receives the objects of one written object's MOF compiled again; look-ups
// go to the sink that took the original.
class RecompileSink : public cimom::MofSink {
public:
    explicit RecompileSink(CollectingSink &original) : original_(original) {}
    std::vector<std::string> written;

    cimom::Status setQualifierType(const std::wstring &, cimobj::QualifierTypePtr declaration) override {
        written.push_back(cimom::writeQualifierTypeMof(declaration.get()));
        return {};
    }
    cimom::Status createClass(const std::wstring &, cimobj::ClassPtr cimClass) override {
        written.push_back(cimom::writeClassMof(cimClass.get()));
        return {};
    }
    cimom::Status createInstance(const std::wstring &, cimobj::InstancePtr instance, cimobj::PathPtr &newPath) override {
        written.push_back(cimom::writeInstanceMof(instance.get()));
        newPath.reset(newObjectPathFromInst(instance.get()));
        return {};
    }
    const CIMClass *findClass(const std::wstring &ns, const std::wstring &name) override {
        return original_.findClass(ns, name);
    }
    const CIMQualifierType *findQualifierType(const std::wstring &ns, const std::wstring &name) override {
        return original_.findQualifierType(ns, name);
    }

private:
    CollectingSink &original_;
};

void checkDiagnostics(const std::vector<cimom::MofDiagnostic> &diagnostics, std::string_view text) {
    for (const cimom::MofDiagnostic &diagnostic : diagnostics) {
        check(!diagnostic.message.empty() && !diagnostic.file.empty(), "a diagnostic names its file and says what", text);
        // Line 0 only for a file that could not be read at all.
        bool located = diagnostic.line >= 1 ? diagnostic.column >= 1 : diagnostic.column == 0;
        check(located, "a diagnostic is located", diagnostic.text());
    }
}

// The default schema of root/cimv2, so that small inputs can declare
// subclasses and instances of its classes and use its qualifiers.
CollectingSink *schema = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    schema = new CollectingSink();
    std::vector<cimom::MofDiagnostic> diagnostics =
        cimom::compileMofFile(CIMXML_FUZZ_SCHEMA_DIR "/root_cimv2.mof", *schema);
    if (!diagnostics.empty()) fuzzsupport::fail("the default schema compiles", diagnostics.front().text());
    schema->written.clear();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char *>(data), size);
    CollectingSink sink(schema);
    checkDiagnostics(cimom::compileMofText(text, inputName, sink), text);
    for (const WrittenObject &object : sink.written) {
        RecompileSink again(sink);
        cimom::MofOptions options;
        options.defaultNamespace = object.nameSpace;
        std::vector<cimom::MofDiagnostic> diagnostics = cimom::compileMofText(object.mof, "written.mof", again, options);
        check(diagnostics.empty(), "written MOF compiles again",
              object.mof + "\n" + (diagnostics.empty() ? "" : diagnostics.front().text()));
        check(again.written.size() == 1 && again.written.front() == object.mof, "written MOF reads back to an equal object",
              object.mof + "\n--- written again:\n" + (again.written.empty() ? "" : again.written.front()));
    }
    return 0;
}
