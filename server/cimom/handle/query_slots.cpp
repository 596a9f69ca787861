// query_slots.cpp - the handle's query, method and indication slots.
#include "handle/query_slots.h"

#include "handle/slot_support.h"

namespace cimom::slots {

ReturnCode *execQuery(CIMObjectPath *path, CIMString *query, CIMString *queryLanguage, CIMList **objects) {
    return serve("ExecQuery", [&](ObjectManager &om) {
        ClassesOrInstances found;
        Status status = om.execQuery(nameSpaceOf(path), text(query), text(queryLanguage), found);
        if (status.ok()) *objects = toList(found);
        return status;
    });
}

ReturnCode *execQueryInBatches(CIMObjectPath *path, CIMString *query, CIMString *queryLanguage, size_t batchSize,
                               CIMXMLInstanceBatch deliver, void *context) {
    return serveInBatches("ExecQuery", [&](ObjectManager &om) {
        return om.execQuery(nameSpaceOf(path), text(query), text(queryLanguage), batchSize,
                            instancesTo(deliver, context));
    });
}

ReturnCode *invokeMethod(CIMObjectPath *path, CIMString *methodName, CIMPropertyList *inParameters,
                         CIMPropertyList *outParameters, CIMValue **returnValue) {
    return serve("InvokeMethod", [&](ObjectManager &om) {
        if (!path) return Status::error(4, "no target given");
        std::vector<cimobj::PropertyPtr> out;
        cimobj::ValuePtr value;
        Status status = om.invokeMethod(nameSpaceOf(path), *path, text(methodName), inParameters, out, value);
        if (!status.ok()) return status;
        for (cimobj::PropertyPtr &parameter : out)
            if (parameter) appendOwned(&outParameters, CIMLIST_PROPERTY, std::move(parameter));
        *returnValue = value.release();
        return status;
    });
}

ReturnCode *deliverIndication(CIMObjectPath *path, CIMInstance *indication) {
    return serve("ExportIndication", [&](ObjectManager &om) {
        if (!indication) return Status::error(4, "no indication given");
        return om.deliverIndication(nameSpaceOf(path), *indication);
    });
}

}  // namespace cimom::slots
