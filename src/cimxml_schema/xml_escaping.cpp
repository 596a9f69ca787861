// xml_escaping.cpp - the character data text of values.
#include "cimxml_schema/xml_escaping.h"

#include <cwchar>

#include <cimobj/cimobj.hpp>

#include "cimxml_common/cim_types.h"
#include "cimxml_schema/encoder_support.h"

bool write_pcdata(xml_sink &out, const CIMValue *value) {
    if (value == nullptr) return false;
    int type = getCIMValueType(value);
    if (type == CIM_BOOLEAN) {
        const int *flag = static_cast<const int *>(cim_value_content(value));
        if (flag == nullptr) return false;
        // Only a stored 1 is true; any other number reads as false.
        out.put(*flag == 1 ? "true" : "false");
    } else if (type == CIM_DATETIME) {
        const wchar_t *wide = static_cast<const wchar_t *>(cim_value_content(value));
        if (wide == nullptr) return false;
        out.put_escaped(wide, std::wcslen(wide));
    } else if (type == CIM_STRING) {
        const CIMString *string = static_cast<const CIMString *>(cim_value_content(value));
        const wchar_t *wide = getCIMStringBuffer(string);
        if (wide == nullptr) return false;
        out.put_escaped(wide, string->length);
    } else if (type == CIM_EMPTY) {
        return false;
    } else if (isNumericType(type)) {
        char text[cimobj::kScalarTextSize];
        std::size_t length = cimobj::scalarText(value, text);
        if (length == cimobj::kNoScalarText) return false;
        out.put_escaped(std::string_view(text, length));
    } else {
        cimPrintMessage(CIM_LOG_ERROR, L"pcdata_encodeformat: unknown type!");
        return false;
    }
    return true;
}

char *pcdata_encodeformat(const CIMValue *value) {
    return written_fragment([&](xml_sink &out) { return write_pcdata(out, value); });
}
