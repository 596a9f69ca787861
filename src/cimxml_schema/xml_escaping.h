// xml_escaping.h - the five XML special characters, escaping through a pool,
// and the character data text of values and names.
#pragma once

#include <cstddef>

#include <cimobj/cimobj.h>
#include <utils/pool_string.h>

#include "cimxml_schema/xml_sink.h"

// The five entities, in the order "&quot;", "&amp;", "&lt;", "&gt;",
// "&apos;", next to the characters they stand for in the same order. The
// readers use the table to turn entities back into characters.
constexpr int xml_entity_count = 5;
extern const char *const xml_entity_strings[xml_entity_count];
extern const char xml_entity_chars[xml_entity_count + 1];

// 1 when text holds a double quote, ampersand, apostrophe, less-than or
// greater-than sign; 0 otherwise and for NULL.
int needs_xml_escape(const char *text);

// Appends text to the pool (append flag 0) with each special character
// replaced by its entity and every other byte, 128 and above included,
// written as it is. One pass over the text. Returns 1, or 0 when an append
// fails or an argument is NULL.
int xml_escape_to_pool(PoolString *pool, const char *text);

// New fragment holding text escaped: a scratch pool of initialCapacity bytes
// labelled label is filled by xml_escape_to_pool, copied out with
// real_dupChar and released. NULL for a NULL text or when memory is
// exhausted.
char *escape_through_pool(const char *text, std::size_t initialCapacity, const char *label);

// The character data text of a value, by its type: "true"/"false" for
// boolean (true only when the stored int is 1), the datetime and string
// texts, the object library's text of the numeric types. NULL for a NULL
// value, a null value, an empty string record without text, and the empty
// type; any other type (reference, object, class, arrays, cimnull) also
// gives NULL and logs "pcdata_encodeformat: unknown type!" at level 0.
// A text holding special characters is returned escaped (pool of 1.5 times
// its length), any other text unchanged. The receiver owns the fragment.
char *pcdata_encodeformat(const CIMValue *value);
// The same text written into a sink; false (nothing written) where
// pcdata_encodeformat gives NULL.
bool write_pcdata(xml_sink &out, const CIMValue *value);

// The narrow text of a string, escaped as pcdata_encodeformat escapes a
// string value. NULL when the string or its text is absent, or memory is
// exhausted. The receiver owns the fragment.
char *escaped_cimstring_text(const CIMString *text);
