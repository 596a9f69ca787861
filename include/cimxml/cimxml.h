/* cimxml.h - the CIM-XML protocol module (libcimxml.so), as a host sees it.
 *
 * The host (a WBEM server's HTTP front end) loads the module and calls
 * CIMXML_RequestMessage_Handler once for every CIM-XML request it receives,
 * from any number of threads at once. The module decodes the document,
 * forwards its one operation to the object manager through the CIMOM handle
 * and returns the complete response text: the CIM extension header lines
 * ("CIMOperation: MethodResponse", "CIMProtocolVersion: 1.2", see Profile
 * below for the other lines strict may write), an empty line
 * and the CIM-XML message. The host adds the HTTP status line and transport
 * header fields. Failures are answered with CIM-XML error responses; the
 * handler returns NULL only when it cannot allocate the response record.
 * The module also builds indication export requests for the host.
 *
 * Threads that call into the module are registered with the module's garbage
 * collector on first use. A host must keep the MessageHandler pointer in a
 * variable of its own (on its stack) until it releases it.
 *
 * Profile. The module reads the environment variable CIMXML_PROFILE once,
 * when it is loaded: "classic" (the default; also when unset or empty; any
 * other text is logged and means classic) or "strict". Strict differs from
 * classic in exactly these points:
 *  1. PROPERTY.REFERENCE has no TYPE attribute: every message validates
 *     against the unmodified DMTF DTD 2.4.0.
 *  2. The calling thread's last error is cleared when a request begins.
 *  3. A request that is not well-formed XML (read as UTF-8 whatever it
 *     declares) is answered with Expat's line and reason and the header line
 *     "CIMError: request-not-well-formed"; one without a call element (or
 *     any call name) with "CIMError: request-not-valid". Such a response
 *     should be sent as 400 Bad Request.
 *  4. A METHODCALL always goes to the InvokeMethod slot, whatever its name.
 *  5. char16 values decode as their one character.
 *  6. Attribute values are not entity-decoded a second time; trailing line
 *     breaks are trimmed only as CR LF pairs; VALUE and KEYVALUE text is
 *     kept whole.
 *  7. NULL output parameters and a NULL return value are left out of a
 *     METHODRESPONSE.
 *  8. An INSTANCENAME without key bindings is a path with no keys.
 *  9. EmbeddedObject="object" holding an INSTANCE decodes as an instance;
 *     embedded objects nested deeper than one level take the request's
 *     namespace.
 * 10. An export response begins with "CIMExport: MethodResponse"; a failed
 *     export is answered inside SIMPLEEXPRSP/EXPMETHODRESPONSE.
 * 11. MULTIREQ and MULTIEXPREQ are recognised as elements, not as text; a
 *     body may begin with a UTF-8 byte-order mark or white space; a second
 *     call element or target LOCALNAMESPACEPATH is refused with status 4.
 * 12. Freshly made message ids never repeat within the process.
 * 13. A non-zero status of the object manager is logged at info level (2).
 * 14. The client encoders write ClassName, AssocClass and ResultClass as
 *     CLASSNAME elements.
 * 15. The client encoders' CIMMethod line is the call element's name (for an
 *     extrinsic call the method's own), and an extrinsic call's CIMObject
 *     line is its target object, escaped.
 * 16. An empty array is written as an empty VALUE.ARRAY (VALUE.REFARRAY), a
 *     NULL element as VALUE.NULL; both decode so.
 * 17. A CR in text is written as "&#13;"; characters no XML document may
 *     hold are written as U+FFFD.
 * 18. EmbeddedObject is "instance" for an EmbeddedInstance property (type
 *     15) and "object" for an EmbeddedObject one (type 16), NULL values
 *     included; no EmbeddedObject qualifier is added; a PROPERTY.ARRAY with
 *     EmbeddedObject decodes as an array; GetProperty and SetProperty carry
 *     embedded objects (SetProperty's NewValue is typed by the class, which
 *     the module asks the object manager for).
 * 19. Operations that return nothing answer without IRETURNVALUE; an
 *     operation the module does not serve is refused (7) under its own name.
 * 20. Client decoders refuse an IRETURNVALUE to an operation that returns
 *     nothing and an ERROR without CODE, and read EMBEDDEDOBJECT as well.
 * In both profiles the request's message id is written back escaped, and an
 * empty VALUE element is the empty string. */
#ifndef CIMXML_CIMXML_H
#define CIMXML_CIMXML_H

#include "cimxml_export.h"

#include "cimom_handle.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The CIM-XML protocol version the module speaks: what its
 * CIMProtocolVersion header lines say (a host describing itself tells it). */
#define CIMXML_PROTOCOL_VERSION "1.2"

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

/* The parts of an answer as the module made them, so that a host need not
 * split the text or read the document again: status is the CIM status the
 * answer carries (0 for a successful answer, the ERROR's CODE otherwise);
 * header and headerLength the HTTP header lines ("Name: value" and CRLF
 * each, without the empty line that ends them); body and bodyLength the
 * CIM-XML document. The texts are lent, valid until the record is released.
 * Offered by the strict profile beside the three functions above: returns
 * 1 with parts filled, 0 (parts untouched) for NULL arguments or when the
 * module runs the classic profile. */
typedef struct CIMXMLAnswerParts {
    int status;
    const char *header;
    size_t headerLength;
    const char *body;
    size_t bodyLength;
} CIMXMLAnswerParts;
CIMXML_EXPORT int CIMXML_getAnswerParts(MessageHandler *handler, CIMXMLAnswerParts *parts);

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

/* How the listener answered such a request (the whole HTTP answer, or its
 * message alone): a new ReturnCode the caller frees with freeReturnCode,
 * never NULL. Status 0 for an EXPMETHODRESPONSE without ERROR; the ERROR's
 * CODE and DESCRIPTION when it holds one; status 1, saying what was wrong,
 * for an HTTP status other than 200 or a text that is no export response. */
CIMXML_EXPORT ReturnCode *CIMXMLdecode_exportIndication(const char *response);

#ifdef __cplusplus
}
#endif

#endif
