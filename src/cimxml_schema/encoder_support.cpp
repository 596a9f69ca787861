// encoder_support.cpp - helpers shared by the element encoders.
#include "cimxml_schema/encoder_support.h"

#include <cstdio>

#include "cimxml_common/memory.h"
#include "cimxml_schema/xml_escaping.h"

namespace {

// Writes ' name="', the start of an attribute whose value follows.
void open_attribute(fragment_builder &builder, const char *name) {
    builder.add(" ");
    builder.add(name);
    builder.add("=\"");
}

void open_attribute(xml_sink &out, const char *name) {
    out.put(" ");
    out.put(name);
    out.put("=\"");
}

}  // namespace

bool add_string_attribute(fragment_builder &builder, const char *name, const CIMString *text) {
    char *escaped = escaped_cimstring_text(text);
    if (escaped == nullptr) return false;
    open_attribute(builder, name);
    builder.take(escaped);
    builder.add("\"");
    return true;
}

void add_fixed_attribute(fragment_builder &builder, const char *name, const char *value) {
    open_attribute(builder, name);
    builder.add(value);
    builder.add("\"");
}

void add_boolean_attribute(fragment_builder &builder, const char *name, int flag) {
    add_fixed_attribute(builder, name, flag ? "true" : "false");
}

bool add_count_attribute(fragment_builder &builder, const char *name, unsigned count) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%u", count);
    char *text = concat_fragment({digits});
    if (text == nullptr) return false;
    open_attribute(builder, name);
    builder.take(text);
    builder.add("\"");
    return true;
}

bool put_string_attribute(xml_sink &out, const char *name, const CIMString *text) {
    const wchar_t *wide = getCIMStringBuffer(text);
    if (wide == nullptr) return false;
    open_attribute(out, name);
    out.put_escaped(wide, text->length);
    out.put("\"");
    return true;
}

void put_fixed_attribute(xml_sink &out, const char *name, const char *value) {
    open_attribute(out, name);
    out.put(value);
    out.put("\"");
}

void put_boolean_attribute(xml_sink &out, const char *name, int flag) {
    put_fixed_attribute(out, name, flag ? "true" : "false");
}

void put_count_attribute(xml_sink &out, const char *name, unsigned count) {
    open_attribute(out, name);
    out.put_number(count);
    out.put("\"");
}

bool end_element(xml_sink &out, std::size_t mark, const char *file, int line) {
    if (out.ok()) return true;
    out.rewind(mark);
    cimPrintMessage(CIM_LOG_ERROR, L"Insf. Memory: %s %d", file, line);
    return false;
}

int pool_append(PoolString *pool, char *text, int handover) {
    if (pool == nullptr || pool->append == nullptr) {
        if (handover) cimxml_free(text, CIMXML_ATOMIC);
        return 0;
    }
    return pool->append(pool, text, 0, handover);
}

void *cim_value_content(const CIMValue *value) {
    if (value == nullptr) return nullptr;
    void *data = nullptr;
    freeReturnCode(getCIMValue(value, &data, nullptr));
    return data;
}

int has_text(const CIMString *text) { return text != nullptr && !isEmptyCIMString(text); }

int has_items(const CIMList *list) { return list != nullptr && getLength(list) > 0; }

char *finish_or_log(fragment_builder &element, const char *file, int line) {
    char *result = element.finish();
    if (result == nullptr) cimPrintMessage(CIM_LOG_ERROR, L"Insf. Memory: %s %d", file, line);
    return result;
}
