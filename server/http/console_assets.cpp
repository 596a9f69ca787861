// console_assets.cpp - the console's files and their headers.
#include "console_assets.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "program_folder.h"

namespace cimxmld {

namespace {

const char *typeOf(const std::filesystem::path &file) {
    const std::string extension = file.extension().string();
    if (extension == ".html") return "text/html; charset=utf-8";
    if (extension == ".js") return "text/javascript; charset=utf-8";
    if (extension == ".css") return "text/css; charset=utf-8";
    if (extension == ".svg") return "image/svg+xml";
    if (extension == ".png") return "image/png";
    return "application/octet-stream";
}

}  // namespace

void addConsoleHeaders(Response &response) {
    response.headers.emplace("Content-Security-Policy",
                             "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
                             "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
    response.headers.emplace("X-Content-Type-Options", "nosniff");
    response.headers.emplace("X-Frame-Options", "DENY");
    response.headers.emplace("Referrer-Policy", "no-referrer");
    response.headers.emplace("Cache-Control", "no-cache");
}

std::unique_ptr<ConsoleAssets> ConsoleAssets::load(const std::string &folder, std::string &error) {
    auto assets = std::make_unique<ConsoleAssets>();
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        if (!in) {
            error = "console file " + entry.path().string() + " cannot be read";
            return nullptr;
        }
        assets->files_[entry.path().filename().string()] = File{typeOf(entry.path()), content.str()};
    }
    if (ec) {
        error = "console folder " + folder + " cannot be read: " + ec.message();
        return nullptr;
    }
    if (!assets->files_.count("index.html")) {
        error = "console folder " + folder + " has no index.html";
        return nullptr;
    }
    return assets;
}

std::string ConsoleAssets::defaultFolder() {
    const std::string folder = programFolder();
    std::filesystem::path installed = std::filesystem::path(folder) / CIMXMLD_CONSOLE_FROM_PROGRAM;
    std::error_code ec;
    if (!folder.empty() && std::filesystem::is_regular_file(installed / "index.html", ec))
        return installed.lexically_normal().string();
    return CIMXMLD_SOURCE_CONSOLE_DIR;
}

bool ConsoleAssets::covers(const std::string &target) {
    return target == "/console" || target.rfind("/console/", 0) == 0 || target.rfind("/console?", 0) == 0;
}

Response ConsoleAssets::answer(const std::string &target) const {
    std::string name = target.substr(0, target.find('?'));
    name = name.size() <= std::string("/console/").size() ? "index.html" : name.substr(std::string("/console/").size());
    Response response;
    auto found = files_.find(name);
    if (found == files_.end()) {
        response.status = 404;
        response.setBody("no console file " + name + "\n", "text/plain; charset=utf-8");
    } else {
        response.setBody(found->second.content, found->second.type.c_str());
    }
    addConsoleHeaders(response);
    return response;
}

}  // namespace cimxmld
