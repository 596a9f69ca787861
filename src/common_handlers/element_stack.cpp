// element_stack.cpp - element records, stack items and the two stacks.
#include "common_handlers/element_stack.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// First capacity of a text buffer; small texts (key values, names) fit at once.
constexpr std::size_t kFirstTextCapacity = 64;

// Grows *array of *capacity slots of size bytes each to hold at least
// wanted slots, doubling; false when memory is exhausted (nothing changed).
bool grow_array(void **array, std::size_t *capacity, std::size_t wanted, std::size_t size) {
    if (wanted <= *capacity) return true;
    std::size_t grown = *capacity ? *capacity * 2 : 8;
    if (grown < wanted) grown = wanted;
    void *bigger = std::realloc(*array, grown * size);
    if (!bigger) return false;
    *array = bigger;
    *capacity = grown;
    return true;
}

// The record for the next level: a spare one, else a new zero-filled one.
ExpatElement *next_record(ElementStack *stack) {
    if (!grow_array(reinterpret_cast<void **>(&stack->records), &stack->capacity, stack->depth + 1,
                    sizeof(ExpatElement *)))
        return nullptr;
    if (stack->depth < stack->made) return stack->records[stack->depth];
    auto *record = static_cast<ExpatElement *>(std::calloc(1, sizeof(ExpatElement)));
    if (!record) return nullptr;
    stack->records[stack->made++] = record;
    return record;
}

}  // namespace

ExpatElement *element_stack_push(ElementStack *stack, const char *name, const char *const *attributes,
                                 AttributeCleaner clean) {
    ExpatElement *record = next_record(stack);
    if (!record) return nullptr;
    std::size_t count = 0;
    if (attributes) {
        while (attributes[count]) ++count;
    }
    if (!grow_array(reinterpret_cast<void **>(&record->attributes), &record->attributeSlots, count + 1,
                    sizeof(char *)))
        return nullptr;
    // Measured once, then copied into storage grown once: the slots hold
    // the lengths until the texts are in place.
    std::size_t nameLength = name ? std::strlen(name) : 0;
    std::size_t bytes = name ? nameLength + 1 : 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t length = std::strlen(attributes[i]);
        record->attributes[i] = reinterpret_cast<char *>(length);
        bytes += length + 1;
    }
    if (!grow_array(reinterpret_cast<void **>(&record->storage), &record->storageCapacity, bytes, 1)) return nullptr;
    char *at = record->storage;
    record->name = nullptr;
    if (name) {
        std::memcpy(at, name, nameLength + 1);
        record->name = at;
        at += nameLength + 1;
    }
    for (std::size_t i = 0; i < count; ++i) {
        auto length = reinterpret_cast<std::uintptr_t>(record->attributes[i]);
        std::memcpy(at, attributes[i], length + 1);
        // Values stand at the odd slots; each is read once, here.
        if (i % 2 == 1 && clean) {
            length = clean(at, length);
            at[length] = '\0';
        }
        record->attributes[i] = at;
        at += length + 1;
    }
    record->attributes[count] = nullptr;
    record->text = nullptr;
    record->textLength = 0;
    ++stack->depth;
    return record;
}

void element_stack_pop(ElementStack *stack) {
    if (stack && stack->depth > 0) --stack->depth;
}

ExpatElement *element_stack_at(const ElementStack *stack, std::size_t below) {
    if (!stack || below >= stack->depth) return nullptr;
    return stack->records[stack->depth - 1 - below];
}

std::size_t element_stack_depth(const ElementStack *stack) { return stack ? stack->depth : 0; }

void element_stack_free(ElementStack *stack) {
    if (!stack) return;
    for (std::size_t i = 0; i < stack->made; ++i) {
        ExpatElement *record = stack->records[i];
        std::free(record->textBuffer);
        std::free(record->storage);
        std::free(record->attributes);
        std::free(record);
    }
    std::free(stack->records);
    *stack = ElementStack{};
}

int appendExpatElementText(ExpatElement *element, const char *piece, std::size_t length) {
    if (!element || (!piece && length)) return 0;
    std::size_t needed = element->textLength + length + 1;
    if (needed < element->textLength) return 0;  // size overflow
    if (needed > element->textCapacity) {
        std::size_t capacity = element->textCapacity ? element->textCapacity : kFirstTextCapacity;
        while (capacity < needed) {
            if (capacity > static_cast<std::size_t>(-1) / 2) return 0;
            capacity *= 2;
        }
        auto *grown = static_cast<char *>(std::realloc(element->textBuffer, capacity));
        if (!grown) return 0;
        element->textBuffer = grown;
        element->textCapacity = capacity;
    }
    // A record reused from an earlier element starts without text.
    element->text = element->textBuffer;
    if (length) std::memcpy(element->text + element->textLength, piece, length);
    element->textLength += length;
    element->text[element->textLength] = '\0';
    return 1;
}

const char *item_kind_name(ItemKind kind) {
    switch (kind) {
    case ItemKind::none: return "";
    case ItemKind::ValueReference: return "VALUE.REFERENCE";
    case ItemKind::ValueArray: return "VALUE.ARRAY";
    case ItemKind::ValueRefArray: return "VALUE.REFARRAY";
    case ItemKind::QualifierDeclaration: return "QUALIFIER.DECLARATION";
    case ItemKind::QualifierType: return "QUALIFIER_TYPE";
    case ItemKind::Class: return "CLASS";
    case ItemKind::PropertyType: return "PROPERTY_TYPE";
    case ItemKind::Method: return "METHOD";
    case ItemKind::Parameter: return "PARAMETER";
    case ItemKind::ParameterRefArray: return "PARAMETER.REFARRAY";
    case ItemKind::ParameterReference: return "PARAMETER.REFERENCE";
    case ItemKind::ParameterArray: return "PARAMETER.ARRAY";
    case ItemKind::Instance: return "INSTANCE";
    case ItemKind::ObjectPath: return "OBJECTPATH";
    case ItemKind::InstanceName: return "INSTANCENAME";
    case ItemKind::ParamType: return "PARAMTYPE";
    case ItemKind::ParamValue: return "PARAMVALUE";
    case ItemKind::ReturnValue: return "RETURNVALUE";
    }
    return "";
}

StackItem *newStackItem(Stack *home, ItemKind kind, StackItemDestructor destructor, void *data, int type) {
    StackItem *item = home ? home->spares : nullptr;
    if (item) {
        home->spares = item->spare;
    } else if (!(item = static_cast<StackItem *>(std::malloc(sizeof(StackItem))))) {
        return nullptr;
    }
    *item = StackItem{kind, type, data, destructor, home, nullptr};
    return item;
}

void freeStackItem(StackItem *item) {
    if (!item) return;
    if (item->data && item->destructor) item->destructor(item->data);
    item->data = nullptr;
    item->kind = ItemKind::none;
    if (!item->home) {
        std::free(item);
        return;
    }
    item->spare = item->home->spares;
    item->home->spares = item;
}

bool stack_grow(Stack *stack) {
    return grow_array(reinterpret_cast<void **>(&stack->items), &stack->capacity, stack->count + 1,
                      sizeof(StackItem *));
}

void freeStack(Stack *stack) {
    if (!stack) return;
    while (StackItem *item = stack_pop(stack)) freeStackItem(item);
    while (StackItem *spare = stack->spares) {
        stack->spares = spare->spare;
        std::free(spare);
    }
    std::free(stack->items);
    *stack = Stack{};
}
