// mof_parser.h - reads MOF files (with the files they include) into
// declarations, collecting every syntax error instead of stopping at the first.
#pragma once

#include <string>
#include <vector>

#include "cimom/mof.h"
#include "mof/mof_ast.h"

namespace cimom::mof {

// Where a declaration starts. The first pass keeps only these, not the
// declarations' trees: a file of a million instances must not be held as
// objects; each declaration is read again when its turn comes.
struct DeclarationStart {
    Location at;
    uint32_t nameSpace = 0;  // index into ParsedMof::namespaces
};

struct ParsedMof {
    SourceSet sources;
    std::vector<std::wstring> namespaces;
    std::vector<DeclarationStart> declarations;  // in file order, included files in place
    std::vector<MofDiagnostic> diagnostics;
};

// At most this many diagnostics are collected; parsing stops after them.
inline constexpr size_t maxDiagnostics = 100;

// Checks the file at path (and the files it includes) and notes where each
// declaration starts, in file order; every syntax error is a diagnostic. A
// file that cannot be read is a diagnostic of its own. The default namespace
// comes from options.
void parseMofFile(const std::string &path, const MofOptions &options, ParsedMof &parsed);
// The same for text held in memory, read as the file name (includes are
// looked up next to it).
void parseMofText(std::string text, const std::string &name, const MofOptions &options,
                  ParsedMof &parsed);
// The tree of a declaration the first pass accepted. Throws MofError only
// if the text reads differently the second time (it cannot).
DeclarationAst readDeclaration(const ParsedMof &parsed, const DeclarationStart &start);

}  // namespace cimom::mof
