// xml_escaping.h - the character data text of values, escaped.
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_common/xml_sink.h"

// The character data text of a value, by its type: "true"/"false" for
// boolean (true only when the stored int is 1), the datetime and string
// texts, the object library's text of the numeric types. NULL for a NULL
// value, a null value, an empty string record without text, and the empty
// type; any other type (reference, object, class, arrays, cimnull) also
// gives NULL and logs "pcdata_encodeformat: unknown type!" at level 0.
// The text is escaped as the sink escapes it (xml_sink::put_escaped). The
// receiver owns the fragment.
char *pcdata_encodeformat(const CIMValue *value);
// The same text written into a sink; false (nothing written) where
// pcdata_encodeformat gives NULL.
bool write_pcdata(xml_sink &out, const CIMValue *value);
