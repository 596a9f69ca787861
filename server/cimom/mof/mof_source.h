// mof_source.h - the texts one compile reads, positions in them, and the
// located error the compiler's stages throw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "cimom/mof.h"

namespace cimom::mof {

// A byte position in one of the compile's texts.
struct Location {
    uint32_t source = 0;
    size_t offset = 0;
};

// A located error. Thrown inside the compiler and caught at the declaration
// that met it, where it becomes a diagnostic.
struct MofError {
    Location where;
    std::string message;
};

[[noreturn]] inline void fail(Location where, std::string message) {
    throw MofError{where, std::move(message)};
}

// The texts of one compile (the files read and the texts given), kept until
// the compile ends so that tokens and diagnostics can point into them.
class SourceSet {
public:
    // Keeps name and text; returns the index locations use. Never fails
    // (std::bad_alloc aside).
    uint32_t add(std::string name, std::string text);
    const std::string &name(uint32_t source) const { return files_[source].name; }
    const std::string &text(uint32_t source) const { return files_[source].text; }
    // The diagnostic of an error: its file, line and column (both from 1;
    // columns count characters, not bytes) and message.
    MofDiagnostic diagnostic(const MofError &error) const;

private:
    struct File {
        std::string name;
        std::string text;
        mutable std::vector<size_t> lineStarts;  // filled on the first diagnostic
    };
    std::deque<File> files_;  // a deque keeps texts in place as files are added
};

}  // namespace cimom::mof
