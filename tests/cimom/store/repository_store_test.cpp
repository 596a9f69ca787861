// repository_store_test.cpp - the durable repository: what is written comes
// back equal after a restart and from a dump, and a file that cannot serve,
// or a disk that fails or fills, is refused with the reason and loses
// nothing acknowledged.
#include <gtest/gtest.h>

#include <sstream>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cimom/repository_store.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include "cimom/om_fixture.h"
#include "support/object_builders.h"

namespace storetest {
namespace {

using namespace fixtures;

const std::wstring space = L"root/Store";

const char everyKindMof[] = R"mof(
qualifier Key : boolean = false, scope(property, reference), flavor(DisableOverride, ToSubclass);
qualifier Association : boolean = false, scope(association), flavor(DisableOverride, ToSubclass);
qualifier Abstract : boolean = false, scope(class, association, indication), flavor(Restricted);
qualifier Description : string = null, scope(any), flavor(Translatable);
qualifier In : boolean = true, scope(parameter);
qualifier Out : boolean = false, scope(parameter);
qualifier Limits : sint8[2] = {-128, 127}, scope(property), flavor(EnableOverride, Restricted);
qualifier Gone : boolean = false, scope(any);
[Abstract, Description("the \"top\"\n")]
class S_Base {
    [Key] string Name;
    uint8 U8 = 255;
    sint64 S64 = -9223372036854775808;
    real32 R32 = 0.1;
    real64 R64 = -INF;
    real64 Nan = NaN;
    char16 C = '\x263A';
    datetime When = "20240131123000.000000+060";
    boolean Flags[] = {true, false};
};
class S_Item : S_Base {
    [Limits{1, 2}, Description("text")] string Text;
    uint16 Codes[];
    string Fixed[4];
    uint32 Run([In] string How, [Out] string Result[], [In] S_Base REF Target);
};
[Association] class S_Link { [Key] S_Base REF Left; [Key] S_Item REF Right; };
class S_Holder { [Key] uint32 Id; string Object; string Schema; string Objects[]; string Payload; };
[Association] class Object { [Key] string Id; Object REF Next; object Inside; class Schema; };
class S_Doomed { [Key] uint32 Id; };
class S_DoomedChild : S_Doomed { };
instance of S_Item { Name = "one"; Text = "tab\t\x1 \x263A \"q\" \\"; Codes = {1, 65535}; };
instance of S_Item { Name = "two"; R32 = null; Codes = {}; };
instance of S_Item { Name = "three"; };
instance of S_Link { Left = "S_Item.Name=\"one\""; Right = "root/Store:S_Item.Name=\"two\""; };
instance of S_DoomedChild { Id = 7; };
instance of Object { Id = "a"; Next = "Object.Id=\"a\""; Inside = instance of S_Item { Name = "in"; }; };
)mof"
    // Bytes that are not UTF-8 and a control character in a string.
    "instance of S_Item { Name = \"bytes\"; Text = \"\xFF\xFE \\x0001 end\"; };\n";

// A new folder under the tests' temporary folder, removed afterwards.
struct TempDir {
    TempDir() : path(::testing::TempDir() + "store-XXXXXX") { EXPECT_TRUE(mkdtemp(path.data())); }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string file(const std::string &name) const { return path + "/" + name; }
    std::string path;
};

std::string sqlite(const std::string &file, const std::string &sql) {
    return omtest::commandOutput("sqlite3 " + file + " \"" + sql + "\"");
}

std::string cimxmlMof(const std::string &arguments, int *exitCode = nullptr) {
    return omtest::commandOutput(CIMXML_BINARY_DIR "/tools/mof/cimxml-mof " + arguments, exitCode);
}

// Compiles into root/Store; the diagnostics one to a line.
std::string compile(cimom::ObjectManager &om, const std::string &mof) {
    cimom::MofOptions options;
    options.defaultNamespace = space;
    std::string text;
    for (const cimom::MofDiagnostic &d : om.compileMofText(mof, "more.mof", options)) text += d.text() + "\n";
    return text;
}

// An object manager on the repository file (made with the default schema
// when new), which it holds as its journal until it goes.
std::shared_ptr<cimom::ObjectManager> openManager(const std::string &path) {
    auto om = std::make_shared<cimom::ObjectManager>(L"testhost");
    cimom::Status status;
    bool opened = cimom::openRepository(*om, path, status) != nullptr;
    EXPECT_EQ(status.message, "");
    return opened ? om : nullptr;
}

// Everything om holds, as text: namespaces in order, and in each its
// qualifier declarations, classes with inherited members, origins and
// qualifiers, and each class's own instances in full.
std::string describeRepository(cimom::ObjectManager &om) {
    std::string text;
    for (const std::wstring &name : om.namespaces()) {
        text += "namespace " + cimobj::toUtf8(name) + "\n";
        std::vector<cimobj::QualifierTypePtr> declarations;
        om.enumerateQualifiers(name, declarations);
        for (auto &declaration : declarations) text += cimom::writeQualifierTypeMof(declaration.get());
        std::vector<cimobj::ClassPtr> classes;
        om.enumerateClasses(name, L"", true, {false, true, true, std::nullopt}, classes);
        for (auto &c : classes) {
            text += omtest::describe(c.get());
            std::wstring className(cimobj::view(getClassName(c.get())));
            std::vector<cimobj::InstancePtr> instances;
            om.enumerateInstances(name, className, {false, true, false, true, std::nullopt}, instances);
            for (auto &i : instances)
                if (cimobj::view(getInstanceName(i.get())) == className) text += omtest::describe(i.get());
        }
    }
    return text;
}

// Writes objects of every kind through om into root/Store, then changes and
// removes some: declarations replaced and removed, classes typed with
// embedded objects as a client's are, instances holding embedded objects
// (one in a string property), modified, set and deleted instances, a
// modified class, a deleted class with its subclass and instance, an empty
// namespace and a removed one.
void writeEveryKind(cimom::ObjectManager &om) {
    auto ok = [](const cimom::Status &status) { EXPECT_EQ(status.message, ""); };
    ok(om.createNamespace(space));
    EXPECT_EQ(compile(om, everyKindMof), "");
    cimobj::ClassPtr holder, item;
    om.getClass(space, L"S_Holder", {true, true, false, std::nullopt}, holder);
    om.getClass(space, L"S_Item", {true, true, false, std::nullopt}, item);
    ASSERT_TRUE(holder && item);
    for (auto [name, type] : {std::pair{L"Object", int(CIM_OBJECT)}, std::pair{L"Schema", int(CIM_CLASS)},
                              std::pair{L"Objects", CIM_OBJECT + CIM_ARRAY}})
        freeReturnCode(propertyAddValue(findCIMProperty(holder->properties, name), newCIMValueNULL(type)));
    ok(om.modifyClass(space, *holder));
    auto inner = [] {
        return instance_value(instance(L"S_Item", {property(L"Name", string_value(L"inner")),
                                                   property(L"Text", string_value(L"in \"quotes\""))}));
    };
    cimobj::PathPtr made;
    ok(om.createInstance(space,
                         *own(instance(L"S_Holder", {property(L"Id", string_value(L"1")), property(L"Object", inner()),
                                                     property(L"Schema", class_value(copyCIMClass(item.get()))),
                                                     property(L"Objects", array_value(CIM_OBJECT + CIM_ARRAY, {inner()})),
                                                     property(L"Payload", inner())})),
                         made));
    auto itemPath = [](const wchar_t *name) {
        auto named = own(path(L"S_Item", space.c_str()));
        add_key(named.get(), L"Name", string_value(name));
        return named;
    };
    ok(om.modifyInstance(space, *itemPath(L"one"), *own(instance(L"S_Item", {property(L"Text", string_value(L"changed"))})),
                         false, std::nullopt));
    ok(om.setProperty(space, *itemPath(L"two"), L"Codes", own(array_value(CIM_UINT16 + CIM_ARRAY, {})).get()));
    ok(om.deleteInstance(space, *itemPath(L"three")));
    setClassQualifiers(item.get(), newCIMQualifierList());
    ok(om.modifyClass(space, *item));
    ok(om.deleteClass(space, L"S_Doomed"));
    ok(om.deleteQualifier(space, L"Gone"));
    cimobj::QualifierTypePtr description;
    ok(om.getQualifier(space, L"Description", description));
    freeReturnCode(setQualifierValue(description.get(), string_value(L"none")));
    ok(om.setQualifier(space, *description));
    for (const wchar_t *name : {L"root/empty", L"root/gone"}) ok(om.createNamespace(name));
    ok(om.deleteNamespace(L"root/gone"));
}

// A restart gives back everything written, equal; so does a dump loaded
// into a bare repository, whose own dump is the same text. A namespace
// dumps alone.
TEST(RepositoryStore, ARestartAndADumpGiveBackAnEqualRepository) {
    TempDir dir;
    std::string first = dir.file("first.db"), second = dir.file("second.db"), mof = dir.file("all.mof");
    std::string expected;
    {
        auto om = openManager(first);
        ASSERT_TRUE(om);
        writeEveryKind(*om);
        expected = describeRepository(*om);
    }
    EXPECT_EQ(describeRepository(*openManager(first)), expected);
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

// Classes come back whatever order their references were made in, at a
// restart and through a dump: an association modified to refer to a newer
// class, and one whose referenced class was modified after it. A class
// another one refers to cannot be deleted, so no dump is left dangling.
TEST(RepositoryStore, ClassesComeBackWhateverOrderTheirReferencesWereMadeIn) {
    TempDir dir;
    std::string file = dir.file("refs.db"), copy = dir.file("copy.db"), mof = dir.file("refs.mof"), expected;
    {
        auto om = openManager(file);
        ASSERT_TRUE(om);
        EXPECT_EQ(om->createNamespace(space).message, "");
        EXPECT_EQ(compile(*om, "Qualifier Key : boolean = false, Scope(property, reference), Flavor(DisableOverride);\n"
                               "Qualifier Association : boolean = false, Scope(association), Flavor(DisableOverride);\n"
                               "class S_End { [Key] string K; };\n"
                               "[Association] class S_Link { [Key] S_End REF A; };\n"
                               "class S_Later { [Key] string K; };\n"),
                  "");
        EXPECT_EQ(om->deleteClass(space, L"S_End").message,
                  "class S_End cannot be deleted: property S_Link.A refers to class S_End");
        cimobj::ClassPtr end;
        om->getClass(space, L"S_End", {true, true, false, std::nullopt}, end);
        ASSERT_TRUE(end);
        freeReturnCode(appendToCIMPropertyList(end->properties, typed_property(L"Extra", CIM_STRING, nullptr)));
        EXPECT_EQ(om->modifyClass(space, *end).message, "");
        cimobj::ClassPtr link;
        om->getClass(space, L"S_Link", {true, true, false, std::nullopt}, link);
        ASSERT_TRUE(link);
        CIMValue *later = newCIMValueNULL(CIM_REFERENCE);
        setCIMValueReferenceType(later, str(L"S_Later"));
        CIMProperty *b = typed_property(L"B", CIM_REFERENCE, later);
        add_qualifier(b, boolean_qualifier(L"Key", 1));
        freeReturnCode(appendToCIMPropertyList(link->properties, b));
        EXPECT_EQ(om->modifyClass(space, *link).message, "");
        expected = describeRepository(*om);
    }
    EXPECT_EQ(describeRepository(*openManager(file)), expected);
    // The dump puts each class after those it refers to, so it loads; the
    // copy holds the same objects (made in another order) and dumps the same.
    std::string dump = cimxmlMof("--dump --repository " + file);
    std::ofstream(mof) << dump;
    EXPECT_EQ(cimxmlMof("--bare --repository " + copy + " " + mof), "");
    EXPECT_EQ(cimxmlMof("--dump --repository " + copy), dump);
}

// Files that cannot serve as a repository are refused at open, saying why,
// and left as they were. Each case makes its file: from text, by SQL on a
// new database or on a new repository, or by a function.
TEST(RepositoryStore, RefusesFilesThatCannotServeAndSaysWhy) {
    std::shared_ptr<cimom::ObjectManager> holder;  // keeps a file open as another process would
    const struct {
        const char *name, *text, *sql;
        bool repository;
        std::function<void(const std::string &)> make;
        const char *reason;
    } cases[] = {
        {"text.db", "not a database at all\n", nullptr, false, {}, "not an SQLite database"},
        {"other.db", nullptr, "CREATE TABLE notes(text)", false, {}, "another application's database, not a repository"},
        {"newer.db", nullptr, "UPDATE repository_format SET value = '2' WHERE name = 'version'", true, {},
         "written by a newer version (repository format 2; this server reads format 1)"},
        {"unloadable.db", nullptr,
         "UPDATE qualifier_types SET mof = 'qualifier Key : boolean = maybe, scope(property);' "
         "WHERE name = 'key' AND namespace = 'root/interop'",
         true, {},
         "qualifier key in namespace root/interop does not load: qualifier key:1:27: expected a value, found 'maybe'"},
        {"damaged.db", nullptr, nullptr, true,
         [](const std::string &path) {
             std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
             file.seekp(100);
             file << std::string(4000, '\x33');
         },
         "the file is damaged (database disk image is malformed)"},
        {"missing/folder.db", nullptr, nullptr, false, {}, "cannot open the file (unable to open database file)"},
        {"busy.db", nullptr, nullptr, false, [&](const std::string &path) { holder = openManager(path); },
         "in use by another process"},
    };
    for (const auto &c : cases) {
        TempDir dir;
        std::string path = dir.file(c.name);
        if (c.text) std::ofstream(path) << c.text;
        if (c.repository) openManager(path);
        if (c.sql) sqlite(path, c.sql);
        if (c.make) c.make(path);
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
    std::string program = CIMXML_BINARY_DIR "/tools/mof/cimxml-mof";
    std::string asOther;
    if (geteuid() == 0) {
        // Another user may not enter the build tree (a clone in /root): the
        // program and the project's libraries it loads go with the file.
        std::string bin = dir.file("bin");
        std::filesystem::create_directory(bin);
        std::istringstream loaded(omtest::commandOutput("ldd " + program));
        for (std::string line; std::getline(loaded, line);) {
            std::size_t at = line.find(CIMXML_BINARY_DIR);
            if (at == std::string::npos) continue;
            std::filesystem::path library = line.substr(at, line.find(' ', at) - at);
            std::filesystem::copy_file(library, bin / library.filename());
        }
        std::filesystem::copy_file(program, bin + "/cimxml-mof");
        program = bin + "/cimxml-mof";
        asOther = "LD_LIBRARY_PATH=" + bin + " setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
    int exitCode = 0;
    EXPECT_EQ(omtest::commandOutput(asOther + program + " --dump --repository " + path, &exitCode),
              "cimxml-mof: repository " + path + ": the file is read-only\n");
    EXPECT_EQ(exitCode, 2);
}

// A disk that fails: writes are acknowledged until one is refused with the
// reason (a compile too, as one transaction); memory keeps exactly the
// acknowledged ones, and once the disk recovers, so does the reopened file.
// The disk is a process that may not grow files (an I/O error), and a small
// tmpfs filled up where one can be mounted.
TEST(RepositoryStore, AFailingDiskRefusesTheWriteAndLosesNothingAcknowledged) {
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    const struct {
        const char *reason;
        std::function<bool(const std::string &folder)> mount;  // false: not here
        std::function<void(const std::string &folder)> fail, recover;
    } disks[] = {
        {"disk I/O error", [](const std::string &) { return true; },
         [&](const std::string &) {
             rlimit none{0, unlimited.rlim_max};
             setrlimit(RLIMIT_FSIZE, &none);
         },
         [&](const std::string &) { setrlimit(RLIMIT_FSIZE, &unlimited); }},
        {"database or disk is full",
         [](const std::string &folder) { return mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=2m") == 0; },
         [](const std::string &folder) {
             std::ofstream(folder + "/filler") << std::string(1200 * 1024, '.');
         },
         [](const std::string &folder) { std::filesystem::remove(folder + "/filler"); }},
    };
    for (const auto &disk : disks) {
        TempDir dir;
        if (!disk.mount(dir.path)) continue;
        std::string path = dir.file("repository.db");
        auto om = openManager(path);
        ASSERT_TRUE(om);
        EXPECT_EQ(compile(*om, "qualifier Key : boolean = false, scope(property);\n"
                               "class Fill { [Key] uint32 Id; string Text; };"), "");
        disk.fail(dir.path);
        cimom::Status status;
        int id = 0;
        for (; status.ok() && id < 100000; ++id) {
            cimobj::PathPtr made;
            auto filler = own(instance(L"Fill", {property(L"Id", uint32_value(id)),
                                                  property(L"Text", string_value(std::wstring(500, L'x').c_str()))}));
            status = om->createInstance(space, *filler, made);
        }
        std::string compiled = compile(*om, "class Fill_More { };\ninstance of Fill { Id = 999999; };\n");
        std::string held = describeRepository(*om);
        disk.recover(dir.path);
        const std::string failure = "repository " + path + ": committing the transaction failed: " + disk.reason;
        EXPECT_EQ(status.message, failure);
        EXPECT_EQ(compiled, "more.mof: " + failure + "\n");
        EXPECT_EQ(held.find("Id uint32 = " + std::to_string(id - 1) + "\n"), std::string::npos) << disk.reason;
        EXPECT_EQ(compile(*om, "instance of Fill { Id = 999999; };"), "");
        held = describeRepository(*om);
        om.reset();
        EXPECT_EQ(describeRepository(*openManager(path)), held);
        umount2(dir.path.c_str(), MNT_DETACH);
    }
    std::signal(SIGXFSZ, previous);
}

}  // namespace
}  // namespace storetest
