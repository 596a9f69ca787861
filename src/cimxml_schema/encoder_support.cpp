// encoder_support.cpp - helpers shared by the element encoders.
#include "cimxml_schema/encoder_support.h"

namespace {

// Writes ' name="', the start of an attribute whose value follows.
void open_attribute(xml_sink &out, const char *name) {
    out.put(" ");
    out.put(name);
    out.put("=\"");
}

}  // namespace

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

void *cim_value_content(const CIMValue *value) {
    if (value == nullptr) return nullptr;
    void *data = nullptr;
    freeReturnCode(getCIMValue(value, &data, nullptr));
    return data;
}

int has_text(const CIMString *text) { return text != nullptr && !isEmptyCIMString(text); }

int has_items(const CIMList *list) { return list != nullptr && getLength(list) > 0; }
