// attributes.h - attribute lookup and the two text clean-ups applied to
// attribute values.
#pragma once

#include <cstddef>

#include <cimobj/cimobj.h>

#include "common_handlers/element_stack.h"

// Value of the first attribute named exactly name, as the element's record
// holds it: read once when the record was made (entity-decoded in the classic
// profile, line breaks trimmed, see the parse driver). Lent until the element
// closes; NULL for a NULL record or when no attribute matches.
const char *attribute_value(const ExpatElement *element, const char *name);

// The same value as a new CIMString the caller frees; NULL when the
// attribute is absent or memory is exhausted.
// The EmbeddedObject attribute of an element; strict also reads the
// upper-case EMBEDDEDOBJECT that older servers write. NULL when absent.
const char *embedded_object_attribute(const ExpatElement *element);

CIMString *attribute_string(const ExpatElement *element, const char *name);

// New copy of text (kind 2) in which the five predefined references are
// replaced as five passes one after the other would replace them: "&quot;",
// then "&amp;", "&lt;", "&gt;" and "&apos;", each pass scanning left to right
// and going on behind the character it wrote. So an escaped reference that
// Expat already expanded once ("&amp;lt;" in the document, "&lt;" here)
// becomes its character, while "&amp;quot;" only loses its "amp;". Done in
// one pass over the text. NULL for NULL or when memory is exhausted.
char *decodeEntityReferences(const char *text);

// New copy of text (kind 2) without its leading run of CR and LF characters,
// and with trailing two-character pairs cut while the last-but-one character
// is a CR (strict profile: while the text ends in CR LF). NULL for NULL or
// when memory is exhausted.
char *trimLineBreaks(const char *text);

// The same trim done in place on a text of the given length; returns the new length.
std::size_t trimLineBreaksInPlace(char *text, std::size_t length);

// decodeEntityReferences done in place on a NUL-terminated text of the given
// length (decoding never lengthens a text); returns the new length.
std::size_t decodeEntityReferencesInPlace(char *text, std::size_t length);
