-- get_instance.lua - wrk posts one GetInstance by key per request, keep-alive:
--   wrk -t2 -c16 -d10s -s bench/wrk/get_instance.lua http://127.0.0.1:5988/cimom
-- (from the repository's top folder). The body is bench/wrk/get_instance.xml,
-- a GetInstance of Bench_Item.Name="item-1" (bench/frontend_figures.sh
-- loads that class). CIMXML_AUTH="Basic ..." adds an Authorization field.
-- wrk counts any answer but 2xx as "Non-2xx or 3xx responses".
wrk.method = "POST"
wrk.headers["Content-Type"] = "application/xml; charset=\"utf-8\""
wrk.headers["CIMProtocolVersion"] = "1.0"
wrk.headers["CIMOperation"] = "MethodCall"
wrk.headers["CIMMethod"] = "GetInstance"
wrk.headers["CIMObject"] = "root%2Fcimv2"
local auth = os.getenv("CIMXML_AUTH")
if auth then wrk.headers["Authorization"] = auth end
local file = assert(io.open(os.getenv("CIMXML_BODY") or "bench/wrk/get_instance.xml", "rb"))
wrk.body = file:read("*a")
file:close()
