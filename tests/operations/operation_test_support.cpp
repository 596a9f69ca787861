// operation_test_support.cpp - requests, runs and readings shared by the
// operation and handler tests.
#include "operations/operation_test_support.h"

#include <gc/gc.h>

#include "cimxml/last_error.h"
#include "common_handlers/parse_driver.h"
#include "cimxml_common/memory.h"
#include <utils/pool_string.h>

namespace optest {

namespace {

std::string namespacePath(const std::string &nameSpace) {
    if (nameSpace.empty()) return {};
    std::string path = "<LOCALNAMESPACEPATH>";
    std::size_t start = 0;
    for (;;) {
        std::size_t slash = nameSpace.find('/', start);
        path += "<NAMESPACE NAME=\"" + nameSpace.substr(start, slash == std::string::npos ? slash : slash - start) +
                "\"/>";
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return path + "</LOCALNAMESPACEPATH>\n";
}

std::string narrow(const CIMString *text) {
    if (!text || !getCIMStringBuffer(text)) return {};
    char *chars = createCharFromCIMString(text);
    std::string result = chars ? chars : "";
    GC_free(chars);
    return result;
}

}  // namespace

std::string request(const std::string &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"1001\" PROTOCOLVERSION=\"1.0\">\n" +
           body + "</MESSAGE>\n</CIM>\n";
}

std::string intrinsic(const std::string &name, const std::string &nameSpace, const std::string &params) {
    return request("<SIMPLEREQ>\n<IMETHODCALL NAME=\"" + name + "\">\n" + namespacePath(nameSpace) + params +
                   "</IMETHODCALL>\n</SIMPLEREQ>\n");
}

std::string extrinsic(const std::string &name, const std::string &nameSpace, const std::string &target,
                      const std::string &params) {
    std::string path = target.rfind("<INSTANCENAME", 0) == 0
                           ? "<LOCALINSTANCEPATH>" + namespacePath(nameSpace) + target + "</LOCALINSTANCEPATH>\n"
                           : "<LOCALCLASSPATH>" + namespacePath(nameSpace) + "<CLASSNAME NAME=\"" + target +
                                 "\"/></LOCALCLASSPATH>\n";
    return request("<SIMPLEREQ>\n<METHODCALL NAME=\"" + name + "\">\n" + path + params +
                   "</METHODCALL>\n</SIMPLEREQ>\n");
}

std::string exportRequest(const std::string &params) {
    return request("<SIMPLEEXPREQ>\n<EXPMETHODCALL NAME=\"ExportIndication\">\n" + params +
                   "</EXPMETHODCALL>\n</SIMPLEEXPREQ>\n");
}

std::string iparam(const std::string &name, const std::string &child) {
    return "<IPARAMVALUE NAME=\"" + name + "\">" + child + "</IPARAMVALUE>\n";
}

std::string classNameParam(const std::string &className) {
    return iparam("ClassName", "<CLASSNAME NAME=\"" + className + "\"/>");
}

std::string instanceNameParam(const std::string &className, const std::string &keyName, const std::string &key) {
    return iparam("InstanceName", "<INSTANCENAME CLASSNAME=\"" + className + "\"><KEYBINDING NAME=\"" + keyName +
                                      "\"><KEYVALUE VALUETYPE=\"string\">" + key +
                                      "</KEYVALUE></KEYBINDING></INSTANCENAME>");
}

std::string valueParam(const std::string &name, const std::string &text) {
    return iparam(name, "<VALUE>" + text + "</VALUE>");
}

std::string instanceXml(const std::string &className, const std::string &propertyName, const std::string &text) {
    return "<INSTANCE CLASSNAME=\"" + className + "\"><PROPERTY NAME=\"" + propertyName +
           "\" TYPE=\"string\"><VALUE>" + text + "</VALUE></PROPERTY></INSTANCE>";
}

std::string handle(const char *text, CIMOMHandle *cimom) {
    MessageHandler *record = CIMXML_RequestMessage_Handler(text, nullptr, cimom);
    if (!record) return "(null record)";
    const char *response = CIMXML_getResponseFromMessageHandler(record);
    std::string result = response ? response : "(null text)";
    CIMXML_releaseMessageHandler(record);
    return result;
}

Outcome run(OperationFunction function, const std::string &document, CIMOMHandle *cimom) {
    MessageData *msgData = cimxmlParseMessage(document.c_str());
    if (!msgData) return {-1, "(document did not parse)"};
    // The pool lives on the stack, as a host keeps its record.
    PoolString pool{};
    int result = function(&pool, msgData, cimom);
    std::string response = pool.text ? pool.text : "";
    release_PoolStringBuffer(&pool);
    freeMessageData(msgData);
    return {result, response};
}

void markLastError() {
    ReturnCode *marker = newReturnCode(0, L"unchanged");
    cimxml_setlasterror(marker);
    freeReturnCode(marker);
}

std::string lastError() {
    ReturnCode *rc = cimxml_getlasterror();
    if (!rc) return "(none)";
    std::string text = std::to_string(getErrorFromRetCode(rc));
    if (CIMString *description = getReturnCodeDescription(rc)) text += ": " + narrow(description);
    freeReturnCode(rc);
    return text;
}

std::string responseStartLine(const std::string &response) {
    for (const char *name : {"<IMETHODRESPONSE", "<METHODRESPONSE", "<EXPMETHODRESPONSE"}) {
        std::size_t start = response.find(name);
        if (start != std::string::npos) return response.substr(start, response.find('\n', start) - start);
    }
    return "(no response element)";
}

std::string responseBody(const std::string &response) {
    for (const char *name : {"IMETHODRESPONSE", "METHODRESPONSE", "EXPMETHODRESPONSE"}) {
        std::size_t start = response.find(std::string("<") + name);
        if (start == std::string::npos) continue;
        start = response.find('\n', start) + 1;
        std::size_t end = response.find(std::string("</") + name + ">", start);
        return end == std::string::npos ? "(unterminated)" : response.substr(start, end - start);
    }
    return "(no response element)";
}

std::string responseHead(const std::string &id) {
    return "CIMOperation: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n\r\n"
           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"" + id + "\" PROTOCOLVERSION=\"1.0\">\n";
}

std::string responseTail() { return "</MESSAGE>\n</CIM>\n"; }

}  // namespace optest
