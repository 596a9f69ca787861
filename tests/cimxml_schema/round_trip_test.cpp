// Encode, read back with an XML parser, compare with what was encoded: the
// texts a reader sees must be the texts the objects hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/mini_dom.h"
#include "cimxml_schema/path_encoding.h"
#include "cimxml_schema/property_encoding.h"
#include "cimxml_schema/response_body.h"
#include "cimxml_schema/value_encoding.h"

using namespace fixtures;

namespace {

// Every special character and multi-byte characters.
const std::string tricky = "a\"b&c'd<e>f \xc3\xa9 \xe6\x97\xa5";
const wchar_t *const tricky_wide = L"a\"b&c'd<e>f \u00e9 \u65e5";

// What a reader sees at place: "CHILD/CHILD@ATTRIBUTE", "@ATTRIBUTE", or a path alone for the text.
std::string read(const Node *node, const std::string &place) {
    size_t at = place.find('@');
    std::string rest = place.substr(0, at);
    while (node != nullptr && !rest.empty()) {
        size_t slash = rest.find('/');
        node = node->child(rest.substr(0, slash));
        rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
    }
    if (node == nullptr) return "(no element at " + place + ")";
    return at == std::string::npos ? node->text : node->attribute(place.substr(at + 1));
}

TEST(RoundTrip, TextsComeBackUnchangedFromCharacterDataAndAttributes) {
    CIMObjectPath *name = path(tricky_wide);
    add_key(name, tricky_wide, string_value(tricky_wide));
    const struct {
        std::string fragment;
        std::vector<std::string> places;
    } cases[] = {
        {encoded(cim_value_toxml, string_value(tricky_wide)), {""}},
        {take(cim_host_toxml(tricky.c_str())), {""}},
        {encoded(cim_classname_toxml, str(tricky_wide)), {"@NAME"}},
        {encoded(cim_instancename_toxml, name), {"@CLASSNAME", "KEYBINDING@NAME", "KEYBINDING/KEYVALUE"}},
        {take(cim_namespace_toxml(tricky.c_str())), {"@NAME"}},
        {encoded(cim_property_toxml,
                 newProperty(str(tricky_wide), str(tricky_wide), uint32_value(2), CIM_UINT32, nullptr, 0)),
         {"@NAME", "@CLASSORIGIN"}},
        {encoded(cim_error_toxml, newReturnCode(5, tricky_wide)), {"@DESCRIPTION"}},
    };
    for (const auto &c : cases) {
        std::string error;
        auto root = parse_document(c.fragment, &error);
        ASSERT_NE(root, nullptr) << error << "\n" << c.fragment;
        for (const std::string &place : c.places) EXPECT_EQ(read(root.get(), place), tricky) << place << "\n" << c.fragment;
    }
    // An embedded instance reads back as the same instance.
    auto outer = parse_document(
        encoded(cim_property_toxml,
                property(L"E", instance_value(instance(L"I", {property(L"T", string_value(tricky_wide))})))));
    ASSERT_NE(outer, nullptr);
    auto inner = parse_document(read(outer.get(), "VALUE"));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->attribute("CLASSNAME"), "I");
    EXPECT_EQ(read(inner.get(), "PROPERTY/VALUE"), tricky);
}

TEST(RoundTrip, ArrayElementsComeBackInOrder) {
    auto root = parse_document(encoded(
        cim_valuearray_toxml, array_value(108, {string_value(L"<1>"), string_value(L"&2"), string_value(L"'3'")})));
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->children.size(), 3u);
    EXPECT_EQ(root->children[0]->text, "<1>");
    EXPECT_EQ(root->children[1]->text, "&2");
    EXPECT_EQ(root->children[2]->text, "'3'");
}

}  // namespace
