// repository_store_test.cpp - the durable repository: what is written comes
// back equal after a restart, a compile is one transaction, and files that
// cannot serve are refused with a clear reason.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include "cimom/om_fixture.h"
#include "cimom/store/store_fixture.h"

namespace storetest {
namespace {

TEST(RepositoryStore, EverythingWrittenComesBackEqualAfterARestart) {
    TempDir dir;
    std::string before;
    {
        auto om = openManager(dir.file("repository.db"));
        ASSERT_TRUE(om);
        writeEveryKind(*om);
        before = describeRepository(*om);
    }
    auto again = openManager(dir.file("repository.db"));
    ASSERT_TRUE(again);
    EXPECT_EQ(describeRepository(*again), before);
}

std::string sqlite(const std::string &file, const std::string &sql) {
    return omtest::commandOutput("sqlite3 " + file + " \"" + sql + "\"");
}

std::string cimxmlMof(const std::string &arguments, int *exitCode = nullptr) {
    return omtest::commandOutput(CIMXML_BINARY_DIR "/tools/mof/cimxml-mof " + arguments, exitCode);
}

std::string compile(cimom::ObjectManager &om, const std::string &mof) {
    cimom::MofOptions options;
    options.defaultNamespace = L"root/Store";
    std::string text;
    for (const cimom::MofDiagnostic &d : om.compileMofText(mof, "more.mof", options)) text += d.text() + "\n";
    return text;
}

// A dump loads into a bare repository to an equal one, whose dump is the
// same text; a namespace dumps alone.
TEST(RepositoryStore, DumpLoadsBackToAnEqualRepository) {
    TempDir dir;
    std::string first = dir.file("first.db"), second = dir.file("second.db"), mof = dir.file("all.mof");
    std::string expected;
    {
        auto om = openManager(first);
        writeEveryKind(*om);
        expected = describeRepository(*om);
    }
    int exitCode = -1;
    std::string dump = cimxmlMof("--dump --repository " + first, &exitCode);
    EXPECT_EQ(exitCode, 0);
    std::ofstream(mof) << dump;
    EXPECT_EQ(cimxmlMof("--bare --repository " + second + " " + mof, &exitCode), "");
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(cimxmlMof("--dump --repository " + second), dump);
    EXPECT_EQ(describeRepository(*openManager(second)), expected);
    EXPECT_EQ(cimxmlMof("--dump -n root/empty --repository " + second),
              "#pragma namespace(\"root/interop\")\n\ninstance of CIM_Namespace\n{\n    Name = \"root/empty\";\n};\n\n");
    EXPECT_EQ(cimxmlMof("--dump -n root/none --repository " + second, &exitCode),
              "cimxml-mof: namespace root/none is not in repository " + second + "\n");
    EXPECT_EQ(exitCode, 1);
}

// Files that cannot serve as a repository are refused at open, saying why,
// and left as they were.
TEST(RepositoryStore, RefusesFilesThatCannotServeAndSaysWhy) {
    auto makeRepository = [](const std::string &path) { openManager(path); };
    std::shared_ptr<cimom::ObjectManager> holder;  // keeps a file open as another process would
    const struct {
        const char *name;
        std::function<void(const std::string &)> make;
        const char *reason;
    } cases[] = {
        {"text.db", [](const std::string &path) { std::ofstream(path) << "not a database at all\n"; },
         "not an SQLite database"},
        {"other.db", [](const std::string &path) { sqlite(path, "CREATE TABLE notes(text)"); },
         "another application's database, not a repository"},
        {"newer.db",
         [&](const std::string &path) {
             makeRepository(path);
             sqlite(path, "UPDATE repository_format SET value = '2' WHERE name = 'version'");
         },
         "written by a newer version (repository format 2; this server reads format 1)"},
        {"damaged.db",
         [&](const std::string &path) {
             makeRepository(path);
             std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
             file.seekp(100);
             file << std::string(4000, '\x33');
         },
         "the file is damaged (database disk image is malformed)"},
        {"unloadable.db",
         [&](const std::string &path) {
             makeRepository(path);
             sqlite(path, "UPDATE qualifier_types SET mof = 'qualifier Key : boolean = maybe, scope(property);' "
                          "WHERE name = 'key' AND namespace = 'root/interop'");
         },
         "qualifier key in namespace root/interop does not load: qualifier key:1:27: expected a value, found "
         "'maybe'"},
        {"missing/folder.db", [](const std::string &) {}, "cannot open the file (unable to open database file)"},
        {"busy.db", [&](const std::string &path) { holder = openManager(path); }, "in use by another process"},
    };
    for (const auto &c : cases) {
        TempDir dir;
        std::string path = dir.file(c.name);
        c.make(path);
        std::string contents = omtest::commandOutput("cat " + path + " | md5sum");
        cimom::ObjectManager om;
        cimom::Status status;
        EXPECT_EQ(cimom::openRepository(om, path, status), nullptr) << c.name;
        EXPECT_EQ(status.message, "repository " + path + ": " + c.reason);
        EXPECT_EQ(omtest::commandOutput("cat " + path + " | md5sum"), contents) << c.name;
    }
}

// A file this process may not write is refused, not opened for reading
// only; root is turned into nobody to meet one.
TEST(RepositoryStore, RefusesAFileItCannotWrite) {
    TempDir dir;
    std::string path = dir.file("repository.db");
    openManager(path);
    std::filesystem::permissions(dir.path, std::filesystem::perms::owner_all | std::filesystem::perms::others_exec);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
    std::string asOther = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    int exitCode = 0;
    EXPECT_EQ(omtest::commandOutput(asOther + CIMXML_BINARY_DIR "/tools/mof/cimxml-mof --dump --repository " + path,
                                    &exitCode),
              "cimxml-mof: repository " + path + ": the file is read-only\n");
    EXPECT_EQ(exitCode, 2);
}

// While the process may not grow any file, a write and a compile fail
// with the reason and change nothing, in memory or on disk; then writes
// work again.
TEST(RepositoryStore, AWriteTheDiskRefusesChangesNothing) {
    TempDir dir;
    std::string path = dir.file("repository.db");
    std::shared_ptr<cimom::RepositoryStore> store;
    auto om = openManager(path, &store);
    writeEveryKind(*om);
    std::string before = describeRepository(*om);
    cimom::Status created;
    std::string compiled;
    {
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit none = old;
        none.rlim_cur = 0;
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &none);
        cimobj::PathPtr made;
        created = om->createInstance(L"root/Store", *omtest::instanceOf("S_Item", {{"Name", "four"}}), made);
        compiled = compile(*om, "class S_New { };\ninstance of S_Item { Name = \"five\"; };\n");
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
    }
    const std::string failure = "repository " + path + ": committing the transaction failed: disk I/O error";
    EXPECT_EQ(created.code, 1);
    EXPECT_EQ(created.message, failure);
    EXPECT_EQ(compiled, "more.mof: " + failure + "\n");
    EXPECT_EQ(describeRepository(*om), before);
    EXPECT_EQ(compile(*om, "instance of S_Item { Name = \"six\"; };"), "");
    std::string after = describeRepository(*om);
    om.reset();
    store.reset();
    EXPECT_EQ(describeRepository(*openManager(path)), after);
}

// On a disk that fills up, writes are acknowledged until one is refused
// with the reason; the file then holds exactly the acknowledged ones.
TEST(RepositoryStore, AFullDiskRefusesTheWriteAndKeepsEveryAcknowledgedOne) {
    TempDir dir;
    if (mount("tmpfs", dir.path.c_str(), "tmpfs", 0, "size=1m") != 0) GTEST_SKIP() << "no small tmpfs to fill here";
    std::string path = dir.file("repository.db");
    std::shared_ptr<cimom::RepositoryStore> store;
    auto om = openManager(path, &store);
    ASSERT_TRUE(om);
    ASSERT_EQ(compile(*om, "qualifier Key : boolean = false, scope(property);\n"
                           "class Fill { [Key] uint32 Id; string Text; };"),
              "");
    cimom::Status status;
    for (int id = 0; status.ok() && id < 100000; ++id) {
        cimobj::PathPtr made;
        status = om->createInstance(
            L"root/Store", *omtest::instanceOf("Fill", {{"Id", std::to_string(id)}, {"Text", std::string(500, 'x')}}),
            made);
    }
    EXPECT_EQ(status.message, "repository " + path + ": committing the transaction failed: database or disk is full");
    std::string acknowledged = describeRepository(*om);
    om.reset();
    store.reset();
    // The full disk has no room to open the file again: read a copy elsewhere.
    TempDir copy;
    for (const char *suffix : {"", "-wal"})
        std::filesystem::copy_file(path + suffix, copy.file(std::string("repository.db") + suffix));
    umount2(dir.path.c_str(), MNT_DETACH);
    EXPECT_EQ(describeRepository(*openManager(copy.file("repository.db"))), acknowledged);
}

}  // namespace
}  // namespace storetest
