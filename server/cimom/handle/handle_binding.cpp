// handle_binding.cpp - the handle's table filled with the object manager's slots.
#include "cimom/handle.h"
#include "handle/association_slots.h"
#include "handle/instance_slots.h"
#include "handle/pull_slots.h"
#include "handle/query_slots.h"
#include "handle/schema_slots.h"

namespace cimom {

void fillCimomHandle(CIMOMHandle &handle) {
    handle.pfn_enumerateClassNames = slots::enumerateClassNames;
    handle.pfn_enumerateClasses = slots::enumerateClasses;
    handle.pfn_deleteQualifier = slots::deleteQualifier;
    handle.pfn_getQualifier = slots::getQualifier;
    handle.pfn_setQualifier = slots::setQualifier;
    handle.pfn_enumerateQualifiers = slots::enumerateQualifiers;
    handle.pfn_createClass = slots::createClass;
    handle.pfn_deleteClass = slots::deleteClass;
    handle.pfn_getClass = slots::getClass;
    handle.pfn_modifyClass = slots::modifyClass;
    handle.pfn_getProperty = slots::getProperty;
    handle.pfn_setProperty = slots::setProperty;
    handle.pfn_setInstance = slots::setInstance;
    handle.pfn_createInstance = slots::createInstance;
    handle.pfn_deleteInstance = slots::deleteInstance;
    handle.pfn_enumerateInstances = slots::enumerateInstances;
    handle.pfn_enumerateInstanceNames = slots::enumerateInstanceNames;
    handle.pfn_getInstance = slots::getInstance;
    handle.pfn_execQuery = slots::execQuery;
    handle.pfn_invokeMethod = slots::invokeMethod;
    handle.pfn_associators = slots::associators;
    handle.pfn_associatorNames = slots::associatorNames;
    handle.pfn_references = slots::references;
    handle.pfn_referenceNames = slots::referenceNames;
    handle.pfn_deliverIndication = slots::deliverIndication;
}

void fillHostExtensions(CIMXMLHostExtensions &extensions) {
    extensions.size = sizeof extensions;
    extensions.enumerateInstancesInBatches = slots::enumerateInstancesInBatches;
    extensions.enumerateInstanceNamesInBatches = slots::enumerateInstanceNamesInBatches;
    extensions.openEnumeration = slots::openEnumeration;
    extensions.pullEnumeration = slots::pullEnumeration;
    extensions.closeEnumeration = slots::closeEnumeration;
    extensions.enumerationCount = slots::enumerationCount;
    extensions.associatorsInBatches = slots::associatorsInBatches;
    extensions.associatorNamesInBatches = slots::associatorNamesInBatches;
    extensions.referencesInBatches = slots::referencesInBatches;
    extensions.referenceNamesInBatches = slots::referenceNamesInBatches;
    extensions.execQueryInBatches = slots::execQueryInBatches;
}

}  // namespace cimom
