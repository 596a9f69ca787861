// The same requests through the handler in the classic and the strict
// profile: each whole response (and the object manager's calls) is the
// classic one with exactly the listed changes in strict, so nothing else
// differs. Fresh message ids are compared as "ID".
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "support/cim_fixtures.h"
#include "support/log_capture.h"
#include "support/profiles.h"
#include "support/request_mix.h"

namespace {

using namespace testsupport;
using requestmix::respond;

const std::string ns = "root/cimv2";
const std::string deleteFooCall = "pfn_deleteClass(path=root/cimv2:CIM_Foo)\n";

std::string ok(const std::string &name, const std::string &id = "1001") {
    return simpleResponse("IMETHODRESPONSE", name, "<IRETURNVALUE>\n</IRETURNVALUE>\n", id);
}
std::string error(const std::string &name, const std::string &error, const std::string &id = "1001") {
    return simpleResponse("IMETHODRESPONSE", name, error + "\n", id);
}
ProfileChanges operator+(ProfileChanges a, const ProfileChanges &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Difference {
    const char *name;
    std::string request;
    std::string classic;   // the response, then the object manager's calls
    ProfileChanges strict;  // what the strict profile changes in them
    std::function<void(CimomDouble &)> setup = nullptr;
    std::string before = "";  // sent first on the same thread
    const char *logged = "";  // logged at level 0 in classic, at info level in strict
};

const std::string payroll = "class CIM_Payroll of tenant A not found";
const std::string keylessError =
    "<ERROR CODE=\"1\" DESCRIPTION=\"CIMOMhdle_associatorNames failed - Could not get ObjectName parameter.\"/>";

CIMClass *association() {
    using namespace fixtures;
    CIMClass *cls = newCIMClass(str(L"CIM_Link"), nullptr);
    CIMValue *reference = newCIMValueNULL(CIM_REFERENCE);
    setCIMValueReferenceType(reference, str(L"CIM_Foo"));
    setClassProperties(cls, property_list({typed_property(L"Left", CIM_REFERENCE, reference)}));
    return cls;
}

const Difference differences[] = {
    {"ReferencePropertyWithoutTypeAttribute", intrinsic("GetClass", ns, classNameParam("CIM_Link")),
     simpleResponse("IMETHODRESPONSE", "GetClass",
                    "<IRETURNVALUE>\n<CLASS NAME=\"CIM_Link\">\n<PROPERTY.REFERENCE NAME=\"Left\" TYPE=\"reference\" "
                    "REFERENCECLASS=\"CIM_Foo\" PROPAGATED=\"false\">\n</PROPERTY.REFERENCE>\n</CLASS>\n"
                    "</IRETURNVALUE>\n") +
         "pfn_getClass(path=root/cimv2:CIM_Link, localOnly=1, includeQualifiers=1, includeClassOrigin=0, "
         "propertyList=(null))\n",
     {{" TYPE=\"reference\"", ""}},
     [](CimomDouble &cimom) { cimom.setResult("pfn_getClass", []() -> void * { return association(); }); }},
    // Another request's error, left on the thread, answers a malformed one in
    // classic; strict answers with the parser's reason. The object manager's
    // "not found" is logged as information in strict.
    {"LastErrorOfAnEarlierRequest", request("<SIMPLEREQ><IMETHODCALL NAME=\"GetClass\"><LOCALNAMESPACEPATH>"
                                            "</IMETHODCALL>"),
     error("Unknown", "<ERROR CODE=\"6\" DESCRIPTION=\"" + payroll + "\"/>", "ID"),
     cimErrorLine("request-not-well-formed") +
         ProfileChanges{{"CODE=\"6\" DESCRIPTION=\"" + payroll,
                         "CODE=\"1\" DESCRIPTION=\"Parse error at line 4: mismatched tag"}},
     [](CimomDouble &cimom) { cimom.setStatus("pfn_getClass", 6, payroll); },
     intrinsic("GetClass", ns, classNameParam("CIM_Payroll")), "status 6: class CIM_Payroll of tenant A not found"},
    {"NoCallElement", request("<SIMPLEREQ><!-- METHODCALL --></SIMPLEREQ>"),
     error("Unknown", "<ERROR CODE=\"2\" DESCRIPTION=\"baseline\"/>"),
     cimErrorLine("request-not-valid") +
         ProfileChanges{{"CODE=\"2\" DESCRIPTION=\"baseline",
                         "CODE=\"1\" DESCRIPTION=\"The request holds no IMETHODCALL, METHODCALL or EXPMETHODCALL "
                         "element."}},
     [](CimomDouble &) { setLastError(2, "baseline"); }},
    // Declared otherwise, the bytes are not UTF-8.
    {"NotUtf8", std::regex_replace(intrinsic("DeleteClass", ns, classNameParam("CIM_Caf\xe9")), std::regex("UTF-8"),
                                   "ISO-8859-1"),
     ok("DeleteClass") + "pfn_deleteClass(path=root/cimv2:CIM_Caf\xc3\xa9)\n",
     cimErrorLine("request-not-well-formed") +
         ProfileChanges{{"DeleteClass\">\n<IRETURNVALUE>\n</IRETURNVALUE>",
                         "Unknown\">\n<ERROR CODE=\"1\" DESCRIPTION=\"Parse error at line 7: not well-formed "
                         "(invalid token)\"/>"},
                        {"ID=\"1001\"", "ID=\"ID\""},
                        {"pfn_deleteClass(path=root/cimv2:CIM_Caf\xc3\xa9)\n", ""}}},
    {"MultipleRequestsAsText",
     intrinsic("ExecQuery", ns, valueParam("QueryLanguage", "WQL") + valueParam("Query", "SELECT MULTIREQ FROM A")),
     error("Unknown", "<ERROR CODE=\"7\" DESCRIPTION=\"Multiple requests are not supported!!\"/>", "ID"),
     {{"Unknown\">\n<ERROR CODE=\"7\" DESCRIPTION=\"Multiple requests are not supported!!\"/>",
       "ExecQuery\">\n<IRETURNVALUE>\n</IRETURNVALUE>"},
      {"ID=\"ID\"", "ID=\"1001\""},
      {"</CIM>\n",
       "</CIM>\npfn_execQuery(path=root/cimv2:Container, query=SELECT MULTIREQ FROM A, queryLanguage=WQL)\n"}},
     [](CimomDouble &cimom) { cimom.setResult("pfn_execQuery", []() -> void * { return newCIMInstanceList(); }); }},
    // A host that authorises on the method and object the call names is not
    // bypassed in strict.
    {"MethodNamedLikeAnOperation",
     extrinsic("DeleteClass", ns, "Vendor_Service",
               "<PARAMVALUE NAME=\"ClassName\"><VALUE>CIM_ComputerSystem</VALUE></PARAMVALUE>\n"),
     ok("DeleteClass") + "pfn_deleteClass(path=root/cimv2:CIM_ComputerSystem)\n",
     {{"<IMETHODRESPONSE NAME=\"DeleteClass\">\n<IRETURNVALUE>\n</IRETURNVALUE>\n</IMETHODRESPONSE>",
       "<METHODRESPONSE NAME=\"DeleteClass\">\n</METHODRESPONSE>"},
      {"pfn_deleteClass(path=root/cimv2:CIM_ComputerSystem)",
       "pfn_invokeMethod(path=root/cimv2:Vendor_Service, methodName=DeleteClass, "
       "inParameters={ClassName:string=\"CIM_ComputerSystem\"}, outParameters={})"}},
     [](CimomDouble &cimom) {
         cimom.setResult("pfn_invokeMethod", nullptr);
         cimom.setInvokeOutput([](CIMPropertyList *) {});
     }},
    {"NullReturnValueAndOutputParameter", extrinsic("Check", ns, "CIM_Foo"),
     simpleResponse("METHODRESPONSE", "Check",
                    "<RETURNVALUE PARAMTYPE=\"uint32\">\n</RETURNVALUE>\n"
                    "<PARAMVALUE NAME=\"Message\" PARAMTYPE=\"string\">\n</PARAMVALUE>\n"
                    "<PARAMVALUE NAME=\"Count\" PARAMTYPE=\"uint32\">\n<VALUE>2</VALUE>\n</PARAMVALUE>\n") +
         "pfn_invokeMethod(path=root/cimv2:CIM_Foo, methodName=Check, inParameters=(null), outParameters={})\n",
     {{"<RETURNVALUE PARAMTYPE=\"uint32\">\n</RETURNVALUE>\n"
       "<PARAMVALUE NAME=\"Message\" PARAMTYPE=\"string\">\n</PARAMVALUE>\n",
       ""}},
     [](CimomDouble &cimom) {
         cimom.setResult("pfn_invokeMethod", [] { return static_cast<void *>(newCIMValueNULL(CIM_UINT32)); });
         cimom.setInvokeOutput([](CIMPropertyList *out) {
             using namespace fixtures;
             freeReturnCode(appendToCIMPropertyList(out, typed_property(L"Message", CIM_STRING,
                                                                        newCIMValueNULL(CIM_STRING))));
             freeReturnCode(appendToCIMPropertyList(out, property(L"Count", uint32_value(2))));
         });
     }},
    {"InstanceNameWithoutKeys",
     intrinsic("AssociatorNames", ns, iparam("ObjectName", "<INSTANCENAME CLASSNAME=\"CIM_Foo\"/>")),
     error("AssociatorNames", keylessError),
     {{keylessError, "<IRETURNVALUE>\n</IRETURNVALUE>"},
      {"</CIM>\n", "</CIM>\npfn_associatorNames(path=root/cimv2:CIM_Foo, assocClass=(null), resultClass=(null), "
                   "role=(null), resultRole=(null))\n"}},
     [](CimomDouble &cimom) {
         cimom.setResult("pfn_associatorNames", []() -> void * { return newCIMObjectPathList(); });
     }},
    {"FailedExport", exportRequest(""),
     simpleResponse("METHODRESPONSE", "ExportIndication",
                    "<ERROR CODE=\"1\" DESCRIPTION=\"CIMOMhdle_exportIndication: failed - Null parameter list.\"/>\n"),
     {{"CIMOperation:", "CIMExport:"},
      {"<SIMPLERSP>\n<METHODRESPONSE", "<SIMPLEEXPRSP>\n<EXPMETHODRESPONSE"},
      {"</METHODRESPONSE>\n</SIMPLERSP>", "</EXPMETHODRESPONSE>\n</SIMPLEEXPRSP>"},
      {"CODE=\"1\"", "CODE=\"4\""}}},
    // In both profiles the id is written back escaped; strict writes no
    // IRETURNVALUE for an operation that returns nothing.
    {"MessageIdWithSpecialCharacters", request("<SIMPLEREQ><IMETHODCALL NAME=\"DeleteClass\">" + namespacePath(ns) +
                                                    classNameParam("CIM_Foo") + "</IMETHODCALL></SIMPLEREQ>",
                                                "R&amp;D&lt;1&quot;"),
     ok("DeleteClass", "R&amp;D&lt;1&quot;") + deleteFooCall, {{"<IRETURNVALUE>\n</IRETURNVALUE>\n", ""}}},
    // An operation the module does not serve is refused under its own name.
    {"UnservedOperationNamedAfterItself", intrinsic("OpenEnumerateInstances", ns, classNameParam("CIM_Foo")),
     error("MethodResponse", "<ERROR CODE=\"7\" />"),
     {{"NAME=\"MethodResponse\"", "NAME=\"OpenEnumerateInstances\""},
      {"<ERROR CODE=\"7\" />", "<ERROR CODE=\"7\" DESCRIPTION=\"The server does not serve this operation.\"/>"}}},
};

TEST(ProfileDifferences, ResponsesDifferOnlyWhereListed) {
    for (const Difference &d : differences) {
        for (bool strict : {false, true}) {
            ProfileScope profile(strict);
            CimomDouble cimom;
            cimom.answerEverySlot();
            if (d.setup) d.setup(cimom);
            LogCapture log(CIM_LOG_INFO);
            if (!d.before.empty()) respond(d.before, cimom.handle());
            cimom.clearCalls();
            std::string got = withoutFreshId(respond(d.request, cimom.handle()));
            got += cimom.callsText();
            EXPECT_EQ(got, strict ? strictForm(d.classic, d.strict) : d.classic) << d.name << ", strict " << strict;
            if (*d.logged) {
                EXPECT_TRUE(log.contains(d.logged, strict ? CIM_LOG_INFO : CIM_LOG_ERROR)) << d.name;
            }
        }
    }
}

}  // namespace
