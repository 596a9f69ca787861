// Writes as a durable store sees them: each operation's complete change
// offered to the journal first, nothing in memory when the journal refuses,
// MOF compiled all or nothing, and the cimxml-mof command.
#include <fstream>

#include "om_fixture.h"

namespace omtest {
namespace {

// Everything in a namespace, as text: qualifier declarations, classes (deep,
// with everything) and instances.
std::string dump(cimom::ObjectManager &om, const std::wstring &nameSpace) {
    std::string text;
    std::vector<cimobj::QualifierTypePtr> declarations;
    if (!om.enumerateQualifiers(nameSpace, declarations).ok()) return "(no namespace)";
    for (auto &declaration : declarations) text += cimom::writeQualifierTypeMof(declaration.get());
    std::vector<cimobj::ClassPtr> classes;
    om.enumerateClasses(nameSpace, L"", true, {false, true, true, std::nullopt}, classes);
    for (auto &c : classes) {
        text += describe(c.get());
        std::vector<cimobj::InstancePtr> instances;
        om.enumerateInstances(nameSpace, std::wstring(cimobj::view(getClassName(c.get()))),
                              {false, false, false, false, std::nullopt}, instances);
        for (auto &i : instances) text += describe(i.get());
    }
    return text;
}

class Recorder : public cimom::Journal {
public:
    cimom::Status commit(const std::vector<cimom::Change> &changes) override {
        static const char *const kinds[] = {"put namespace",  "remove namespace", "put qualifier", "remove qualifier",
                                            "put class",      "remove class",     "put instance",  "remove instance"};
        for (const cimom::Change &change : changes) {
            steps += std::string(kinds[static_cast<int>(change.kind)]) + " " + toUtf8(change.nameSpace) + " " +
                     toUtf8(change.name) + (change.key.empty() ? "" : " [" + toUtf8(change.key) + "]");
            if (change.cimClass) steps += " " + std::to_string(getLength(change.cimClass->properties)) + " local";
            if (change.instance) steps += " " + describe(getInstancePath(change.instance));
            steps += "\n";
        }
        steps += "--\n";
        return refuse ? cimom::Status::error(1, "disk full") : cimom::Status{};
    }
    std::string steps;
    bool refuse = false;
};

class RepositoryWrites : public ObjectManagerTest {
protected:
    std::string extraMof() const override { return "instance of T_Leaf { Name = \"l1\"; };\n"; }
};

TEST_F(RepositoryWrites, TheJournalSeesWholeChangesAndMayRefuseThem) {
    auto journal = std::make_shared<Recorder>();
    om->setJournal(journal);
    EXPECT_EQ(compile("class T_Twig : T_Leaf { string Bud; };\ninstance of T_Twig { Name = \"t1\"; };"), "");
    EXPECT_TRUE(om->deleteClass(L"test", L"T_Middle").ok());
    EXPECT_EQ(journal->steps,
              "put class test T_Twig 1 local\n--\n"
              "put instance test T_Twig [name=t1,] test:T_Twig.Name=\"t1\"\n--\n"
              "remove instance test T_Twig [name=t1,]\nremove class test T_Twig\n"
              "remove instance test T_Leaf [name=l1,]\nremove class test T_Leaf\nremove class test T_Middle\n--\n");

    const std::string before = dump(*om, L"test");
    journal->refuse = true;
    journal->steps.clear();
    cimobj::PathPtr made;
    EXPECT_EQ(statusText(handle.pfn_deleteClass(pathOf("T_Link").get())), "1: disk full");
    EXPECT_EQ(om->createInstance(L"test", *instanceOf("T_Other", {{"Id", "5"}}), made).message, "disk full");
    EXPECT_EQ(om->createNamespace(L"root/more").code, 1);
    EXPECT_EQ(dump(*om, L"test"), before);
    EXPECT_EQ(journal->steps, "remove class test T_Link\n--\nput instance test T_Other [id=5,] test:T_Other.Id=5\n--\n"
                              "put namespace root/more \n--\n");
    // Loading what a store already holds passes by the journal.
    EXPECT_TRUE(om->createInstance(L"test", *instanceOf("T_Other", {{"Id", "5"}}), made, cimom::Journaling::Off).ok());
}

TEST_F(RepositoryWrites, MofThatFailsAnywhereLeavesTheRepositoryAsItWas) {
    const std::string before = dump(*om, L"test");
    const std::vector<std::string> namespacesBefore = {"test"};
    struct Row {
        const char *mof;
        std::string diagnostics;
    } rows[] = {
        {"class T_A { string X; };\nclass T_B : T_A {", "broken.mof:2:18: expected '}' to end the class body\n"},
        {"Qualifier Description : string = \"changed\", Scope(any);\nclass T_A { string X; };\n"
         "instance of T_A { X = \"x\"; };\ninstance of T_Other { Id = 5; };\ninstance of T_Other { Id = 5; };",
         "broken.mof:5:1: instance of T_Other not created: instance T_Other.Id=5 already exists in namespace test\n"},
        {"#pragma namespace(\"root/fresh\")\nQualifier Key : boolean = false, Scope(property);\n"
         "class T_A { [Key] string X; };\nclass T_B : T_Gone { };",
         "broken.mof:4:1: class T_B not created: superclass T_Gone of class T_B does not exist\n"},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(compile(row.mof, "broken.mof"), row.diagnostics) << row.mof;
        EXPECT_EQ(dump(*om, L"test"), before) << row.mof;
        EXPECT_FALSE(om->hasNamespace(L"root/fresh"));
    }
}

std::string run(const std::string &arguments, int &exitCode) {
    return commandOutput(CIMXML_BINARY_DIR "/tools/mof/cimxml-mof " + arguments, &exitCode);
}

TEST(CimxmlMof, ReportsEveryErrorWithItsPlaceAndFailsTheExit) {
    const std::string folder = ::testing::TempDir();
    std::ofstream(folder + "good.mof") << "class Test_Thing : CIM_ManagedElement { [Key] string Id; };\n";
    std::ofstream(folder + "bad.mof") << "instance of Test_Thing { Id = \"a\"; };\n"
                                         "instance of Test_Thing { Id = \"a\"; };\n";
    int exitCode = -1;
    EXPECT_EQ(run(folder + "good.mof " + folder + "bad.mof", exitCode),
              folder + "bad.mof:2:1: instance of Test_Thing not created: instance Test_Thing.Id=\"a\" already exists "
                       "in namespace root/cimv2\n");
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(run(folder + "good.mof", exitCode), "");
    EXPECT_EQ(exitCode, 0);
    std::string help = run("--help", exitCode);
    EXPECT_EQ(help.substr(0, help.find('\n')),
              "usage: cimxml-mof [-n NAMESPACE] [-I DIR]... [--schema DIR] [--repository FILE] [--bare] FILE.mof...");
    EXPECT_EQ(exitCode, 0);
}

}  // namespace
}  // namespace omtest
