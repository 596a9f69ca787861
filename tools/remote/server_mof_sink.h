// server_mof_sink.h - the MOF compiler's sink that is a CIM server: what
// the compiler looks up (classes, qualifier declarations) is asked of the
// server, and each declaration it hands over is sent to the server.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <cimom/mof.h>

#include "cim_connection.h"
#include "client_error.h"

namespace remote {

class ServerMofSink : public cimom::MofSink {
public:
    enum Kind : unsigned { qualifierTypes = 1, classes = 2, instances = 4, everything = 7 };
    struct Options {
        bool modify = false;          // ModifyClass and ModifyInstance instead of the Create operations
        unsigned kinds = everything;  // the declarations accepted; others are refused
        std::string refusalText;      // why another kind is refused ("create-class sends classes")
        bool includeQualifiers = true;
        // ModifyInstance's PropertyList; nullopt: the properties the MOF gives.
        std::optional<std::vector<std::wstring>> propertyList;
    };

    ServerMofSink(CimConnection &connection, Options options);

    // Called with each answer's body, in order.
    std::function<void(const std::string &body)> onResponse;
    // Called with the path of each instance created.
    std::function<void(const CIMObjectPath &path)> onCreated;

    // The CIM error (or the kind refusal) of the declaration the sink refused
    // last; nullopt when it refused none.
    const std::optional<ClientError> &refusal() const { return refusal_; }

    // Sends SetQualifier; the declaration is kept for the lookups that follow.
    cimom::Status setQualifierType(const std::wstring &nameSpace, cimobj::QualifierTypePtr declaration) override;
    // Sends CreateClass (ModifyClass).
    cimom::Status createClass(const std::wstring &nameSpace, cimobj::ClassPtr cimClass) override;
    // Sends CreateInstance (ModifyInstance of the path its keys make).
    cimom::Status createInstance(const std::wstring &nameSpace, cimobj::InstancePtr instance,
                                 cimobj::PathPtr &newPath) override;
    // GetClass, asked once per class and compile; NULL when the server
    // answers CIM_ERR_NOT_FOUND or CIM_ERR_INVALID_CLASS. Other failures
    // throw ClientError through the compiler, which stops it.
    const CIMClass *findClass(const std::wstring &nameSpace, const std::wstring &className) override;
    // GetQualifier, likewise; NULL for CIM_ERR_NOT_FOUND.
    const CIMQualifierType *findQualifierType(const std::wstring &nameSpace, const std::wstring &name) override;

private:
    // Sends request and reads it with decode(body); a CIM error the server
    // answers becomes the returned refusal, anything else throws.
    template <class Decode>
    cimom::Status send(char *request, const char *operation, Decode decode);
    cimom::Status refuseKind();

    CimConnection &connection_;
    Options options_;
    std::optional<ClientError> refusal_;
    std::map<std::wstring, cimobj::ClassPtr> classes_;
    std::map<std::wstring, cimobj::QualifierTypePtr> qualifierTypes_;
};

// Compiles MOF, the text when text is given, else the file name, with
// defaultNamespace, into sink. Returns when every declaration was sent.
// Throws ClientError: the transport failure that stopped it; the refused
// declaration's diagnostic ("file:3:1: class X not created: CIM_ERR_...")
// with its status; any other diagnostic with exitBadInput (exitNoInput for a
// file that cannot be read).
void compileToServer(ServerMofSink &sink, const std::optional<std::string> &text, const std::string &name,
                     const std::wstring &defaultNamespace);

}  // namespace remote
