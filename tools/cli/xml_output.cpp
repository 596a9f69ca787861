// xml_output.cpp - results as the raw CIM-XML bodies of the answers, and
// the choice of the output form.
#include "result_writer.h"

namespace cli {

namespace {

class XmlWriter : public ResultWriter {
public:
    explicit XmlWriter(std::ostream &out) : out_(out) {}
    void responseBytes(std::string_view piece) override {
        out_ << piece;
        if (!piece.empty()) last_ = piece.back();
    }
    void responseEnd() override {
        if (last_ && last_ != '\n') out_ << "\n";
        last_ = 0;
    }
    void instance(const CIMInstance *, const CIMObjectPath *) override {}
    void cimClass(const CIMClass *) override {}
    void path(const CIMObjectPath *) override {}
    void qualifierType(const CIMQualifierType *) override {}
    void propertyValue(const std::wstring &, const CIMValue *) override {}
    void methodResult(const std::wstring &, const CIMValue *, const CIMPropertyList *) override {}
    void namespaceName(const std::wstring &) override {}
    void count(unsigned long long) override {}
    bool failed() const override { return !out_; }

private:
    std::ostream &out_;
    char last_ = 0;  // the last byte of the body so far; 0 for none
};

}  // namespace

std::unique_ptr<ResultWriter> makeResultWriter(OutputForm form, std::ostream &out) {
    switch (form) {
        case OutputForm::json: return makeJsonWriter(out);
        case OutputForm::xml: return std::make_unique<XmlWriter>(out);
        case OutputForm::mof: break;
    }
    return makeMofWriter(out);
}

}  // namespace cli
