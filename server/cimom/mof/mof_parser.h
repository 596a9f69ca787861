// mof_parser.h - reads MOF files (with the files they include) into
// declarations, collecting every syntax error instead of stopping at the first.
#pragma once

#include <string>
#include <vector>

#include "cimom/mof.h"
#include "mof/mof_ast.h"

namespace cimom::mof {

struct ParsedMof {
    SourceSet sources;
    std::vector<std::wstring> namespaces;  // Declaration::nameSpace indexes this
    std::vector<Declaration> declarations; // in file order, included files in place
    std::vector<MofDiagnostic> diagnostics;
};

// At most this many diagnostics are collected; parsing stops after them.
inline constexpr size_t maxDiagnostics = 100;

// Parses the file at path into parsed (declarations in file order, every
// syntax error as a diagnostic). A file that cannot be read is a diagnostic
// of its own. The default namespace comes from options.
void parseMofFile(const std::string &path, const MofOptions &options, ParsedMof &parsed);
// The same for text held in memory, read as the file name (includes are
// looked up next to it).
void parseMofText(std::string text, const std::string &name, const MofOptions &options,
                  ParsedMof &parsed);

}  // namespace cimom::mof
