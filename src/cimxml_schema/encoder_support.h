// encoder_support.h - small helpers every element encoder shares: the
// exhaustion message, attribute pieces written into a sink, and the ends of
// elements.
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_common/xml_sink.h"

// "Insf. Memory: %s %d" at level 0 with this source file and line.
#define CIMXML_LOG_NO_MEMORY() cimPrintMessage(CIM_LOG_ERROR, L"Insf. Memory: %s %d", __FILE_NAME__, __LINE__)

// Writes ` name="text"` with the escaped text of a string. Returns false and
// writes nothing when the string or its text is absent.
bool put_string_attribute(xml_sink &out, const char *name, const CIMString *text);
// Writes ` name="value"` with a fixed value that needs no escaping.
void put_fixed_attribute(xml_sink &out, const char *name, const char *value);
// Writes ` name="true"` or ` name="false"`.
void put_boolean_attribute(xml_sink &out, const char *name, int flag);
// Writes ` name="N"` with N in decimal.
void put_count_attribute(xml_sink &out, const char *name, unsigned count);

// Ends an element a writer began at mark: true when the sink kept up;
// otherwise the element is taken back, the exhaustion message logged with
// the caller's file and line, and false returned.
bool end_element(xml_sink &out, std::size_t mark, const char *file, int line);
#define END_ELEMENT(out, mark) end_element((out), (mark), __FILE_NAME__, __LINE__)
// Takes back what a writer wrote since mark; returns false.
inline bool drop_element(xml_sink &out, std::size_t mark) {
    out.rewind(mark);
    return false;
}

// Content of a value as getCIMValue lends it (the status record is freed at
// once); NULL for a NULL or null value.
void *cim_value_content(const CIMValue *value);
// 1 when the string exists and is not empty.
int has_text(const CIMString *text);
// 1 when the list exists and holds an item.
int has_items(const CIMList *list);
