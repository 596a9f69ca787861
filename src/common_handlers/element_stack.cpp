// element_stack.cpp - element records, stack items and the stacks.
#include "common_handlers/element_stack.h"

#include <cstring>

#include <cimobj/cimobj.h>

#include "cimxml_common/memory.h"

namespace {

// New atomic copy of length bytes of text, NUL-terminated; NULL when memory is exhausted.
char *copy_text(const char *text, std::size_t length) {
    auto *copy = static_cast<char *>(CIMXML_MALLOC(length + 1, 1, CIMXML_ATOMIC));
    if (!copy) return nullptr;
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

// First capacity of a text buffer; small texts (key values, names) fit at once.
constexpr std::size_t kFirstTextCapacity = 64;

// Copy of Expat's attribute array in two blocks: the pointer array (scanned)
// and one atomic block holding every text one after the other. The first
// slot points at the start of the text block, which keeps it alive. Every
// element start copies its attributes, so one allocation instead of one per
// text matters. NULL when memory is exhausted.
char **copy_attributes(const char *const *attributes) {
    std::size_t count = 0;
    std::size_t bytes = 0;
    while (attributes[count]) bytes += std::strlen(attributes[count++]) + 1;
    auto **copy = static_cast<char **>(CIMXML_MALLOC(count + 1, sizeof(char *), CIMXML_SCANNED));
    if (!copy) return nullptr;
    copy[count] = nullptr;
    if (count == 0) return copy;
    auto *texts = static_cast<char *>(CIMXML_MALLOC(bytes, 1, CIMXML_ATOMIC));
    if (!texts) {
        cimxml_free(copy, CIMXML_SCANNED);
        return nullptr;
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t length = std::strlen(attributes[i]) + 1;
        std::memcpy(texts, attributes[i], length);
        copy[i] = texts;
        texts += length;
    }
    return copy;
}

void free_attributes(char **attributes) {
    if (!attributes) return;
    cimxml_free(attributes[0], CIMXML_ATOMIC);
    attributes[0] = nullptr;
    cimxml_free(attributes, CIMXML_SCANNED);
}

}  // namespace

ExpatElement *newExpatElement(const char *name, const char *text, const char *const *attributes) {
    auto *element = static_cast<ExpatElement *>(CIMXML_MALLOC(1, sizeof(ExpatElement), CIMXML_SCANNED));
    if (!element) return nullptr;
    element->name = nullptr;
    element->text = nullptr;
    element->attributes = nullptr;
    element->textLength = 0;
    element->textCapacity = 0;
    if (name && !(element->name = copy_text(name, std::strlen(name)))) {
        freeExpatElement(element);
        return nullptr;
    }
    if (text) {
        std::size_t length = std::strlen(text);
        if (!(element->text = copy_text(text, length))) {
            freeExpatElement(element);
            return nullptr;
        }
        element->textLength = length;
        element->textCapacity = length + 1;
    }
    if (attributes && !(element->attributes = copy_attributes(attributes))) {
        freeExpatElement(element);
        return nullptr;
    }
    return element;
}

ExpatElement *copyExpatElement(const ExpatElement *element) {
    if (!element) return nullptr;
    return newExpatElement(element->name, element->text, element->attributes);
}

void freeExpatElement(ExpatElement *element) {
    if (!element) return;
    cimxml_free(element->name, CIMXML_ATOMIC);
    cimxml_free(element->text, CIMXML_ATOMIC);
    free_attributes(element->attributes);
    element->name = nullptr;
    element->text = nullptr;
    element->attributes = nullptr;
    cimxml_free(element, CIMXML_SCANNED);
}

int appendExpatElementText(ExpatElement *element, const char *piece, std::size_t length) {
    if (!element || (!piece && length)) return 0;
    std::size_t needed = element->textLength + length + 1;
    if (needed < element->textLength) return 0;  // size overflow
    if (!element->text || needed > element->textCapacity) {
        std::size_t capacity = element->textCapacity ? element->textCapacity : kFirstTextCapacity;
        while (capacity < needed) {
            if (capacity > static_cast<std::size_t>(-1) / 2) return 0;
            capacity *= 2;
        }
        auto *grown = static_cast<char *>(CIMXML_REALLOC(element->text, capacity, CIMXML_ATOMIC));
        if (!grown) return 0;
        if (!element->text) grown[0] = '\0';
        element->text = grown;
        element->textCapacity = capacity;
    }
    if (length) std::memcpy(element->text + element->textLength, piece, length);
    element->textLength += length;
    element->text[element->textLength] = '\0';
    return 1;
}

StackItem *newStackItem(const char *description, StackItemDestructor destructor, void *data) {
    auto *item = static_cast<StackItem *>(CIMXML_MALLOC(1, sizeof(StackItem), CIMXML_SCANNED));
    if (!item) return nullptr;
    item->description = nullptr;
    if (description && !(item->description = copy_text(description, std::strlen(description)))) {
        cimxml_free(item, CIMXML_SCANNED);
        return nullptr;
    }
    item->data = data;
    item->destructor = destructor;
    return item;
}

void freeStackItem(StackItem *item) {
    if (!item) return;
    cimxml_free(item->description, CIMXML_ATOMIC);
    item->description = nullptr;
    if (item->data) {
        if (item->destructor)
            item->destructor(item->data);
        else
            cimxml_free(item->data, CIMXML_SCANNED);
    }
    item->data = nullptr;
    cimxml_free(item, CIMXML_SCANNED);
}

void stack_init(Stack *stack) {
    if (stack) *stack = nullptr;
}

int stack_isEmpty(const Stack *stack) {
    return !stack || !*stack;
}

Stack *stack_push(Stack *stack, StackItem *item) {
    if (!stack) return nullptr;
    auto *node = static_cast<StackNode *>(CIMXML_MALLOC(1, sizeof(StackNode), CIMXML_SCANNED));
    if (!node) return nullptr;
    node->item = item;
    node->next = *stack;
    *stack = node;
    return stack;
}

StackItem *stack_pop(Stack *stack) {
    if (stack_isEmpty(stack)) return nullptr;
    StackNode *top = *stack;
    StackItem *item = top->item;
    *stack = top->next;
    top->item = nullptr;
    top->next = nullptr;
    cimxml_free(top, CIMXML_SCANNED);
    return item;
}

void freeStack(StackNode *top) {
    while (top) {
        StackNode *next = top->next;
        freeStackItem(top->item);
        top->item = nullptr;
        top->next = nullptr;
        cimxml_free(top, CIMXML_SCANNED);
        top = next;
    }
}
