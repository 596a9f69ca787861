// message_data.cpp - creation, release and classification of decoded messages.
#include "common_handlers/message_data.h"

#include <cstring>

#include "cimxml_common/memory.h"
#include "cimxml_common/text_utils.h"

MessageData *newMessageData() {
    auto *msgData = static_cast<MessageData *>(CIMXML_MALLOC(1, sizeof(MessageData), CIMXML_SCANNED));
    if (!msgData) {
        cimPrintMessage(CIM_LOG_ERROR, L"Insf. Memory, file: %s, Line: %d", __FILE_NAME__, __LINE__);
        return nullptr;
    }
    std::memset(msgData, 0, sizeof(MessageData));
    return msgData;
}

void freeMessageData(MessageData *msgData) {
    if (!msgData) return;
    if (msgData->messageId) {
        cimxml_free(msgData->messageId, CIMXML_ATOMIC);
        msgData->messageId = nullptr;
    }
    if (msgData->extraStrings) {
        freeStringArray(msgData->extraStrings);
        msgData->extraStrings = nullptr;
    }
    if (msgData->method) {
        freeMethod(msgData->method);
        msgData->method = nullptr;
    }
    if (msgData->objectPath) {
        freeCIMObjectPath(msgData->objectPath);
        msgData->objectPath = nullptr;
    }
    if (msgData->instancePaths) {
        freeCIMObjectPathList(msgData->instancePaths);
        msgData->instancePaths = nullptr;
    }
    if (msgData->qualifierType) {
        freeQualifierType(msgData->qualifierType);
        msgData->qualifierType = nullptr;
    }
    if (msgData->responseMethodName) {
        freeCIMString(msgData->responseMethodName);
        msgData->responseMethodName = nullptr;
    }
    if (msgData->error) {
        freeReturnCode(msgData->error);
        msgData->error = nullptr;
    }
    if (msgData->returnValues) {
        freeCIMValueList(msgData->returnValues);
        msgData->returnValues = nullptr;
    }
    if (msgData->qualifierTypes) {
        freeCIMQualifierTypeList(msgData->qualifierTypes);
        msgData->qualifierTypes = nullptr;
    }
    if (msgData->outParameters) {
        freeCIMPropertyList(msgData->outParameters);
        msgData->outParameters = nullptr;
    }
    if (msgData->refusal) {
        freeReturnCode(msgData->refusal);
        msgData->refusal = nullptr;
    }
    freeStack(&msgData->objectStack);
    element_stack_free(&msgData->elementStack);
    cimxml_free(msgData, CIMXML_SCANNED);
}

int classifyMessageKind(const char *document) {
    if (!document) return CIMXML_KIND_NONE;
    if (std::strstr(document, "METHODCALL")) return CIMXML_KIND_OPERATION_REQUEST;
    if (std::strstr(document, "METHODRESPONSE"))
        return std::strstr(document, "CIMEXPORT:") ? CIMXML_KIND_EXPORT_RESPONSE : CIMXML_KIND_OPERATION_RESPONSE;
    if (std::strstr(document, "MethodRequest")) return CIMXML_KIND_EXPORT_REQUEST;
    return CIMXML_KIND_NONE;
}
