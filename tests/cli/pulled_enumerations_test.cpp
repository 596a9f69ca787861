// cimxml-cli's pulled enumerations against the real cimxmld: in pieces of
// 1, of 7 and of the whole set they print exactly what the traditional
// operation prints, in every output form; a classic server that has no
// pulls gets the traditional operation silently; enumeration-count; and
// Ctrl-C between pieces, or a reader that goes away, closes the
// enumeration on the server.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "replay_server.h"

namespace clitest {
namespace {

using httptest::CommandResult;
using httptest::ServerProcess;

constexpr int items = 23;   // not a multiple of 7
constexpr int bulk = 2000;  // far more output than a pipe holds

std::string fixtureMof() {
    std::string path = testing::TempDir() + "cli_pull_" + std::to_string(getpid()) + ".mof";
    std::ofstream mof(path);
    mof << "class Pull_Item { [Key] string Name; string Text; uint32 Rank; };\n"
           "class Pull_Special : Pull_Item { boolean Shiny; };\n"
           "class Pull_Group { [Key] string Id; };\n"
           "[Association] class Pull_Member { [Key] Pull_Group REF Group; [Key] Pull_Item REF Item; };\n"
           "class Pull_Bulk { [Key] uint32 Id; string Text; };\n"
           "instance of Pull_Group { Id = \"g\"; };\n";
    for (int i = 0; i < items; ++i) {
        mof << "instance of " << (i % 5 == 0 ? "Pull_Special" : "Pull_Item") << " { Name = \"item-" << i
            << "\"; Text = \"text " << i << "\"; Rank = " << i << (i % 5 == 0 ? "; Shiny = true" : "") << "; };\n";
        if (i % 2 == 0)
            mof << "instance of Pull_Member { Group = \"Pull_Group.Id=\\\"g\\\"\"; Item = \""
                << (i % 5 == 0 ? "Pull_Special" : "Pull_Item") << ".Name=\\\"item-" << i << "\\\"\"; };\n";
    }
    for (int i = 0; i < bulk; ++i)
        mof << "instance of Pull_Bulk { Id = " << i << "; Text = \"" << std::string(200, 'a' + i % 26) << "\"; };\n";
    return path;
}

std::string metrics(int port) {
    httptest::RawConnection connection(port);
    connection.send("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
    return connection.receive().body;
}

// The value of a metric without labels; -1 when absent.
long metric(const std::string &text, const std::string &name) {
    size_t at = text.find("\n" + name + " ");
    return at == std::string::npos ? -1 : std::stol(text.substr(at + name.size() + 2));
}

size_t count(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}
size_t lines(const std::string &text) { return count(text, "\n"); }

struct Enumeration {
    const char *name;
    std::vector<std::string> args;  // "@" opens an argument with http://127.0.0.1:PORT/root/cimv2
    size_t results;                 // in the JSON form
};

const std::string group = "@:Pull_Group.Id=\"g\"";
const Enumeration enumerations[] = {
    {"enumerate-instances", {"enumerate-instances", "@:Pull_Item"}, items},
    {"enumerate-instances, class origins and two properties",
     {"enumerate-instances", "@:Pull_Item", "--include-class-origin", "--property-list", "Rank,Shiny"},
     items},
    {"enumerate-instance-names", {"enumerate-instance-names", "@:Pull_Item"}, items},
    {"associators", {"associators", group, "--assoc-class", "Pull_Member"}, (items + 1) / 2},
    {"associator-names", {"associator-names", group, "--result-class", "Pull_Special"}, 3},
    {"references", {"references", group, "--role", "Group", "--property-list", "Item"}, (items + 1) / 2},
    {"reference-names", {"reference-names", group}, (items + 1) / 2},
    {"exec-query", {"exec-query", "@", "SELECT Name, Rank FROM Pull_Item WHERE Rank > 4"}, items - 5},
};

CommandResult runWith(int port, std::vector<std::string> args, std::vector<std::string> more) {
    std::string url = "http://127.0.0.1:" + std::to_string(port) + "/root/cimv2";
    for (std::string &arg : args)
        if (arg[0] == '@') arg = url + arg.substr(1);
    args.insert(args.end(), more.begin(), more.end());
    return runTool(args);
}

TEST(PulledEnumerations, PrintWhatTheTraditionalOperationsPrint) {
    const std::string mof = fixtureMof();
    ServerProcess strict({"--host-name", "testhost", "--mof", mof});
    ServerProcess classic({"--host-name", "testhost", "--mof", mof, "--profile", "classic"});
    long pulled = 0;
    for (const Enumeration &e : enumerations) {
        for (const char *form : {"json", "mof"}) {
            SCOPED_TRACE(std::string(e.name) + " -o " + form);
            CommandResult whole = runWith(strict.port(), e.args, {"-o", form, "--no-pull"});
            ASSERT_EQ(whole.status, 0) << whole.err;
            if (std::string(form) == "json") {
                EXPECT_EQ(lines(whole.out), e.results) << whole.out;
            }
            for (const char *piece : {"1", "7", "10000"}) {
                SCOPED_TRACE(std::string("--max-object-count ") + piece);
                CommandResult inPieces = runWith(strict.port(), e.args, {"-o", form, "--max-object-count", piece});
                EXPECT_EQ(inPieces.status, 0);
                EXPECT_EQ(inPieces.err, "");
                EXPECT_EQ(inPieces.out, whole.out);
                ++pulled;
            }
            // The classic profile answers every open CIM_ERR_NOT_SUPPORTED.
            CommandResult fallen = runWith(classic.port(), e.args, {"-o", form});
            EXPECT_EQ(fallen.status, 0);
            EXPECT_EQ(fallen.err, "");
            EXPECT_EQ(fallen.out, runWith(classic.port(), e.args, {"-o", form, "--no-pull"}).out);
            EXPECT_EQ(lines(fallen.out), lines(whole.out));
        }
    }
    // Every one of them pulled, and every one ended its enumeration.
    std::string figures = metrics(strict.port());
    EXPECT_EQ(metric(figures, "cimxmld_enumeration_contexts_opened_total"), pulled) << figures;
    EXPECT_EQ(metric(figures, "cimxmld_enumeration_contexts_closed_total"), pulled);
    EXPECT_EQ(metric(figures, "cimxmld_enumeration_contexts_open"), 0);

    // Each piece is its own answer in the raw form.
    CommandResult xml = runWith(strict.port(), {"enumerate-instance-names", "@:Pull_Item"},
                                {"-o", "xml", "--max-object-count", "10"});
    EXPECT_EQ(xml.status, 0);
    EXPECT_EQ(count(xml.out, "<IMETHODRESPONSE NAME=\"OpenEnumerateInstancePaths\">"), 1u) << xml.out;
    EXPECT_EQ(count(xml.out, "<IMETHODRESPONSE NAME=\"PullInstancePaths\">"), 2u);
    EXPECT_EQ(count(xml.out, "<INSTANCEPATH>"), static_cast<size_t>(items));

    struct Step {
        std::vector<std::string> args;
        std::string out;
        int status;
        std::string err;
        bool classicServer = false;
    } steps[] = {
        {{"enumeration-count", "@:Pull_Item"}, "23\n", 0, ""},
        {{"enumeration-count", "@:Pull_Special", "-o", "json"}, "{\"kind\":\"count\",\"count\":5}\n", 0, ""},
        {{"enumerate-instance-names", "@:Pull_Item", "--filter-query", "Rank < 3", "--max-object-count", "2"},
         "root/cimv2:Pull_Item.Name=\"item-1\"\nroot/cimv2:Pull_Item.Name=\"item-2\"\n"
         "root/cimv2:Pull_Special.Name=\"item-0\"\n",
         0, ""},
        {{"enumerate-instance-names", "@:Pull_Item", "--filter-query", "Rank < 3", "--no-pull"},
         "", 64,
         "cimxml-cli: enumerate-instance-names: --filter-query needs a pulled enumeration (not with --no-pull, "
         "--local-only, --include-qualifiers, --deep-inheritance=false or a class for an instance)\n"},
        {{"enumerate-instance-names", "@:Pull_Item", "--filter-query", "Rank <", "--filter-query-language", "WQL"},
         "", 14, "cimxml-cli: CIM_ERR_QUERY_LANGUAGE_NOT_SUPPORTED (14): "},
        {{"enumeration-count", "@:Pull_Item", "--filter-query", "Rank < 3"}, "", 7, "cimxml-cli: CIM_ERR_NOT_SUPPORTED (7): "},
        {{"enumeration-count", "@:Pull_Item"}, "", 7, "cimxml-cli: CIM_ERR_NOT_SUPPORTED (7)\n", true},
        {{"enumerate-instances", "@:Pull_Item", "--filter-query", "Rank < 3"}, "", 7,
         "cimxml-cli: CIM_ERR_NOT_SUPPORTED (7)\n", true},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.args.back());
        CommandResult result = runWith(step.classicServer ? classic.port() : strict.port(), step.args, {});
        EXPECT_EQ(result.out, step.out);
        EXPECT_EQ(result.err.substr(0, step.err.size()), step.err);
        EXPECT_EQ(result.status, step.status);
    }
    // The count that failed closed its enumeration all the same.
    EXPECT_EQ(metric(metrics(strict.port()), "cimxmld_enumeration_contexts_open"), 0);
    ::unlink(mof.c_str());
}

// Ctrl-C while the output waits for a reader (the instances' MOF is far
// more than a pipe holds), and a reader that goes away: either way the
// program stops after the object it is writing and closes the enumeration;
// it ends with 130, or by SIGPIPE as a write to a closed pipe ends it.
TEST(PulledEnumerations, InterruptAndClosedOutputCloseTheEnumeration) {
    const std::string mof = fixtureMof();
    ServerProcess server({"--mof", mof});
    std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/root/cimv2:Pull_Bulk";
    const std::string each = "instance of Pull_Bulk\n";
    for (bool interrupt : {true, false}) {
        SCOPED_TRACE(interrupt ? "SIGINT" : "closed output");
        int out[2], err[2];
        ASSERT_EQ(pipe(out), 0);
        ASSERT_EQ(pipe(err), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(out[1], 1);
            dup2(err[1], 2);
            close(out[0]);
            close(err[0]);
            execl(CIMXML_CLI_PATH, CIMXML_CLI_PATH, "enumerate-instances", url.c_str(), "--max-object-count", "1",
                  static_cast<char *>(nullptr));
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        // Read until the first instance, then interrupt (and read to the end) or stop reading.
        std::string printed;
        char buffer[4096];
        bool stopped = false;
        while (out[0] >= 0) {
            pollfd ready{out[0], POLLIN, 0};
            if (poll(&ready, 1, 20000) <= 0) break;
            ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0) break;
            printed.append(buffer, n);
            if (!stopped && printed.find(each) != std::string::npos) {
                EXPECT_EQ(metric(metrics(server.port()), "cimxmld_enumeration_contexts_open"), 1);
                stopped = true;
                if (interrupt) {
                    kill(child, SIGINT);
                } else {
                    close(out[0]);
                    out[0] = -1;
                }
            }
        }
        std::string complaint;
        for (ssize_t n; (n = read(err[0], buffer, sizeof buffer)) > 0;) complaint.append(buffer, n);
        if (out[0] >= 0) close(out[0]);
        close(err[0]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (interrupt) {
            ASSERT_TRUE(WIFEXITED(status)) << status;
            EXPECT_EQ(WEXITSTATUS(status), 130);
            EXPECT_EQ(complaint, "cimxml-cli: interrupted; the enumeration was closed\n");
            EXPECT_LT(count(printed, each), static_cast<size_t>(bulk));
            EXPECT_EQ(printed.substr(printed.size() - 3), "};\n") << "whole instances only";
        } else {
            ASSERT_TRUE(WIFSIGNALED(status)) << status;
            EXPECT_EQ(WTERMSIG(status), SIGPIPE);
            EXPECT_EQ(complaint, "");
        }
        std::string figures = metrics(server.port());
        EXPECT_EQ(metric(figures, "cimxmld_enumeration_contexts_open"), 0) << figures;
        EXPECT_EQ(metric(figures, "cimxmld_enumeration_contexts_closed_total"), interrupt ? 1 : 2);
    }
    ::unlink(mof.c_str());
}

}  // namespace
}  // namespace clitest
