// server_mof_sink.cpp - compiled MOF declarations sent to a CIM server.
#include "server_mof_sink.h"

#include <cimxml/cimxml_client.h>

#include <cwctype>

namespace remote {

namespace {

// Cache key: namespace and name, without regard to case.
std::wstring keyOf(const std::wstring &nameSpace, const std::wstring &name) {
    std::wstring key = nameSpace + L":" + name;
    for (wchar_t &c : key)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return key;
}

cimobj::ListPtr stringList(const std::vector<std::wstring> &names) {
    cimobj::ListPtr list(newCIMStringList());
    if (!list) throw std::bad_alloc();
    for (const std::wstring &name : names)
        if (!isSuccessfulFree(appendToCIMStringList(list.get(), cimobj::makeString(name).release())))
            throw std::bad_alloc();
    return list;
}

// The names of the instance's properties that are not keys.
std::vector<std::wstring> givenProperties(const CIMInstance *instance) {
    std::vector<std::wstring> names;
    for (CIMListNode *node = getFirstCIMProperty(instance->properties); node; node = getNextCIMProperty(node)) {
        const CIMProperty *property = getCurrentCIMProperty(node);
        if (!property->isKey) names.emplace_back(cimobj::view(property->name));
    }
    return names;
}

}  // namespace

ServerMofSink::ServerMofSink(CimConnection &connection, Options options)
    : connection_(connection), options_(std::move(options)) {}

template <class Decode>
cimom::Status ServerMofSink::send(char *request, const char *operation, Decode decode) {
    std::string body = connection_.exchange(request, operation);
    if (onResponse) onResponse(body);
    try {
        connection_.check(decode(body.c_str()), body);
    } catch (const ClientError &error) {
        if (error.status() >= exitUsage) throw;
        refusal_ = error;
        return cimom::Status::error(error.status(), error.what());
    }
    return cimom::Status::success();
}

cimom::Status ServerMofSink::refuseKind() {
    refusal_ = ClientError(exitUsage, options_.refusalText);
    return cimom::Status::error(exitUsage, options_.refusalText);
}

cimom::Status ServerMofSink::setQualifierType(const std::wstring &nameSpace, cimobj::QualifierTypePtr declaration) {
    if (!(options_.kinds & qualifierTypes)) return refuseKind();
    cimobj::PathPtr path = classPath(nameSpace, L"");
    cimom::Status status =
        send(CIMXMLencode_setQualifier(path.get(), declaration.get(), 0), "SetQualifier", CIMXMLdecode_setQualifier);
    if (status.ok())
        qualifierTypes_[keyOf(nameSpace, std::wstring(cimobj::view(declaration->name)))] = std::move(declaration);
    return status;
}

cimom::Status ServerMofSink::createClass(const std::wstring &nameSpace, cimobj::ClassPtr cimClass) {
    if (!(options_.kinds & classes)) return refuseKind();
    std::wstring name(cimobj::view(getClassName(cimClass.get())));
    cimobj::PathPtr path = classPath(nameSpace, name);
    cimom::Status status =
        options_.modify
            ? send(CIMXMLencode_modifyClass(path.get(), cimClass.get(), 0), "ModifyClass", CIMXMLdecode_modifyClass)
            : send(CIMXMLencode_createClass(path.get(), cimClass.get(), 0), "CreateClass", CIMXMLdecode_createClass);
    // The server resolves the new class: ask again when it is needed.
    classes_.erase(keyOf(nameSpace, name));
    return status;
}

cimom::Status ServerMofSink::createInstance(const std::wstring &nameSpace, cimobj::InstancePtr instance,
                                            cimobj::PathPtr &newPath) {
    if (!(options_.kinds & instances)) return refuseKind();
    cimobj::PathPtr path = classPath(nameSpace, std::wstring(cimobj::view(getInstanceName(instance.get()))));
    if (options_.modify) {
        cimobj::PathPtr name(newObjectPathFromInst(instance.get()));
        if (!name || !setObjectPathNameSpace(name.get(), cimobj::makeString(nameSpace).release()))
            throw std::bad_alloc();
        cimobj::ListPtr properties = stringList(options_.propertyList.value_or(givenProperties(instance.get())));
        return send(
            CIMXMLencode_modifyInstance(name.get(), instance.get(), options_.includeQualifiers, properties.get(), 0),
            "ModifyInstance", CIMXMLdecode_modifyInstance);
    }
    CIMObjectPath *created = nullptr;
    cimom::Status status = send(CIMXMLencode_createInstance(path.get(), instance.get(), 0), "CreateInstance",
                                [&created](const char *body) { return CIMXMLdecode_createInstance(body, &created); });
    newPath.reset(created);
    if (newPath && isEmptyCIMString(getObjectPathNameSpace(newPath.get())))
        setObjectPathNameSpace(newPath.get(), cimobj::makeString(nameSpace).release());
    if (newPath && onCreated) onCreated(*newPath);
    return status;
}

const CIMClass *ServerMofSink::findClass(const std::wstring &nameSpace, const std::wstring &className) {
    std::wstring key = keyOf(nameSpace, className);
    auto found = classes_.find(key);
    if (found != classes_.end()) return found->second.get();
    cimobj::ClassPtr cimClass;
    try {
        cimClass = connection_.getClass(nameSpace, className);
    } catch (const ClientError &error) {
        if (error.status() != 5 && error.status() != 6) throw;
    }
    return (classes_[key] = std::move(cimClass)).get();
}

const CIMQualifierType *ServerMofSink::findQualifierType(const std::wstring &nameSpace, const std::wstring &name) {
    std::wstring key = keyOf(nameSpace, name);
    auto found = qualifierTypes_.find(key);
    if (found != qualifierTypes_.end()) return found->second.get();
    cimobj::PathPtr path = classPath(nameSpace, L"");
    cimobj::StringPtr qualifierName = cimobj::makeString(name);
    std::string body =
        connection_.exchange(CIMXMLencode_getQualifier(path.get(), qualifierName.get(), 0), "GetQualifier");
    CIMQualifierType *declaration = nullptr;
    try {
        connection_.check(CIMXMLdecode_getQualifier(body.c_str(), &declaration), body);
    } catch (const ClientError &error) {
        if (error.status() != 6) throw;
    }
    return (qualifierTypes_[key] = cimobj::QualifierTypePtr(declaration)).get();
}

void compileToServer(ServerMofSink &sink, const std::optional<std::string> &text, const std::string &name,
                     const std::wstring &defaultNamespace) {
    cimom::MofOptions options;
    options.defaultNamespace = defaultNamespace;
    std::vector<cimom::MofDiagnostic> diagnostics =
        text ? cimom::compileMofText(*text, name, sink, options) : cimom::compileMofFile(name, sink, options);
    if (diagnostics.empty()) return;
    const cimom::MofDiagnostic &first = diagnostics.front();
    if (sink.refusal()) throw ClientError(sink.refusal()->status(), oneLine(first.text()));
    throw ClientError(first.line == 0 && !text ? exitNoInput : exitBadInput, oneLine(first.text()));
}

}  // namespace remote
