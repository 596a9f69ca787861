// mof_output.cpp - results as MOF, the text CIM people read: instances and
// classes as the MOF writer writes them (each instance after a comment
// naming its path, objects apart by an empty line), qualifier declarations
// one a line, paths and namespaces one a line, values as "Name = value;".
#include <sstream>

#include <cimom/mof.h>
#include <cimom/object_path_text.h>

#include "result_writer.h"

namespace cli {

namespace {

// "Name = value;" lines of the properties, as the MOF writer writes an
// instance's (a NULL value as null).
std::string assignments(CIMPropertyList *properties) {
    CIMInstance scratch{nullptr, nullptr, nullptr, properties};
    std::string mof = cimom::writeInstanceMof(&scratch);
    std::istringstream lines(mof);
    std::string line, out;
    while (std::getline(lines, line))
        if (line.rfind("    ", 0) == 0) out += line.substr(4) + "\n";
    return out;
}

CIMProperty *namedValue(const std::wstring &name, const CIMValue *value) {
    CIMValue *copy = value ? copyCIMValue(value) : newCIMValueNULL(CIM_STRING);
    return newProperty(cimobj::makeString(name).release(), nullptr, copy, getCIMValueType(copy), nullptr, 0);
}

class MofWriter : public ResultWriter {
public:
    explicit MofWriter(std::ostream &out) : out_(out) {}

    void responseBytes(std::string_view) override {}
    void responseEnd() override {}

    void instance(const CIMInstance *instance, const CIMObjectPath *path) override {
        separate();
        if (path) out_ << "// " << cimobj::toUtf8(cimom::writeObjectPathText(path)) << "\n";
        out_ << cimom::writeInstanceMof(instance);
    }
    void cimClass(const CIMClass *cimClass) override {
        separate();
        out_ << cimom::writeClassMof(cimClass);
    }
    void path(const CIMObjectPath *path) override { out_ << cimobj::toUtf8(cimom::writeObjectPathText(path)) << "\n"; }
    void qualifierType(const CIMQualifierType *declaration) override {
        out_ << cimom::writeQualifierTypeMof(declaration);
    }
    void propertyValue(const std::wstring &name, const CIMValue *value) override {
        cimobj::ListPtr properties(newCIMPropertyList());
        appendToCIMPropertyList(properties.get(), namedValue(name, value));
        out_ << assignments(properties.get());
    }
    void methodResult(const std::wstring &, const CIMValue *returnValue,
                      const CIMPropertyList *outParameters) override {
        cimobj::ListPtr properties(outParameters ? copyCIMPropertyList(outParameters) : newCIMPropertyList());
        if (returnValue) {
            // The return value comes first, under the name MOF gives it nowhere else.
            cimobj::ListPtr ordered(newCIMPropertyList());
            appendToCIMPropertyList(ordered.get(), namedValue(L"ReturnValue", returnValue));
            for (int i = 0; i < getLength(properties.get()); ++i)
                appendToCIMPropertyList(ordered.get(), copyCIMProperty(getCIMPropertyAt(properties.get(), i)));
            properties = std::move(ordered);
        }
        out_ << assignments(properties.get());
    }
    void namespaceName(const std::wstring &name) override { out_ << cimobj::toUtf8(name) << "\n"; }
    void count(unsigned long long count) override { out_ << count << "\n"; }
    bool failed() const override { return !out_; }

private:
    void separate() {
        if (written_) out_ << "\n";
        written_ = true;
    }
    std::ostream &out_;
    bool written_ = false;
};

}  // namespace

std::unique_ptr<ResultWriter> makeMofWriter(std::ostream &out) { return std::make_unique<MofWriter>(out); }

}  // namespace cli
