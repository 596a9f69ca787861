// xml_escaping.cpp - entity escaping and the character data text of values.
#include "cimxml_schema/xml_escaping.h"

#include <cstring>
#include <cwchar>

#include <cimobj/cimobj.hpp>

#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_schema/encoder_support.h"

const char *const xml_entity_strings[xml_entity_count] = {"&quot;", "&amp;", "&lt;", "&gt;", "&apos;"};
const char xml_entity_chars[xml_entity_count + 1] = "\"&<>'";

namespace {

// Entity of a special character, NULL for any other byte. A 256-entry table
// keeps the escaping loop to one lookup per byte.
struct entity_lookup {
    const char *entity[256] = {};
    entity_lookup() {
        for (int i = 0; i < xml_entity_count; ++i)
            entity[static_cast<unsigned char>(xml_entity_chars[i])] = xml_entity_strings[i];
    }
};
const entity_lookup lookup;

}  // namespace

int needs_xml_escape(const char *text) {
    if (text == nullptr) return 0;
    for (const unsigned char *at = reinterpret_cast<const unsigned char *>(text); *at; ++at) {
        if (lookup.entity[*at] != nullptr) return 1;
    }
    return 0;
}

int xml_escape_to_pool(PoolString *pool, const char *text) {
    if (pool == nullptr || pool->append == nullptr || text == nullptr) return 0;
    // Escaped bytes are staged in a local buffer and handed to the pool a
    // buffer at a time: still one pass, without one append call per byte.
    char chunk[1024];
    std::size_t used = 0;
    constexpr std::size_t room = sizeof chunk - 1;
    for (const unsigned char *at = reinterpret_cast<const unsigned char *>(text); *at; ++at) {
        const char *entity = lookup.entity[*at];
        std::size_t need = entity ? std::strlen(entity) : 1;
        if (used + need > room) {
            chunk[used] = '\0';
            if (pool->append(pool, chunk, 0, 0) != 1) return 0;
            used = 0;
        }
        if (entity) {
            std::memcpy(chunk + used, entity, need);
            used += need;
        } else {
            chunk[used++] = static_cast<char>(*at);
        }
    }
    if (used > 0) {
        chunk[used] = '\0';
        if (pool->append(pool, chunk, 0, 0) != 1) return 0;
    }
    return 1;
}

char *escape_through_pool(const char *text, std::size_t initialCapacity, const char *label) {
    if (text == nullptr) return nullptr;
    PoolString pool;
    std::memset(&pool, 0, sizeof pool);
    if (init_PoolString(&pool, 0, 1, 1, initialCapacity > 0 ? initialCapacity : 1, label) == 0) return nullptr;
    char *copy = nullptr;
    if (xml_escape_to_pool(&pool, text) == 1 && pool.text != nullptr)
        copy = real_dupChar(pool.text, __FILE_NAME__, __LINE__);
    release_PoolStringBuffer(&pool);
    return copy;
}

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

char *escaped_cimstring_text(const CIMString *text) {
    const wchar_t *wide = getCIMStringBuffer(text);
    if (wide == nullptr) return nullptr;
    return written_fragment([&](xml_sink &out) {
        out.put_escaped(wide, text->length);
        return true;
    });
}
