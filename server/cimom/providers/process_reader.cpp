// process_reader.cpp - /proc/PID/stat and its neighbours, parsed.
#include "providers/process_reader.h"

#include <dirent.h>

#include <array>
#include <charconv>
#include <climits>
#include <cstdio>

#include "providers/proc_files.h"

namespace cimom::live {

namespace {

template <class Number>
bool wholeNumber(std::string_view field, Number &number) {
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), number);
    return error == std::errc() && end == field.data() + field.size() && !field.empty();
}

// Calls each with every all-digit entry of /proc.
template <class Each>
void forEachProcessEntry(Each each) {
    DIR *proc = ::opendir("/proc");
    if (!proc) return;
    while (const dirent *entry = ::readdir(proc)) {
        const char *name = entry->d_name;
        if (*name < '1' || *name > '9') continue;
        const char *at = name;
        while (*at >= '0' && *at <= '9') ++at;
        if (*at == '\0') each(name);
    }
    ::closedir(proc);
}

// The number after "\n<label>" in a status file; false when absent.
bool statusNumber(std::string_view status, std::string_view label, unsigned long long &number) {
    std::size_t at = status.find(label);
    return at != std::string_view::npos && parseDecimal(status.substr(at + label.size()), number);
}

std::vector<std::string> splitArguments(std::string_view text) {
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\0', start);
        if (end == std::string_view::npos) end = text.size();
        arguments.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

}  // namespace

std::vector<pid_t> listProcessIds() {
    std::vector<pid_t> ids;
    forEachProcessEntry([&](const char *name) {
        long long pid = 0;
        if (wholeNumber(std::string_view(name), pid) && pid <= INT_MAX) ids.push_back(static_cast<pid_t>(pid));
    });
    return ids;
}

std::uint32_t countProcesses() {
    std::uint32_t count = 0;
    forEachProcessEntry([&](const char *) { ++count; });
    return count;
}

bool parseProcessStat(std::string_view text, ProcessFacts &facts) {
    // The name sits in parentheses and may itself hold ')', blanks or line
    // feeds; nothing after it can hold ')', so the last one closes it.
    std::size_t open = text.find('(');
    std::size_t close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return false;
    std::string_view head = text.substr(0, open);
    while (!head.empty() && head.back() == ' ') head.remove_suffix(1);
    long long pid = 0;
    if (!wholeNumber(head, pid) || pid <= 0 || pid > INT_MAX) return false;
    std::array<std::string_view, 22> fields;
    std::size_t count = 0, at = close + 1;
    while (count < fields.size()) {
        std::size_t start = text.find_first_not_of(" \n", at);
        if (start == std::string_view::npos) break;
        std::size_t end = text.find_first_of(" \n", start);
        if (end == std::string_view::npos) end = text.size();
        fields[count++] = text.substr(start, end - start);
        at = end;
    }
    if (count < fields.size() || fields[0].size() != 1) return false;
    facts.pid = static_cast<pid_t>(pid);
    facts.name.assign(text.substr(open + 1, close - open - 1));
    facts.state = fields[0][0];
    return wholeNumber(fields[1], facts.parent) && wholeNumber(fields[2], facts.group) &&
           wholeNumber(fields[3], facts.session) && wholeNumber(fields[4], facts.ttyNumber) &&
           wholeNumber(fields[11], facts.userTicks) && wholeNumber(fields[12], facts.kernelTicks) &&
           wholeNumber(fields[15], facts.priority) && wholeNumber(fields[16], facts.nice) &&
           wholeNumber(fields[17], facts.threads) && wholeNumber(fields[19], facts.startTicks) &&
           wholeNumber(fields[20], facts.virtualBytes) && wholeNumber(fields[21], facts.residentPages);
}

bool readProcess(pid_t pid, unsigned parts, bool requireProcess, ProcessFacts &facts) {
    facts = ProcessFacts{};
    thread_local std::string text;  // keeps its capacity from one process to the next
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    if (!readWholeFile(path, text) || !parseProcessStat(text, facts) || facts.pid != pid) return false;
    if (requireProcess || (parts & processStatus)) {
        std::snprintf(path, sizeof path, "/proc/%d/status", static_cast<int>(pid));
        if (!readWholeFile(path, text)) return false;
        unsigned long long number = 0;
        if (requireProcess && !(statusNumber(text, "\nTgid:", number) && number == static_cast<unsigned>(pid)))
            return false;
        if (statusNumber(text, "\nUid:", number)) facts.realUserId = number;
    }
    if (parts & processCommandLine) {
        std::snprintf(path, sizeof path, "/proc/%d/cmdline", static_cast<int>(pid));
        if (readWholeFile(path, text) && !text.empty()) facts.arguments = splitArguments(text);
    }
    if (parts & processExecutable) {
        std::snprintf(path, sizeof path, "/proc/%d/exe", static_cast<int>(pid));
        facts.executable = readLinkTarget(path);
    }
    if (parts & processWaitChannel) {
        std::snprintf(path, sizeof path, "/proc/%d/wchan", static_cast<int>(pid));
        if (readWholeFile(path, text) && text != "0") facts.waitChannel = text;
    }
    return true;
}

std::string terminalName(long long ttyNumber) {
    if (ttyNumber == 0) return {};
    auto major = static_cast<unsigned>((ttyNumber >> 8) & 0xfff);
    auto minor = static_cast<unsigned>((ttyNumber & 0xff) | ((ttyNumber >> 12) & 0xfff00));
    if (major >= 136 && major <= 143) return "pts/" + std::to_string((major - 136) * 256 + minor);
    if (major == 4 && minor < 64) return "tty" + std::to_string(minor);
    if (major == 4) return "ttyS" + std::to_string(minor - 64);
    return std::to_string(major) + ":" + std::to_string(minor);
}

std::optional<pid_t> processIdOf(std::wstring_view text) {
    if (text.empty() || text.size() > 10 || text[0] < L'1' || text[0] > L'9') return std::nullopt;
    long long pid = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        pid = pid * 10 + (c - L'0');
    }
    if (pid > INT_MAX) return std::nullopt;
    return static_cast<pid_t>(pid);
}

}  // namespace cimom::live
