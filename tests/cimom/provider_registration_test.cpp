// The registrations of command providers: what a good file gives, and the
// one line each wrong file gets, naming the file, the class and the fault.
#include <gtest/gtest.h>

#include "external/provider_registration.h"

namespace {

using cimom::external::parseProviderRegistration;
using cimom::external::ProviderRegistration;

TEST(ProviderRegistration, ReadsAGoodFileAndNamesWhatIsWrongInABadOne) {
    ProviderRegistration read;
    std::string problem;
    ASSERT_TRUE(parseProviderRegistration(
        "/etc/p/units.json",
        R"({"command": ["/bin/sh", "-c", "x"], "user": "daemon", "timeout": 3,
            "classes": [{"class": "Demo_Unit", "namespaces": ["root/cimv2", "root/x"], "kinds": ["instance", "method"]}]})",
        read, problem))
        << problem;
    EXPECT_EQ(read.name, "units");
    EXPECT_EQ(read.directory, "/etc/p");
    EXPECT_EQ(read.command, (std::vector<std::string>{"/bin/sh", "-c", "x"}));
    EXPECT_EQ(read.user, "daemon");
    EXPECT_EQ(read.timeoutSeconds, 3);
    ASSERT_EQ(read.classes.size(), 1u);
    EXPECT_TRUE(read.classes[0].className == L"Demo_Unit" && read.classes[0].namespaces.size() == 2 &&
                read.classes[0].instances && read.classes[0].methods);
    // A relative program is found in the registration's folder.
    ASSERT_TRUE(parseProviderRegistration("/bin/sh.json", R"({"command": ["sh"], "classes": [{"class": "A",
        "namespaces": ["n"], "kinds": ["instance"]}]})", read, problem)) << problem;
    EXPECT_EQ(read.command.front(), "/bin/sh");

    const std::string classes = R"("classes": [{"class": "A", "namespaces": ["n"], "kinds": ["instance"]}])";
    const struct {
        std::string text, problem;
    } wrong[] = {
        {"{", "f.json: not JSON: [json.exception.parse_error.101] parse error at line 1, column 2: syntax error "
              "while parsing object key - unexpected end of input; expected string literal"},
        {"[]", "f.json: expected a JSON object"},
        {R"({"command": ["/bin/sh"], "program": "x", )" + classes + "}",
         "f.json: unknown field \"program\" (command, library, user, timeout and classes are known)"},
        {R"({"command": "/bin/sh", )" + classes + "}",
         "f.json: \"command\" must be an array of strings: the program and its arguments"},
        {R"({"command": ["/nowhere/x"], )" + classes + "}", "f.json: program /nowhere/x is not there or cannot be run"},
        {R"({"command": ["/bin/sh"], "timeout": 0, )" + classes + "}",
         "f.json: \"timeout\" must be a number of seconds (1-3600)"},
        {R"({"command": ["/bin/sh"], "user": "", )" + classes + "}", "f.json: \"user\" must be the name of an account"},
        {R"({"command": ["/bin/sh"], "classes": []})", "f.json: \"classes\" must list the classes the provider serves"},
        {R"({"command": ["/bin/sh"], "classes": [{"class": "A", "kinds": ["instance"]}]})",
         "f.json: class A: \"namespaces\" must list the namespaces it is served in"},
        {R"({"command": ["/bin/sh"], "classes": [{"class": "A", "namespaces": ["n"], "kinds": ["relation"]}]})",
         "f.json: class A: kind \"relation\" is not one a command provider serves (instance, association, method, indication)"},
        {R"({"library": "/bin/sh", "classes": [{"class": "A", "namespaces": ["n"], "kinds": ["indication"]}]})",
         "f.json: class A: kind \"indication\" is not one a library provider serves (instance, association, method)"},
        {R"({"library": "/bin/sh", "command": ["/bin/sh"], )" + classes + "}",
         "f.json: needs either \"command\" (a program) or \"library\" (a shared library)"},
        {R"({"library": "/bin/sh", "timeout": 3, )" + classes + "}",
         "f.json: a library runs in the server: \"user\" and \"timeout\" are for commands"},
    };
    for (const auto &one : wrong) {
        EXPECT_FALSE(parseProviderRegistration("f.json", one.text, read, problem)) << one.text;
        EXPECT_EQ(problem, one.problem) << one.text;
    }
}

}  // namespace
