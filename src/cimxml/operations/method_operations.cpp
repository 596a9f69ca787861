// method_operations.cpp - extrinsic method calls (InvokeMethod) and the
// export of indications (ExportIndication).
#include "cimxml_common/error_reporting.h"
#include "cimxml/operation_parameters.h"
#include "cimxml/operations.h"
#include "cimxml/response_writer.h"
#include "cimxml/operations/operation_support.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/response_body.h"

using namespace cimxml_ops;

// Calls the method on the target path with the request's parameters, as they
// are. The METHODRESPONSE carries the return value as RETURNVALUE and what
// the object manager put in the output list as PARAMVALUEs, or the ERROR.
int CIMOMhdle_invokeMethod(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_invokeMethod: failed - Null parameter(s).");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation("CIMOMhdle_invokeMethod - copyObjectPath failed.");
    ListOwner outParameters(newCIMPropertyList());
    if (!outParameters) return fail_operation("CIMOMhdle_invokeMethod - newCIMPropertyList failed.");
    StringOwner methodName(copyCIMString(method_name(msgData)));
    if (!methodName) return fail_missing_parameter("CIMOMhdle_invokeMethod failed - method name is null");

    CIMValue *returned = nullptr;
    StatusOwner status(call_slot(handle->pfn_invokeMethod, path.get(), methodName.get(), method_parameters(msgData),
                                 outParameters.get(), &returned));
    ValueOwner returnValue(returned);
    if (!status) return fail_operation("CIMOMhdle_invokeMethod - failed.");
    static const ResponseTexts texts{.function = "CIMOMhdle_invokeMethod"};
    if (!begin_operation_response(pool, msgData, texts)) return 0;
    int encoded;
    if (status->rc != 0) {
        cimxml_response_facts().status = status->rc;
        encoded = cim_simplersp_toxml(methodName.get(), nullptr, nullptr, nullptr, status.get(), 0, pool);
        reportObjectManagerStatus(status.get());
    } else {
        PropertyOwner property;
        if (returnValue) {
            StringOwner name(newCIMString(L"ReturnValue"));
            if (name)
                property.reset(newProperty(name.get(), nullptr, returnValue.get(),
                                           getCIMValueType(returnValue.get()), nullptr, 0));
            if (property) {
                name.release();
                returnValue.release();
            }
        }
        encoded = cim_simplersp_toxml(methodName.get(), property.get(), outParameters.get(), nullptr, nullptr, 0,
                                      pool);
    }
    return finish_operation_response(pool, texts, encoded);
}

// Accepts the indication NewIndication (put into the target namespace when
// the request named one) and hands it to the host's delivery slot when the
// host has one; a failed delivery becomes the last error. The classic
// profile answers as received either way; strict answers a refused
// delivery with its ERROR, so that the sender delivers it again later.
int CIMOMhdle_exportIndication(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !handle) return fail_operation("CIMOMhdle_exportIndication: failed - Null parameter(s).");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_exportIndication: failed - Null parameter list.");
    InstanceOwner indication(copyCIMInstance(instance_parameter(parameters, L"NewIndication")));
    if (!indication) return fail_missing_parameter("CIMOMhdle_exportIndication failed - NewIndication parameter is null!");
    if (msgData->objectPath)
        setInstanceNameSpace(indication.get(), copyCIMString(msgData->objectPath->nameSpace));

    StatusOwner status;
    if (handle->pfn_deliverIndication) {
        PathOwner path(copyObjectPath(msgData->objectPath));
        status.reset(slot_status(handle->pfn_deliverIndication(path.get(), indication.get())));
        if (status && status->rc != 0) reportObjectManagerStatus(status.get());
    }
    const ReturnCode *refusal = strict_profile() && status && status->rc != 0 ? status.get() : nullptr;

    static const ResponseTexts texts{.function = "CIMOMhdle_exportIndication", .exportResponse = true};
    if (!begin_operation_response(pool, msgData, texts)) return 0;
    int encoded = cim_simpleexprsp_toxml(method_name(msgData), nullptr, nullptr, refusal, nullptr, pool);
    return finish_operation_response(pool, texts, encoded);
}
