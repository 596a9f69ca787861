// http_message.cpp - field look-up and body helpers.
#include "http_message.h"

namespace cimxmld {

const std::string *findField(const HeaderFields &fields, const std::string &name) {
    auto found = fields.find(name);
    return found == fields.end() ? nullptr : &found->second;
}

std::size_t Response::bodySize() const {
    std::size_t size = 0;
    for (const std::string &piece : body) size += piece.size();
    return size;
}

void Response::setBody(std::string text, const char *contentType) {
    body.clear();
    body.push_back(std::move(text));
    headers.erase("Content-Type");
    headers.emplace("Content-Type", contentType);
}

}  // namespace cimxmld
