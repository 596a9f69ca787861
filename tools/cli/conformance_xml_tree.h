// conformance_xml_tree.h - an answer's XML body as a small element tree,
// read with Expat, for the conformance checker to look at its shape.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace conformance {

struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;  // in document order
    std::vector<std::unique_ptr<XmlElement>> children;
    std::string text;  // the character data directly inside, joined

    // The value of the attribute name (exact case, as XML has it); NULL when absent.
    const std::string *attribute(std::string_view attributeName) const;
    // The first child element of that name; NULL when none.
    const XmlElement *child(std::string_view childName) const;
};

struct XmlParse {
    std::unique_ptr<XmlElement> root;  // NULL when the text is not well-formed
    std::string error;                 // "line 3, column 7: mismatched tag" when root is NULL
};

// Reads text as an XML document. Never throws on any input (std::bad_alloc
// aside); elements nested deeper than 200 levels are refused as an error, so
// that no answer can exhaust the stack.
XmlParse parseXml(std::string_view text);

}  // namespace conformance
