// The command line and the --config file: mistakes are named and stop the
// server before it listens; a config file's settings take effect and the
// command line overrides them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "server_process.h"

namespace {

using namespace httptest;

std::string writeConfig(const std::string &text) {
    std::string path = ::testing::TempDir() + "cimxmld_conf_" + std::to_string(getpid());
    std::ofstream(path) << text;
    return path;
}

TEST(Options, NameTheMistakeAndExit) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const std::string hint = "\nTry 'cimxmld --help'.\n";
    std::string config = writeConfig("# settings\nport 5990\nthreads = lots\n");
    const std::vector<Case> cases = {
        {{"--port", "x"}, 2, "cimxmld: --port: 'x' is not a port number" + hint},
        {{"--frobnicate"}, 2, "cimxmld: unknown option '--frobnicate'" + hint},
        {{"--profile", "lax"}, 2, "cimxmld: --profile: 'lax' is not strict or classic" + hint},
        {{"--log-level", "loud"}, 2, "cimxmld: --log-level: 'loud' is not error, warn, info or debug" + hint},
        {{"--threads"}, 2, "cimxmld: --threads needs a value" + hint},
        {{"--cert", "c.pem"}, 2, "cimxmld: --cert and --key go together" + hint},
        {{"--config", config}, 2, "cimxmld: " + config + ":3: threads: 'lots' is not a thread count (1-1024)" + hint},
        {{"--repository", "/nonexistent/r.db", "--port", "0"}, 1,
         "cimxmld: repository /nonexistent/r.db: cannot open the file (unable to open database file)\n"},
        {{"--module", "/nonexistent/libcimxml.so"}, 1,
         "cimxmld: cannot load the protocol module:\n  /nonexistent/libcimxml.so: /nonexistent/libcimxml.so: "
         "cannot open shared object file: No such file or directory\n"},
        {{"--bind", "0.0.0.0", "--port", "0"}, 2,
         "cimxmld: --bind 0.0.0.0: only a loopback address may be served without --passwd\n"},
        {{"--port", "0", "--passwd", "/nonexistent.passwd"}, 1,
         "cimxmld: cannot read password file '/nonexistent.passwd'\n"},
    };
    for (const Case &c : cases) {
        CommandResult result = runCimxmld(c.args);
        EXPECT_EQ(result.status, c.status) << c.args[0];
        EXPECT_EQ(result.err, c.err) << c.args[0];
        EXPECT_EQ(result.out, "") << c.args[0];
    }
    std::remove(config.c_str());
}

TEST(Options, ConfigFileSettingsApplyAndTheCommandLineWins) {
    std::string config = writeConfig("max-body = 100\nport 1\nprofile classic\n");
    ServerProcess server({"--config", config, "--port", "0"});
    RawConnection connection(server.port());
    connection.send(cimRequest(intrinsicBody("EnumerateClassNames", "")));
    EXPECT_EQ(connection.receive().head,
              "HTTP/1.1 413 Payload Too Large\r\nConnection: close\r\nContent-Length: 0\r\n");
    std::remove(config.c_str());
}

}  // namespace
