// The element record, stack items and stacks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common_handlers/element_stack.h"

namespace {

std::vector<std::string> g_destroyed;

void record_destroy(void *data) { g_destroyed.push_back(static_cast<const char *>(data)); }

TEST(Stack, PushPopIsLastInFirstOutAndEmptyStacksGiveNull) {
    Stack stack;
    stack_init(&stack);
    EXPECT_TRUE(stack_isEmpty(&stack));
    EXPECT_TRUE(stack_isEmpty(nullptr));
    EXPECT_EQ(stack_pop(&stack), nullptr);
    EXPECT_EQ(stack_pop(nullptr), nullptr);

    StackItem *a = newStackItem("A", nullptr, nullptr);
    StackItem *b = newStackItem("B", nullptr, nullptr);
    ASSERT_EQ(stack_push(&stack, a), &stack);
    ASSERT_EQ(stack_push(&stack, b), &stack);
    EXPECT_FALSE(stack_isEmpty(&stack));
    EXPECT_EQ(stack_push(nullptr, a), nullptr);
    EXPECT_EQ(stack_pop(&stack), b);
    EXPECT_EQ(stack_pop(&stack), a);
    EXPECT_TRUE(stack_isEmpty(&stack));
    freeStackItem(a);
    freeStackItem(b);
}

TEST(Stack, FreeStackReleasesEveryItemThroughItsDestructorTopDown) {
    g_destroyed.clear();
    Stack stack;
    stack_init(&stack);
    static char first[] = "first", second[] = "second";
    stack_push(&stack, newStackItem("X", record_destroy, first));
    stack_push(&stack, newStackItem(nullptr, nullptr, nullptr));
    stack_push(&stack, newStackItem("Y", record_destroy, second));
    freeStack(stack);
    EXPECT_EQ(g_destroyed, (std::vector<std::string>{"second", "first"}));
    freeStack(nullptr);
}

TEST(StackItem, CopiesItsDescriptionAndFreesDataOnce) {
    g_destroyed.clear();
    char description[] = "PARAMVALUE";
    static char data[] = "payload";
    StackItem *entry = newStackItem(description, record_destroy, data);
    ASSERT_NE(entry, nullptr);
    description[0] = 'X';
    EXPECT_STREQ(entry->description, "PARAMVALUE");
    EXPECT_EQ(entry->data, data);
    freeStackItem(entry);
    freeStackItem(nullptr);
    EXPECT_EQ(g_destroyed, std::vector<std::string>{"payload"});

    StackItem *bare = newStackItem(nullptr, nullptr, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->description, nullptr);
    freeStackItem(bare);
}

TEST(ExpatElement, CopiesAreDeepAndKeepTheAttributeArrayShape) {
    const char *attributes[] = {"NAME", "x", "TYPE", "string", nullptr};
    ExpatElement *element = newExpatElement("PROPERTY", "text", attributes);
    ASSERT_NE(element, nullptr);
    ExpatElement *copy = copyExpatElement(element);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->name, element->name);
    EXPECT_NE(copy->attributes, element->attributes);
    EXPECT_STREQ(copy->name, "PROPERTY");
    EXPECT_STREQ(copy->text, "text");
    ASSERT_NE(copy->attributes, nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(copy->attributes[i], attributes[i]);
    EXPECT_EQ(copy->attributes[4], nullptr);
    freeExpatElement(element);
    freeExpatElement(copy);

    ExpatElement *bare = newExpatElement(nullptr, nullptr, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->name, nullptr);
    EXPECT_EQ(bare->text, nullptr);
    EXPECT_EQ(bare->attributes, nullptr);
    freeExpatElement(bare);
    EXPECT_EQ(copyExpatElement(nullptr), nullptr);
    freeExpatElement(nullptr);
}

TEST(ExpatElement, JoinsManyTextPiecesInOrder) {
    ExpatElement *element = newExpatElement("VALUE", nullptr, nullptr);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->text, nullptr);
    std::string expected;
    for (int i = 0; i < 50000; ++i) {
        std::string piece = std::to_string(i) + (i % 7 ? "," : "&");
        ASSERT_EQ(appendExpatElementText(element, piece.data(), piece.size()), 1);
        expected += piece;
    }
    ASSERT_EQ(element->textLength, expected.size());
    EXPECT_EQ(std::string(element->text), expected);
    EXPECT_GE(element->textCapacity, expected.size() + 1);
    freeExpatElement(element);
}

}  // namespace
