// element_stack.h - the element record of an open XML element, the stack
// items that carry records and partial objects, and the stacks themselves.
//
// Memory: records, items, nodes and their texts are collected blocks (kinds 0
// and 2); the objects items carry may be ordinary memory of the object library
// (freed through the item's destructor).
#pragma once

#include <cstddef>

// One open element: its name, the character data gathered so far and a copy
// of Expat's attribute array (name, value, ..., NULL). textLength and
// textCapacity describe the text buffer so that joining the pieces Expat
// delivers stays linear; text is NULL until the first piece arrives.
struct ExpatElement {
    char *name;
    char *text;
    char **attributes;
    std::size_t textLength;
    std::size_t textCapacity;
};

// New record with copies of name, text and attributes (a NULL input gives a
// NULL field; the attribute copy has one slot more than it has texts, for the
// terminating NULL). NULL when memory is exhausted; nothing is left
// allocated then.
ExpatElement *newExpatElement(const char *name, const char *text, const char *const *attributes);
// Deep copy of a record; NULL in, NULL out (also when memory is exhausted).
ExpatElement *copyExpatElement(const ExpatElement *element);
// Frees name, text, the attribute texts, the array and the record. NULL does nothing.
void freeExpatElement(ExpatElement *element);

// Appends length bytes to the record's text, growing its buffer
// geometrically. Returns 1, or 0 when memory is exhausted (the text is then
// unchanged).
int appendExpatElementText(ExpatElement *element, const char *piece, std::size_t length);

using StackItemDestructor = void (*)(void *data);

// An entry of the element stack or the object stack: what it is
// (description), what it carries (data) and how that is freed (destructor).
struct StackItem {
    char *description;
    void *data;
    StackItemDestructor destructor;
};

// New item with a copy of description (NULL stays NULL). The item takes data
// only on success: NULL is returned when memory is exhausted and the caller
// still owns data.
StackItem *newStackItem(const char *description, StackItemDestructor destructor, void *data);
// Frees the description, the data (through the destructor, else the plain
// free of the allocator) and the item. NULL does nothing.
void freeStackItem(StackItem *item);

// A node of a stack; a stack is held by a pointer to its top node, an empty
// stack is a NULL top.
struct StackNode {
    StackItem *item;
    StackNode *next;
};
using Stack = StackNode *;

// Sets the top to NULL.
void stack_init(Stack *stack);
// 1 when stack is NULL or empty.
int stack_isEmpty(const Stack *stack);
// Puts item on top. Returns stack, or NULL when no node could be made (the
// item is then not on the stack and still the caller's).
Stack *stack_push(Stack *stack, StackItem *item);
// Takes the top item off (its node is freed); NULL for a NULL or empty stack.
// The caller owns the item.
StackItem *stack_pop(Stack *stack);
// Frees every item and node from top down. NULL does nothing.
void freeStack(StackNode *top);
