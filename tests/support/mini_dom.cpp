// mini_dom.cpp - Expat-built trees of written CIM-XML.
#include "support/mini_dom.h"

#include <expat.h>

namespace fixtures {

std::string Node::attribute(const std::string &attributeName) const {
    for (const auto &[key, value] : attributes)
        if (key == attributeName) return value;
    return "(absent)";
}

const Node *Node::child(const std::string &childName) const {
    for (const auto &node : children)
        if (node->name == childName) return node.get();
    return nullptr;
}

const Node *Node::find(std::initializer_list<const char *> names) const {
    for (const char *wanted : names)
        if (name == wanted) return this;
    for (const auto &node : children)
        if (const Node *hit = node->find(names)) return hit;
    return nullptr;
}

namespace {

struct Builder {
    std::unique_ptr<Node> root;
    std::vector<Node *> open;
};

void on_start(void *data, const XML_Char *name, const XML_Char **attributes) {
    auto *builder = static_cast<Builder *>(data);
    auto node = std::make_unique<Node>();
    node->name = name;
    for (int i = 0; attributes[i] != nullptr; i += 2) node->attributes.emplace_back(attributes[i], attributes[i + 1]);
    Node *raw = node.get();
    if (builder->open.empty())
        builder->root = std::move(node);
    else
        builder->open.back()->children.push_back(std::move(node));
    builder->open.push_back(raw);
}

void on_end(void *data, const XML_Char *) { static_cast<Builder *>(data)->open.pop_back(); }

void on_text(void *data, const XML_Char *text, int length) {
    auto *builder = static_cast<Builder *>(data);
    if (!builder->open.empty()) builder->open.back()->text.append(text, static_cast<std::size_t>(length));
}

}  // namespace

std::unique_ptr<Node> parse_document(const std::string &text, std::string *error) {
    Builder builder;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &builder);
    XML_SetElementHandler(parser, on_start, on_end);
    XML_SetCharacterDataHandler(parser, on_text);
    bool ok = XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) != XML_STATUS_ERROR;
    if (!ok && error != nullptr) *error = XML_ErrorString(XML_GetErrorCode(parser));
    XML_ParserFree(parser);
    return ok ? std::move(builder.root) : nullptr;
}

std::string child_names(const std::string &document, std::initializer_list<const char *> path) {
    auto root = parse_document(document);
    const Node *node = root.get();
    for (const char *step : path) node = node ? node->child(step) : nullptr;
    if (node == nullptr) return "(no such element)";
    std::string names;
    for (const auto &child : node->children) names += (names.empty() ? "" : " ") + child->name;
    return names;
}

}  // namespace fixtures
