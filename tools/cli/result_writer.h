// result_writer.h - the output forms of cimxml-cli: MOF (the default), JSON
// lines and the raw CIM-XML response.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include <cimobj/cimobj.h>

namespace cli {

enum class OutputForm { mof, json, xml };

// Receives an operation's results in the order they come. Every object is
// lent for the call.
class ResultWriter {
public:
    virtual ~ResultWriter() = default;
    // The CIM-XML body of each answer the command got, in pieces as they
    // arrive, then its end (only the xml form writes them).
    virtual void responseBytes(std::string_view piece) = 0;
    virtual void responseEnd() = 0;
    // A whole body: its one piece and its end.
    void responseBody(const std::string &body) {
        responseBytes(body);
        responseEnd();
    }
    // An instance; path names it (NULL when unknown).
    virtual void instance(const CIMInstance *instance, const CIMObjectPath *path) = 0;
    virtual void cimClass(const CIMClass *cimClass) = 0;
    // An instance path, a class path or a bare class name.
    virtual void path(const CIMObjectPath *path) = 0;
    virtual void qualifierType(const CIMQualifierType *declaration) = 0;
    // One property's value (GetProperty); value NULL for a NULL property.
    virtual void propertyValue(const std::wstring &name, const CIMValue *value) = 0;
    // A method's outcome: its return value (NULL when none) and its output
    // parameters (NULL when none).
    virtual void methodResult(const std::wstring &method, const CIMValue *returnValue,
                              const CIMPropertyList *outParameters) = 0;
    virtual void namespaceName(const std::wstring &name) = 0;
    // The number of objects an enumeration holds (EnumerationCount).
    virtual void count(unsigned long long count) = 0;
    // True once a write failed (the reader of the output went away).
    virtual bool failed() const = 0;
};

// The writer of form, writing to out.
std::unique_ptr<ResultWriter> makeResultWriter(OutputForm form, std::ostream &out);

// The individual forms (result_writer.cpp picks one).
std::unique_ptr<ResultWriter> makeMofWriter(std::ostream &out);
std::unique_ptr<ResultWriter> makeJsonWriter(std::ostream &out);

}  // namespace cli
