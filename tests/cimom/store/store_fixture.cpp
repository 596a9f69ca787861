// store_fixture.cpp - temporary folders, a repository with every kind of
// object, and whole-repository text.
#include "cimom/store/store_fixture.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "cimom/om_fixture.h"

namespace storetest {

namespace {

using omtest::describe;

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
class Object { [Key] string Id; Object REF Next; object Inside; class Schema; };
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

cimobj::PathPtr itemPath(const std::string &name) { return omtest::pathOf("S_Item", {{"Name", name}}, "root/Store"); }

void expectOk(const cimom::Status &status, const char *what) { EXPECT_EQ(status.message, "") << what; }

// Types S_Holder's properties as a client's class does: embedded
// instances and classes rather than strings.
void typeEmbeddedProperties(cimom::ObjectManager &om) {
    cimobj::ClassPtr holder;
    expectOk(om.getClass(space, L"S_Holder", {true, true, false, std::nullopt}, holder), "get S_Holder");
    if (!holder) return;
    for (auto [name, type] : {std::pair{L"Object", int(CIM_OBJECT)}, std::pair{L"Schema", int(CIM_CLASS)},
                              std::pair{L"Objects", CIM_OBJECT + CIM_ARRAY}})
        freeReturnCode(propertyAddValue(findCIMProperty(holder->properties, name), newCIMValueNULL(type)));
    expectOk(om.modifyClass(space, *holder), "modify S_Holder");
}

// An S_Holder instance holding an embedded instance, class and array, and an
// instance in a string property.
void createHolder(cimom::ObjectManager &om) {
    cimobj::InstancePtr inner = omtest::instanceOf("S_Item", {{"Name", "inner"}, {"Text", "in \"quotes\""}});
    cimobj::ClassPtr schema;
    om.getClass(space, L"S_Item", {true, true, false, std::nullopt}, schema);
    cimobj::InstancePtr holder = omtest::instanceOf("S_Holder", {{"Id", "1"}});
    auto add = [&](const wchar_t *name, int type, CIMValue *value) {
        freeReturnCode(instanceAddProperty(holder.get(), newProperty(cimobj::makeString(name).release(), nullptr,
                                                                     value, type, nullptr, 0)));
    };
    add(L"Object", CIM_OBJECT, newCIMValue(CIM_OBJECT, copyCIMInstance(inner.get())));
    add(L"Schema", CIM_CLASS, newCIMValue(CIM_CLASS, schema.release()));
    add(L"Payload", CIM_OBJECT, newCIMValue(CIM_OBJECT, copyCIMInstance(inner.get())));
    CIMValueList *list = newCIMValueList();
    freeReturnCode(appendToCIMValueList(list, newCIMValue(CIM_OBJECT, inner.release())));
    add(L"Objects", CIM_OBJECT + CIM_ARRAY, newCIMValue(CIM_OBJECT + CIM_ARRAY, list));
    cimobj::PathPtr made;
    expectOk(om.createInstance(space, *holder, made), "create S_Holder");
}

}  // namespace

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "cimom-store-XXXXXX").string();
    path = mkdtemp(pattern.data()) ? pattern : std::string();
    EXPECT_FALSE(path.empty());
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

void writeEveryKind(cimom::ObjectManager &om) {
    expectOk(om.createNamespace(space), "create namespace");
    cimom::MofOptions options;
    options.defaultNamespace = space;
    std::string diagnostics;
    for (const auto &diagnostic : om.compileMofText(everyKindMof, "every_kind.mof", options))
        diagnostics += diagnostic.text() + "\n";
    EXPECT_EQ(diagnostics, "");
    typeEmbeddedProperties(om);
    createHolder(om);

    cimobj::InstancePtr changed = omtest::instanceOf("S_Item", {{"Text", "changed"}});
    expectOk(om.modifyInstance(space, *itemPath("one"), *changed, false, std::nullopt), "modify one");
    cimobj::ValuePtr codes(newCIMValue(CIM_UINT16 + CIM_ARRAY, newCIMValueList()));
    expectOk(om.setProperty(space, *itemPath("two"), L"Codes", codes.get()), "set two");
    expectOk(om.deleteInstance(space, *itemPath("three")), "delete three");
    cimobj::ClassPtr item;
    om.getClass(space, L"S_Item", {true, true, false, std::nullopt}, item);
    if (item) {
        setClassQualifiers(item.get(), newCIMQualifierList());
        expectOk(om.modifyClass(space, *item), "modify S_Item");
    }
    expectOk(om.deleteClass(space, L"S_Doomed"), "delete S_Doomed");
    expectOk(om.deleteQualifier(space, L"Gone"), "delete Gone");
    cimobj::QualifierTypePtr description;
    om.getQualifier(space, L"Description", description);
    if (description) {
        freeReturnCode(setQualifierValue(description.get(), newCIMValue(CIM_STRING, omtest::str("none").release())));
        expectOk(om.setQualifier(space, *description), "replace Description");
    }
    expectOk(om.createNamespace(L"root/empty"), "create root/empty");
    expectOk(om.createNamespace(L"root/gone"), "create root/gone");
    expectOk(om.deleteNamespace(L"root/gone"), "delete root/gone");
}

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
            text += describe(c.get());
            std::wstring className(cimobj::view(getClassName(c.get())));
            std::vector<cimobj::InstancePtr> instances;
            om.enumerateInstances(name, className, {false, true, false, true, std::nullopt}, instances);
            for (auto &i : instances)
                if (cimobj::view(getInstanceName(i.get())) == className) text += describe(i.get());
        }
    }
    return text;
}

std::shared_ptr<cimom::ObjectManager> openManager(const std::string &path,
                                                  std::shared_ptr<cimom::RepositoryStore> *store) {
    auto om = std::make_shared<cimom::ObjectManager>(L"testhost");
    cimom::Status status;
    std::shared_ptr<cimom::RepositoryStore> opened = cimom::openRepository(*om, path, status);
    EXPECT_EQ(status.message, "");
    if (store) *store = opened;
    return opened ? om : nullptr;
}

}  // namespace storetest
