// property_method_commands.cpp - get-property, set-property and
// invoke-method. Values given on the command line are typed by the class's
// declaration, which GetClass fetches first.
#include <cimxml/cimxml_client.h>

#include "argument_values.h"
#include "command_support.h"

namespace cli {

namespace {

using remote::ClientError;

cimobj::ClassPtr targetClass(CommandContext &c) {
    const CIMObjectPath *path = target(c);
    return c.connection.getClass(std::wstring(cimobj::view(getObjectPathNameSpace(path))),
                                 std::wstring(cimobj::view(getObjectPathName(path))));
}

std::string className(CommandContext &c) { return cimobj::toUtf8(getObjectPathName(target(c))); }

// The text of a string value, array elements joined by commas as
// typedArgument reads them.
std::string valueText(const CIMValue *value) {
    if (value->type == CIM_STRING) return cimobj::toUtf8(value->data.string);
    std::string text;
    const char *separator = "";
    for (CIMListNode *node = getFirstCIMValue(value->data.array); node; node = getNextCIMValue(node)) {
        text += separator + cimobj::toUtf8(getCurrentCIMValue(node)->data.string);
        separator = ",";
    }
    return text;
}

}  // namespace

void runGetProperty(CommandContext &c) {
    requireInstance(c);
    cimobj::StringPtr name = wide(c.invocation.arguments.at(0));
    std::string body = c.call(CIMXMLencode_getProperty(target(c), name.get(), 0), "GetProperty");
    CIMValue *value = nullptr;
    c.connection.check(CIMXMLdecode_getProperty(body.c_str(), &value), body);
    cimobj::ValuePtr owner(value);
    // The answer carries the value as text: the class's declaration types it.
    int type = getCIMValueType(value);
    if (value && !isCIMValueNull(value) && (type == CIM_STRING || type == CIM_STRING + CIM_ARRAY)) {
        cimobj::ClassPtr cimClass = targetClass(c);
        const CIMProperty *declared =
            findCIMProperty(getClassProperties(cimClass.get()), getCIMStringBuffer(name.get()));
        if (declared && declared->type != type && (declared->type >= CIM_ARRAY) == (type >= CIM_ARRAY)) {
            try {
                owner = typedArgument(valueText(value), declared->type, "property");
            } catch (const ClientError &) {
                // Not a value of the declared type after all: shown as it came.
            }
        }
    }
    c.out.propertyValue(std::wstring(cimobj::view(name.get())), owner.get());
}

void runSetProperty(CommandContext &c) {
    requireInstance(c);
    NamedArgument argument = splitNamedArgument(c.invocation.arguments.at(0));
    cimobj::ClassPtr cimClass = targetClass(c);
    const CIMProperty *declared =
        findCIMProperty(getClassProperties(cimClass.get()), cimobj::fromUtf8(argument.name).c_str());
    if (!declared) throw ClientError(remote::exitUsage, "class " + className(c) + " has no property " + argument.name);
    // A name without '=' sets the property to NULL.
    cimobj::ValuePtr value;
    if (argument.hasValue) value = typedArgument(argument.value, declared->type, "property " + argument.name);
    std::string body = c.call(CIMXMLencode_setProperty(target(c), declared->name, value.get(), 0), "SetProperty");
    c.connection.check(CIMXMLdecode_setProperty(body.c_str()), body);
}

void runInvokeMethod(CommandContext &c) {
    requireClassOrInstance(c);
    const std::vector<std::string> &arguments = c.invocation.arguments;
    cimobj::ClassPtr cimClass = targetClass(c);
    const CIMMethod *method = nullptr;
    std::wstring wanted = cimobj::fromUtf8(arguments.at(0));
    for (CIMListNode *node = getFirstCIMMethod(getClassMethods(cimClass.get())); node && !method;
         node = getNextCIMMethod(node))
        if (local_wcscasecmp(getCIMStringBuffer(getMethodName(getCurrentCIMMethod(node))), wanted.c_str()) == 0)
            method = getCurrentCIMMethod(node);
    if (!method) throw ClientError(remote::exitUsage, "class " + className(c) + " has no method " + arguments[0]);

    cimobj::ListPtr parameters(newCIMPropertyList());
    for (size_t i = 1; i < arguments.size(); ++i) {
        NamedArgument argument = splitNamedArgument(arguments[i]);
        if (!argument.hasValue)
            throw ClientError(remote::exitUsage, "method parameters are NAME=VALUE; '" + arguments[i] + "' has no '='");
        const CIMProperty *declared =
            findCIMProperty(getMethodParameters(method), cimobj::fromUtf8(argument.name).c_str());
        if (!declared)
            throw ClientError(remote::exitUsage, "method " + arguments[0] + " has no parameter " + argument.name);
        cimobj::ValuePtr value = typedArgument(argument.value, declared->type, "parameter " + argument.name);
        cimobj::PropertyPtr parameter(
            newProperty(copyCIMString(declared->name), nullptr, value.get(), declared->type, nullptr, 0));
        if (!parameter) throw std::bad_alloc();
        value.release();
        if (!isSuccessfulFree(appendToCIMPropertyList(parameters.get(), parameter.get()))) throw std::bad_alloc();
        parameter.release();
    }
    std::string body = c.call(CIMXMLencode_invokeMethod(target(c), method->name, parameters.get(), 0), "InvokeMethod");
    CIMPropertyList *out = nullptr;
    CIMValue *returned = nullptr;
    c.connection.check(CIMXMLdecode_invokeMethod(body.c_str(), &out, &returned), body);
    cimobj::ListPtr outOwner(out);
    cimobj::ValuePtr returnedOwner(returned);
    c.out.methodResult(std::wstring(cimobj::view(method->name)), returned, out);
}

}  // namespace cli
