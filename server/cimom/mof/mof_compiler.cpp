// mof_compiler.cpp - compileMofFile and compileMofText: parse everything,
// then type each declaration and hand it to the sink, in file order.
#include <new>

#include "cimom/mof.h"
#include "mof/mof_builder.h"
#include "mof/mof_parser.h"

namespace cimom {

namespace {

using mof::DeclarationAst;
using mof::MofError;

// "what not created: reason", the reason being the sink's message or status.
std::string refusal(const std::string &what, const Status &status) {
    return what + " not created: " +
           (status.message.empty() ? "status " + std::to_string(status.code) : status.message);
}

std::string utf8(std::wstring_view text) { return cimobj::toUtf8(text); }

// Builds one declaration and hands it to the sink. Throws MofError when it
// cannot be typed or the sink refuses it.
void deliver(const DeclarationAst &declaration, const std::wstring &nameSpace, mof::DeclarationBuilder &builder,
             MofSink &sink) {
    if (const auto *qualifier = std::get_if<mof::QualifierDeclAst>(&declaration)) {
        Status status = sink.setQualifierType(nameSpace, builder.qualifierType(*qualifier, nameSpace));
        if (!status.ok()) mof::fail(qualifier->at, refusal("qualifier " + utf8(qualifier->name), status));
    } else if (const auto *cls = std::get_if<mof::ClassAst>(&declaration)) {
        Status status = sink.createClass(nameSpace, builder.cimClass(*cls, nameSpace));
        if (!status.ok()) mof::fail(cls->at, refusal("class " + utf8(cls->name), status));
    } else if (const auto *instance = std::get_if<mof::InstanceAst>(&declaration)) {
        cimobj::InstancePtr object = builder.instance(*instance, nameSpace);
        // The alias falls back to the instance's own key path should the sink give none.
        cimobj::PathPtr ownPath;
        if (!instance->alias.empty()) ownPath.reset(newObjectPathFromInst(object.get()));
        cimobj::PathPtr newPath;
        Status status = sink.createInstance(nameSpace, std::move(object), newPath);
        if (!status.ok()) mof::fail(instance->at, refusal("instance of " + utf8(instance->className), status));
        if (!instance->alias.empty()) builder.defineAlias(instance->alias, newPath ? std::move(newPath) : std::move(ownPath));
    }
}

std::vector<MofDiagnostic> compileParsed(mof::ParsedMof &parsed, MofSink &sink) {
    if (!parsed.diagnostics.empty()) return std::move(parsed.diagnostics);
    mof::DeclarationBuilder builder(sink);
    for (const mof::DeclarationStart &start : parsed.declarations) {
        try {
            deliver(mof::readDeclaration(parsed, start), parsed.namespaces[start.nameSpace], builder, sink);
        } catch (const MofError &error) {
            return {parsed.sources.diagnostic(error)};
        }
    }
    return {};
}

}  // namespace

std::vector<MofDiagnostic> compileMofFile(const std::string &path, MofSink &sink, const MofOptions &options) {
    try {
        mof::ParsedMof parsed;
        mof::parseMofFile(path, options, parsed);
        return compileParsed(parsed, sink);
    } catch (const std::bad_alloc &) {
        return {MofDiagnostic{path, 0, 0, "out of memory"}};
    }
}

std::vector<MofDiagnostic> compileMofText(std::string_view text, const std::string &name, MofSink &sink,
                                          const MofOptions &options) {
    try {
        mof::ParsedMof parsed;
        mof::parseMofText(std::string(text), name, options, parsed);
        return compileParsed(parsed, sink);
    } catch (const std::bad_alloc &) {
        return {MofDiagnostic{name, 0, 0, "out of memory"}};
    }
}

}  // namespace cimom
