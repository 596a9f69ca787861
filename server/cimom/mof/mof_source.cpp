// mof_source.cpp - the compile's texts and diagnostics located in them.
#include "mof/mof_source.h"

#include <algorithm>

namespace cimom {

std::string MofDiagnostic::text() const {
    if (line <= 0) return file + ": " + message;
    return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message;
}

namespace mof {

uint32_t SourceSet::add(std::string name, std::string text) {
    files_.push_back(File{std::move(name), std::move(text), {}});
    return static_cast<uint32_t>(files_.size() - 1);
}

MofDiagnostic SourceSet::diagnostic(const MofError &error) const {
    const File &file = files_[error.where.source];
    if (file.lineStarts.empty()) {
        file.lineStarts.push_back(0);
        for (size_t i = 0; i < file.text.size(); ++i)
            if (file.text[i] == '\n') file.lineStarts.push_back(i + 1);
    }
    size_t offset = std::min(error.where.offset, file.text.size());
    auto next = std::upper_bound(file.lineStarts.begin(), file.lineStarts.end(), offset);
    size_t lineStart = *(next - 1);
    int column = 1;
    for (size_t i = lineStart; i < offset; ++i)
        if ((static_cast<unsigned char>(file.text[i]) & 0xC0) != 0x80) ++column;  // UTF-8 lead bytes
    return MofDiagnostic{file.name, static_cast<int>(next - file.lineStarts.begin()), column, error.message};
}

}  // namespace mof
}  // namespace cimom
