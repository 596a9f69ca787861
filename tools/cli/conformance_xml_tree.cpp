// conformance_xml_tree.cpp - Expat callbacks that build the element tree.
#include "conformance_xml_tree.h"

#include <expat.h>

namespace conformance {

namespace {

constexpr size_t maxDepth = 200;

struct Builder {
    XML_Parser parser;
    std::unique_ptr<XmlElement> root;
    std::vector<XmlElement *> open;
    std::string error;
};

void XMLCALL startElement(void *data, const XML_Char *name, const XML_Char **attributes) {
    auto *b = static_cast<Builder *>(data);
    if (b->open.size() >= maxDepth) {
        b->error = "elements nested deeper than " + std::to_string(maxDepth) + " levels";
        XML_StopParser(b->parser, XML_FALSE);
        return;
    }
    auto element = std::make_unique<XmlElement>();
    element->name = name;
    for (const XML_Char **a = attributes; a[0]; a += 2)
        element->attributes.emplace_back(a[0], a[1]);
    XmlElement *raw = element.get();
    if (b->open.empty())
        b->root = std::move(element);
    else
        b->open.back()->children.push_back(std::move(element));
    b->open.push_back(raw);
}

void XMLCALL endElement(void *data, const XML_Char *) {
    auto *b = static_cast<Builder *>(data);
    if (!b->open.empty()) b->open.pop_back();
}

void XMLCALL characters(void *data, const XML_Char *text, int length) {
    auto *b = static_cast<Builder *>(data);
    if (!b->open.empty()) b->open.back()->text.append(text, static_cast<size_t>(length));
}

}  // namespace

const std::string *XmlElement::attribute(std::string_view attributeName) const {
    for (const auto &[key, value] : attributes)
        if (key == attributeName) return &value;
    return nullptr;
}

const XmlElement *XmlElement::child(std::string_view childName) const {
    for (const auto &element : children)
        if (element->name == childName) return element.get();
    return nullptr;
}

XmlParse parseXml(std::string_view text) {
    XmlParse result;
    Builder builder;
    builder.parser = XML_ParserCreate(nullptr);
    if (!builder.parser) throw std::bad_alloc();
    XML_SetUserData(builder.parser, &builder);
    XML_SetElementHandler(builder.parser, startElement, endElement);
    XML_SetCharacterDataHandler(builder.parser, characters);
    bool parsed = true;
    // Fed in pieces that fit Expat's int length, whatever the body's size.
    constexpr size_t piece = 1 << 20;
    for (size_t at = 0; parsed && (at < text.size() || at == 0); at += piece) {
        size_t length = std::min(piece, text.size() - at);
        bool last = at + length >= text.size();
        parsed = XML_Parse(builder.parser, text.data() + at, static_cast<int>(length), last) == XML_STATUS_OK;
        if (last) break;
    }
    if (!parsed) {
        if (builder.error.empty())
            builder.error = "line " + std::to_string(XML_GetCurrentLineNumber(builder.parser)) + ", column " +
                            std::to_string(XML_GetCurrentColumnNumber(builder.parser) + 1) + ": " +
                            XML_ErrorString(XML_GetErrorCode(builder.parser));
        result.error = builder.error;
    } else {
        result.root = std::move(builder.root);
    }
    XML_ParserFree(builder.parser);
    return result;
}

}  // namespace conformance
