-- get_instance.lua - wrk posts one GetInstance by key per request, keep-alive:
--   wrk -t2 -c16 -d10s -s bench/wrk/get_instance.lua http://127.0.0.1:5988/cimom
-- The instance is Bench_Item.Name="item-1" (bench/frontend_figures.sh loads
-- it). CIMXML_AUTH="Basic ..." adds an Authorization field.
wrk.method = "POST"
wrk.headers["Content-Type"] = "application/xml; charset=\"utf-8\""
wrk.headers["CIMProtocolVersion"] = "1.0"
wrk.headers["CIMOperation"] = "MethodCall"
wrk.headers["CIMMethod"] = "GetInstance"
wrk.headers["CIMObject"] = "root%2Fcimv2"
local auth = os.getenv("CIMXML_AUTH")
if auth then wrk.headers["Authorization"] = auth end
wrk.body = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n" ..
  "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ>" ..
  "<IMETHODCALL NAME=\"GetInstance\"><LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/>" ..
  "</LOCALNAMESPACEPATH><IPARAMVALUE NAME=\"InstanceName\"><INSTANCENAME CLASSNAME=\"Bench_Item\">" ..
  "<KEYBINDING NAME=\"Name\"><KEYVALUE VALUETYPE=\"string\">item-1</KEYVALUE></KEYBINDING></INSTANCENAME>" ..
  "</IPARAMVALUE></IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>"

-- Any answer but 200 is counted by wrk as an error ("Non-2xx").
