// element_stack.h - the records of the open XML elements, and the stack of
// partial objects the handlers build.
//
// Memory: both stacks are ordinary heap memory that holds no pointer to a
// collected block: records keep their texts in buffers of their own, and
// items carry objects of the object library. Records and items are reused
// from one element to the next, so a parse allocates about as many of them
// as the document nests deep, not one per element.
#pragma once

#include <cstddef>

// One open element: its name, its attributes (name, value, ..., NULL; the
// values already read as the decoder reads them, see attributes.h) and the
// character data gathered so far. text is NULL until the first piece
// arrives; textLength counts its bytes. Everything points into buffers the
// record owns, valid until the element closes.
struct ExpatElement {
    char *name;
    char *text;
    char **attributes;
    std::size_t textLength;
    // The record's own buffers, kept for the next element that reuses it.
    char *textBuffer;
    std::size_t textCapacity;
    char *storage;               // name and attribute texts, one after the other
    std::size_t storageCapacity;
    std::size_t attributeSlots;  // slots of attributes
};

// The open elements, innermost on top. Records below depth are open; those
// from depth to made wait to be reused. A zero-filled stack is empty.
struct ElementStack {
    ExpatElement **records;
    std::size_t depth;
    std::size_t made;
    std::size_t capacity;
};

// Opens a record for the element on top of the stack: a copy of name, and
// of attributes with each value cleaned by clean (which rewrites a value in
// place and returns its new length; NULL keeps values as they are). Returns
// the record, or NULL when memory is exhausted (the stack is then unchanged).
using AttributeCleaner = std::size_t (*)(char *value, std::size_t length);
ExpatElement *element_stack_push(ElementStack *stack, const char *name, const char *const *attributes,
                                 AttributeCleaner clean);
// Closes the top record (kept for reuse). An empty stack stays empty.
void element_stack_pop(ElementStack *stack);
// The record below levels records from the top (0 is the top), lent; NULL
// beyond the bottom.
ExpatElement *element_stack_at(const ElementStack *stack, std::size_t below);
// Number of open elements.
std::size_t element_stack_depth(const ElementStack *stack);
// Frees every record and the stack's array; the stack is empty afterwards.
void element_stack_free(ElementStack *stack);

// Appends length bytes to the record's text, growing its buffer
// geometrically. Returns 1, or 0 when memory is exhausted (the text is then
// unchanged).
int appendExpatElementText(ExpatElement *element, const char *piece, std::size_t length);

// What an item of the object stack stands for.
enum class ItemKind : unsigned char {
    none,  // an item that stands for nothing (never pushed by the handlers)
    ValueReference,
    ValueArray,
    ValueRefArray,
    QualifierDeclaration,
    QualifierType,
    Class,
    PropertyType,
    Method,
    Parameter,
    ParameterRefArray,
    ParameterReference,
    ParameterArray,
    Instance,
    ObjectPath,
    InstanceName,
    ParamType,
    ParamValue,
    ReturnValue
};

// The element name of a kind ("VALUE.ARRAY", "PROPERTY_TYPE", ...); "" for none.
const char *item_kind_name(ItemKind kind);

using StackItemDestructor = void (*)(void *data);

struct Stack;

// An entry of the object stack: what it is, the type code a type marker
// carries (the TYPE or PARAMTYPE it stands for), what it carries (data,
// ordinary memory) and how that is freed (destructor).
struct StackItem {
    ItemKind kind;
    int type;
    void *data;
    StackItemDestructor destructor;
    Stack *home;       // the stack whose spare items this one returns to
    StackItem *spare;  // next spare item while it waits to be reused
};

// The object stack: the items on it, bottom first, and the spare items
// that wait to be reused. A zero-filled stack is empty.
struct Stack {
    StackItem **items;
    std::size_t count;
    std::size_t capacity;
    StackItem *spares;
};

// New item of home (a spare one when there is one). The item takes data
// only on success: NULL is returned when memory is exhausted and the caller
// still owns data.
StackItem *newStackItem(Stack *home, ItemKind kind, StackItemDestructor destructor, void *data, int type);
// Frees the data (through the destructor; data without one is not the
// item's to free) and gives the item back to its stack. NULL does nothing.
void freeStackItem(StackItem *item);

// Grows the stack's array to hold one more item; false when memory is exhausted.
bool stack_grow(Stack *stack);

// Sets the stack empty (it must hold nothing).
inline void stack_init(Stack *stack) {
    if (stack) *stack = Stack{};
}
// 1 when stack is NULL or empty.
inline int stack_isEmpty(const Stack *stack) { return !stack || stack->count == 0; }
// Puts item on top. Returns stack, or NULL when no room could be made (the
// item is then not on the stack and still the caller's).
inline Stack *stack_push(Stack *stack, StackItem *item) {
    if (!stack || (stack->count == stack->capacity && !stack_grow(stack))) return nullptr;
    stack->items[stack->count++] = item;
    return stack;
}
// Takes the top item off; NULL for a NULL or empty stack. The caller owns
// the item.
inline StackItem *stack_pop(Stack *stack) {
    return stack_isEmpty(stack) ? nullptr : stack->items[--stack->count];
}
// The item below levels items from the top (0 is the top), lent; NULL
// beyond the bottom.
inline StackItem *stack_peek(const Stack *stack, std::size_t below = 0) {
    return !stack || below >= stack->count ? nullptr : stack->items[stack->count - 1 - below];
}
// Number of items on the stack.
inline std::size_t stack_depth(const Stack *stack) { return stack ? stack->count : 0; }
// Frees every item from top down and the spare ones. NULL does nothing.
void freeStack(Stack *stack);
