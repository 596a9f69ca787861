// encoder_support.h - small helpers every element encoder shares: the
// exhaustion message, attribute pieces written straight into a builder or a
// sink, and appends to a response pool.
#pragma once

#include <cimobj/cimobj.h>
#include <utils/pool_string.h>

#include "cimxml_common/fragment_builder.h"
#include "cimxml_schema/xml_sink.h"

// "Insf. Memory: %s %d" at level 0 with this source file and line.
#define CIMXML_LOG_NO_MEMORY() cimPrintMessage(CIM_LOG_ERROR, L"Insf. Memory: %s %d", __FILE_NAME__, __LINE__)

// The builder's fragment; when it cannot be allocated, logs the exhaustion
// message with the caller's file and line and gives NULL.
char *finish_or_log(fragment_builder &element, const char *file, int line);
#define FINISH_ELEMENT(element) finish_or_log((element), __FILE_NAME__, __LINE__)

// Adds ` name="text"` with the escaped text of a string. Returns false and
// adds nothing when the string or its text is absent (or memory is out).
bool add_string_attribute(fragment_builder &builder, const char *name, const CIMString *text);
// Adds ` name="value"` with a fixed value that needs no escaping.
void add_fixed_attribute(fragment_builder &builder, const char *name, const char *value);
// Adds ` name="true"` or ` name="false"`.
void add_boolean_attribute(fragment_builder &builder, const char *name, int flag);
// Adds ` name="N"` with N in decimal. Returns false when memory is out.
bool add_count_attribute(fragment_builder &builder, const char *name, unsigned count);

// The same pieces written into a sink.
bool put_string_attribute(xml_sink &out, const char *name, const CIMString *text);
void put_fixed_attribute(xml_sink &out, const char *name, const char *value);
void put_boolean_attribute(xml_sink &out, const char *name, int flag);
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

// Appends text to the pool with the pool's append operation. handover 1
// passes a fragment to the pool (released by the pool even on failure);
// 0 keeps it the caller's. Returns the append's result, or 0 (after
// releasing a handed-over text) when the pool is NULL or not set up.
int pool_append(PoolString *pool, char *text, int handover);

// Content of a value as getCIMValue lends it (the status record is freed at
// once); NULL for a NULL or null value.
void *cim_value_content(const CIMValue *value);
// 1 when the string exists and is not empty.
int has_text(const CIMString *text);
// 1 when the list exists and holds an item.
int has_items(const CIMList *list);
