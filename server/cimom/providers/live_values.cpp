// live_values.cpp - typed values through the object library's constructors.
#include "providers/live_values.h"

#include "providers/proc_files.h"
#include "support/objects.h"

namespace cimom::live {

namespace {

template <class Number>
cimobj::ValuePtr numberValue(int type, Number value) {
    return cimobj::ValuePtr(orThrow(newCIMValue(type, &value)));
}

}  // namespace

cimobj::ValuePtr textValue(std::wstring_view text) {
    cimobj::StringPtr string = ownedText(text);
    cimobj::ValuePtr value(orThrow(newCIMValue(CIM_STRING, string.get())));
    string.release();
    return value;
}

cimobj::ValuePtr kernelTextValue(std::string_view bytes) { return textValue(kernelText(bytes)); }

namespace {

// An array of type whose entries are item(each of items).
template <class Item, class Make>
cimobj::ValuePtr arrayValue(int type, const std::vector<Item> &items, Make item) {
    cimobj::ListPtr list = makeList(CIMLIST_VALUE);
    CIMList *raw = list.get();
    for (const Item &each : items) appendOwned(&raw, CIMLIST_VALUE, item(each));
    cimobj::ValuePtr value(orThrow(newCIMValue(type + CIM_ARRAY, list.get())));
    list.release();
    return value;
}

}  // namespace

cimobj::ValuePtr kernelTextArray(const std::vector<std::string> &items) {
    return arrayValue(CIM_STRING, items, [](const std::string &item) { return kernelTextValue(item); });
}

cimobj::ValuePtr uint16Array(const std::vector<std::uint16_t> &items) {
    return arrayValue(CIM_UINT16, items, [](std::uint16_t item) { return uint16Value(item); });
}

cimobj::ValuePtr booleanValue(bool value) { return numberValue<int>(CIM_BOOLEAN, value ? 1 : 0); }
cimobj::ValuePtr real64Value(double value) { return numberValue(CIM_REAL64, value); }
cimobj::ValuePtr uint16Value(std::uint16_t value) { return numberValue(CIM_UINT16, value); }
cimobj::ValuePtr sint16Value(std::int16_t value) { return numberValue(CIM_SINT16, value); }
cimobj::ValuePtr uint32Value(std::uint32_t value) { return numberValue(CIM_UINT32, value); }
cimobj::ValuePtr uint64Value(std::uint64_t value) { return numberValue(CIM_UINT64, value); }

cimobj::ValuePtr dateTimeValue(const std::wstring &text) {
    return cimobj::ValuePtr(orThrow(newCIMValue(CIM_DATETIME, const_cast<wchar_t *>(text.c_str()))));
}

cimobj::ValuePtr referenceValue(cimobj::PathPtr path) {
    cimobj::ValuePtr value(orThrow(newCIMValue(CIM_REFERENCE, path.get())));
    path.release();
    return value;
}

}  // namespace cimom::live
