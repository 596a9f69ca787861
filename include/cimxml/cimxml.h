/* cimxml.h - the CIM-XML protocol module (libcimxml.so), as a host sees it.
 *
 * The host (a WBEM server's HTTP front end) loads the module and calls
 * CIMXML_RequestMessage_Handler once for every CIM-XML request it receives,
 * from any number of threads at once. The module decodes the document,
 * forwards its one operation to the object manager through the CIMOM handle
 * and returns the complete response text: the CIM extension header lines
 * ("CIMOperation: MethodResponse", "CIMProtocolVersion: 1.2"), an empty line
 * and the CIM-XML message. The host adds the HTTP status line and transport
 * header fields. Failures are answered with CIM-XML error responses; the
 * handler returns NULL only when it cannot allocate the response record.
 * The module also builds indication export requests for the host.
 *
 * Threads that call into the module are registered with the module's garbage
 * collector on first use. A host must keep the MessageHandler pointer in a
 * variable of its own (on its stack) until it releases it. */
#ifndef CIMXML_CIMXML_H
#define CIMXML_CIMXML_H

#include "cimom_handle.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define CIMXML_EXPORT __attribute__((visibility("default")))
#else
#define CIMXML_EXPORT
#endif

/* The response record. Opaque to the host: read its text with
 * CIMXML_getResponseFromMessageHandler, give it back with
 * CIMXML_releaseMessageHandler. */
typedef struct PoolString MessageHandler;

/* Handles one request. request: the NUL-terminated body of the HTTP request
 * (the whole CIM-XML document; NULL is answered with an error response).
 * reserved: not read. handle: the host's object manager. Returns the
 * response record, which the host owns until it releases it; NULL only when
 * the record itself cannot be allocated. */
CIMXML_EXPORT MessageHandler *CIMXML_RequestMessage_Handler(const char *request, void *reserved,
                                                            CIMOMHandle *handle);

/* The response text held by the record (lent: valid until the record is
 * released; asking twice gives the same text). NULL for NULL. */
CIMXML_EXPORT char *CIMXML_getResponseFromMessageHandler(MessageHandler *handler);

/* Releases the record and its text. NULL is ignored. */
CIMXML_EXPORT void CIMXML_releaseMessageHandler(MessageHandler *handler);

/* The complete export request that delivers indication to an indication
 * listener: with withoutHeader 0 the HTTP request (request line, the CIM
 * export header lines with a Content-Length that counts every byte after
 * the empty line, the empty line) followed by the CIM-XML message, which
 * calls "ExportIndication" with the parameter "NewIndication"; with any
 * other withoutHeader the message alone. A new text from the collected heap
 * (free it with GC_free or leave it to the collector); the indication stays
 * the caller's and is not changed. NULL for a NULL indication or when the
 * text cannot be made, after a log line. The module only builds the text:
 * sending it is the host's business. */
CIMXML_EXPORT char *CIMXMLencode_exportIndication(const CIMInstance *indication, int withoutHeader);

#ifdef __cplusplus
}
#endif

#endif
