// mount_reader.cpp - /proc/self/mounts parsed, statvfs measured.
#include "providers/mount_reader.h"

#include <sys/statvfs.h>

#include <unordered_map>

#include "providers/proc_files.h"

namespace cimom::live {

namespace {

// A field of the table with its \ooo escapes (blank, tab, line feed,
// backslash) undone; an escape that is not three octal digits stays as written.
std::string unescaped(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        auto octal = [&](std::size_t at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            text.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
        } else {
            text.push_back(field[i]);
        }
    }
    return text;
}

std::vector<std::string_view> fieldsOf(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t end = line.find(separator, start);
        if (end == std::string_view::npos) end = line.size();
        if (end > start) fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

}  // namespace

bool MountFacts::readOnly() const {
    for (const std::string &option : options)
        if (option == "ro") return true;
    return false;
}

std::vector<MountFacts> parseMounts(std::string_view text) {
    std::vector<MountFacts> mounts;
    std::unordered_map<std::string, std::size_t> places;
    for (std::string_view line : fieldsOf(text, '\n')) {
        std::vector<std::string_view> fields = fieldsOf(line, ' ');
        if (fields.size() < 4) continue;
        MountFacts mount;
        mount.source = unescaped(fields[0]);
        mount.mountPoint = unescaped(fields[1]);
        mount.type = unescaped(fields[2]);
        for (std::string_view option : fieldsOf(fields[3], ',')) mount.options.push_back(unescaped(option));
        auto [place, added] = places.emplace(mount.mountPoint, mounts.size());
        if (added)
            mounts.push_back(std::move(mount));
        else
            mounts[place->second] = std::move(mount);
    }
    return mounts;
}

std::vector<MountFacts> readMounts() {
    std::string text;
    if (!readWholeFile("/proc/self/mounts", text)) return {};
    return parseMounts(text);
}

void measureMount(MountFacts &mount) {
    struct statvfs figures {};
    mount.measured = ::statvfs(mount.mountPoint.c_str(), &figures) == 0;
    if (!mount.measured) return;
    mount.blockSize = figures.f_bsize;
    mount.fragmentSize = figures.f_frsize ? figures.f_frsize : figures.f_bsize;
    mount.blocks = figures.f_blocks;
    mount.freeBlocks = figures.f_bfree;
    mount.availableBlocks = figures.f_bavail;
    mount.files = figures.f_files;
    mount.freeFiles = figures.f_ffree;
    mount.nameLength = figures.f_namemax;
}

}  // namespace cimom::live
