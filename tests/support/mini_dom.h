// mini_dom.h - a small tree read back from written CIM-XML with Expat, so
// tests can compare what a reader sees with what was encoded.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace fixtures {

struct Node {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;  // in document order
    std::string text;                                              // character data, CDATA included
    std::vector<std::unique_ptr<Node>> children;

    // Value of an attribute, or "(absent)".
    std::string attribute(const std::string &attributeName) const;
    // First child of that name, or nullptr.
    const Node *child(const std::string &childName) const;
    // This node or the first node below it (depth first) with one of the names, or nullptr.
    const Node *find(std::initializer_list<const char *> names) const;
    // Name of the first child, or "".
    std::string first() const { return children.empty() ? "" : children[0]->name; }
};

// The document's root element, or nullptr when the text is not well formed
// (error then holds Expat's complaint).
std::unique_ptr<Node> parse_document(const std::string &text, std::string *error = nullptr);

// The names of the elements inside the element reached from the document's
// root by path, joined by blanks.
std::string child_names(const std::string &document, std::initializer_list<const char *> path);

}  // namespace fixtures
