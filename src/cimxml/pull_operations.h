// pull_operations.h - the operation functions of the pulled enumerations,
// answered in the strict profile only, through the host's extension slots
// (a host without them gets CIM_ERR_NOT_SUPPORTED). They return what the
// other operation functions return (see operations.h).
#pragma once

#include <cimxml/cimom_handle.h>
#include <utils/pool_string.h>

#include "common_handlers/message_data.h"

int pull_openEnumerateInstances(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int pull_openEnumerateInstancePaths(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int pull_openReferenceInstances(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int pull_openReferenceInstancePaths(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int pull_openAssociatorInstances(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int pull_openAssociatorInstancePaths(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int pull_openQueryInstances(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int pull_pullInstancesWithPath(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int pull_pullInstancePaths(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int pull_pullInstances(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int pull_closeEnumeration(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int pull_enumerationCount(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
