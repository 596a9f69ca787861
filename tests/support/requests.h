// requests.h - CIM-XML request documents and response frames for the
// decoding, operation and handler tests. Header-only: the host-level tests
// link no module code.
#pragma once

#include <regex>
#include <string>

namespace testsupport {

// A whole request: XML declaration, CIM and MESSAGE (id) around body.
inline std::string request(const std::string &body, const std::string &id = "1001") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"" + id + "\" PROTOCOLVERSION=\"1.0\">\n" + body + "</MESSAGE>\n</CIM>\n";
}

// LOCALNAMESPACEPATH of a namespace whose components are joined by "/";
// nothing for an empty namespace.
inline std::string namespacePath(const std::string &nameSpace) {
    if (nameSpace.empty()) return {};
    std::string path = "<LOCALNAMESPACEPATH>";
    for (std::size_t start = 0, slash = 0; slash != std::string::npos; start = slash + 1) {
        slash = nameSpace.find('/', start);
        path += "<NAMESPACE NAME=\"" + nameSpace.substr(start, slash - start) + "\"/>";
    }
    return path + "</LOCALNAMESPACEPATH>\n";
}

// IMETHODCALL name on nameSpace holding params.
inline std::string intrinsic(const std::string &name, const std::string &nameSpace, const std::string &params = "") {
    return request("<SIMPLEREQ>\n<IMETHODCALL NAME=\"" + name + "\">\n" + namespacePath(nameSpace) + params +
                   "</IMETHODCALL>\n</SIMPLEREQ>\n");
}

// METHODCALL name on a class (target is a class name) or on an instance
// (target is an INSTANCENAME element) holding params.
inline std::string extrinsic(const std::string &name, const std::string &nameSpace, const std::string &target,
                             const std::string &params = "") {
    std::string path = target.rfind("<INSTANCENAME", 0) == 0
                           ? "<LOCALINSTANCEPATH>" + namespacePath(nameSpace) + target + "</LOCALINSTANCEPATH>\n"
                           : "<LOCALCLASSPATH>" + namespacePath(nameSpace) + "<CLASSNAME NAME=\"" + target +
                                 "\"/></LOCALCLASSPATH>\n";
    return request("<SIMPLEREQ>\n<METHODCALL NAME=\"" + name + "\">\n" + path + params +
                   "</METHODCALL>\n</SIMPLEREQ>\n");
}

// EXPMETHODCALL "ExportIndication" holding params.
inline std::string exportRequest(const std::string &params) {
    return request("<SIMPLEEXPREQ>\n<EXPMETHODCALL NAME=\"ExportIndication\">\n" + params +
                   "</EXPMETHODCALL>\n</SIMPLEEXPREQ>\n");
}

inline std::string iparam(const std::string &name, const std::string &child) {
    return "<IPARAMVALUE NAME=\"" + name + "\">" + child + "</IPARAMVALUE>\n";
}
inline std::string valueParam(const std::string &name, const std::string &text) {
    return iparam(name, "<VALUE>" + text + "</VALUE>");
}
inline std::string classNameParam(const std::string &className) {
    return iparam("ClassName", "<CLASSNAME NAME=\"" + className + "\"/>");
}
// INSTANCENAME of className with the one string key Name = key.
inline std::string instanceName(const std::string &className, const std::string &key) {
    return "<INSTANCENAME CLASSNAME=\"" + className + "\"><KEYBINDING NAME=\"Name\"><KEYVALUE VALUETYPE=\"string\">" +
           key + "</KEYVALUE></KEYBINDING></INSTANCENAME>";
}
// INSTANCE of className with one string property.
inline std::string instanceXml(const std::string &className, const std::string &property, const std::string &text) {
    return "<INSTANCE CLASSNAME=\"" + className + "\"><PROPERTY NAME=\"" + property + "\" TYPE=\"string\"><VALUE>" +
           text + "</VALUE></PROPERTY></INSTANCE>";
}

// The extension header lines and the message head of a response to id, and
// the end of every response.
inline std::string responseHead(const std::string &id = "1001") {
    return "CIMOperation: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n\r\n"
           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"" + id + "\" PROTOCOLVERSION=\"1.0\">\n";
}
inline std::string responseTail() { return "</MESSAGE>\n</CIM>\n"; }

// A whole SIMPLERSP response: element (IMETHODRESPONSE, METHODRESPONSE)
// named name around body.
inline std::string simpleResponse(const std::string &element, const std::string &name, const std::string &body,
                                  const std::string &id = "1001") {
    return responseHead(id) + "<SIMPLERSP>\n<" + element + " NAME=\"" + name + "\">\n" + body + "</" + element +
           ">\n</SIMPLERSP>\n" + responseTail();
}

// The response with every freshly made message id replaced by "ID".
inline std::string withoutFreshId(const std::string &response) {
    return std::regex_replace(response, std::regex("<MESSAGE ID=\"[0-9]+:[0-9:]+\""), "<MESSAGE ID=\"ID\"");
}

}  // namespace testsupport
