// error_reporting.h - the three ways the module records a failure as the
// thread's last error.
#pragma once

#include <cimobj/cimobj.h>

// A failed ReturnCode becomes the thread's last error and is logged
// (logReturnCode). NULL does nothing. The caller keeps and frees rc.
void reportReturnCode(const ReturnCode *rc);

// A non-zero status the object manager answered with becomes the thread's
// last error and is logged at objectManagerStatusLevel(). NULL does nothing.
// The caller keeps and frees rc.
void reportObjectManagerStatus(const ReturnCode *rc);
// The level such a status is logged at: 0 (a failure) in the classic
// profile; info in the strict one, where "not found" is an answer to the
// client, not a fault of the server.
int objectManagerStatusLevel();

// Records status (1 when it is not one of 1..17) with text (NULL:
// " Requested operation failed.") as the last error, and logs text at level.
void reportOperationFailure(int level, const char *text, int status);

// Records a decoding error: status 1 with text as description. The texts
// "CIMXML decoding error in %s at line %d." and "Memory allocation failed in
// %s at line %d." are formatted with file and line; every other text stands
// as it is; NULL gives "CIMXML operation failed.". Logged with logReturnCode.
void reportDecodingError(const char *text, const char *file, int line);

#define CIMXML_DECODING_ERROR_TEXT "CIMXML decoding error in %s at line %d."
#define CIMXML_ALLOCATION_ERROR_TEXT "Memory allocation failed in %s at line %d."

// Reports the general decoding error, or a handler's own text, at this place.
#define REPORT_DECODING_ERROR() reportDecodingError(CIMXML_DECODING_ERROR_TEXT, __FILE_NAME__, __LINE__)
#define REPORT_ALLOCATION_ERROR() reportDecodingError(CIMXML_ALLOCATION_ERROR_TEXT, __FILE_NAME__, __LINE__)
#define REPORT_DECODING_TEXT(text) reportDecodingError((text), __FILE_NAME__, __LINE__)
