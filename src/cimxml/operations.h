// operations.h - one function per CIM operation: read the operation's
// parameters from the decoded request, call the object manager through the
// CIMOM handle and write the complete response into the pool.
#pragma once

#include <cimxml/cimom_handle.h>
#include <utils/pool_string.h>

#include "common_handlers/message_data.h"

// Every operation function takes the response pool, the decoded message
// (lent) and the host's CIMOM handle (lent), and returns 1 when it has gone
// as far as writing the response (the pool then holds the whole response,
// or as much as the encoders could write), 0 when it stopped before, after
// recording the cause as the thread's last error. An object manager failure
// is not a failure of the function: it is answered with an ERROR body.
// A slot the host left NULL is answered as the object manager reporting
// status 7 (not supported); a slot that returns no ReturnCode as status 1.
int CIMOMhdle_createInstance(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_exportIndication(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_enumerateQualifiers(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_enumerateClasses(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_enumerateClassNames(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_deleteQualifier(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_getQualifier(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_setQualifier(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_createClass(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_deleteClass(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_getClass(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_modifyClass(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_getProperty(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_setProperty(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_modifyInstance(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_deleteInstance(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_enumerateInstances(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_enumerateInstanceNames(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_getInstance(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_execQuery(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_invokeMethod(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_associators(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_associatorNames(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_references(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
int CIMOMhdle_referenceNames(PoolString *pool, MessageData *msgData, CIMOMHandle *handle);
