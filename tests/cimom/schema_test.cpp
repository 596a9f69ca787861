// schema_test.cpp - the default schema loads through the object manager,
// which refuses each class that breaks a rule of the repository; every
// concrete class can have instances, and the classes have what the live
// providers fill.
#include <set>

#include "om_fixture.h"

namespace omtest {
namespace {

// The object manager with the default schema, loaded once for the suite.
cimom::ObjectManager &schemaManager(std::string *errors = nullptr) {
    static cimom::ObjectManager om(L"here");
    static const std::string loaded = [] {
        std::string text;
        for (const cimom::MofDiagnostic &d : om.loadDefaultSchema()) text += d.text() + "\n";
        return text;
    }();
    if (errors) *errors = loaded;
    return om;
}

cimobj::ClassPtr resolvedClass(const std::wstring &nameSpace, const wchar_t *name) {
    cimobj::ClassPtr cimClass;
    schemaManager().getClass(nameSpace, name, {false, true, false, std::nullopt}, cimClass);
    return cimClass;
}

struct NamespaceFile {
    const wchar_t *nameSpace;
    std::vector<const wchar_t *> present, absent;
};

class DefaultSchema : public ::testing::TestWithParam<NamespaceFile> {};

TEST_P(DefaultSchema, LoadsUnderEveryRepositoryRuleAndEveryConcreteClassHasKeys) {
    const NamespaceFile &param = GetParam();
    std::string errors;
    cimom::ObjectManager &om = schemaManager(&errors);
    EXPECT_EQ(errors, "");
    for (auto *cls : param.present) EXPECT_TRUE(resolvedClass(param.nameSpace, cls)) << toUtf8(cls);
    for (auto *cls : param.absent) EXPECT_FALSE(resolvedClass(param.nameSpace, cls)) << toUtf8(cls);
    // Every concrete class can have instances: it has keys, and an
    // association's references are among them. Indications are never kept,
    // so they need none.
    std::vector<cimobj::ClassPtr> classes;
    ASSERT_TRUE(om.enumerateClasses(param.nameSpace, L"", true, {false, true, false, std::nullopt}, classes).ok());
    std::string keyless;
    for (auto &cls : classes) {
        const CIMQualifierList *quals = getClassQualifiers(cls.get());
        if (isBoolQualEnabledInList(quals, L"Abstract") || isBoolQualEnabledInList(quals, L"Indication")) continue;
        int keys = 0;
        for (int i = 0; i < getCIMPropertyListLength(cls->properties); ++i) {
            const CIMProperty *p = getCIMPropertyAt(cls->properties, i);
            keys += p->isKey;
            if (propertyIsRefType(p) && !p->isKey) keyless += toUtf8(getClassName(cls.get())) + "." + toUtf8(p->name) + " ";
        }
        if (keys == 0) keyless += toUtf8(getClassName(cls.get())) + " ";
    }
    EXPECT_EQ(keyless, "");
}

INSTANTIATE_TEST_SUITE_P(
    Files, DefaultSchema,
    ::testing::Values(
        NamespaceFile{L"root/cimv2",
                      {L"CIM_ManagedElement", L"CIM_ComputerSystem", L"CIM_OperatingSystem", L"CIM_UnixProcess",
                       L"CIM_UnixLocalFileSystem", L"CIM_HostedService", L"CIM_ServiceAffectsElement",
                       L"CIM_InstalledOS", L"CIM_RunningOS", L"CIM_OSProcess", L"CIM_HostedFileSystem",
                       L"CIM_AlertIndication", L"CIM_InstMethodCall", L"CIMXML_ComputerSystem",
                       L"CIMXML_OperatingSystem", L"CIMXML_UnixProcess", L"CIMXML_LocalFileSystem",
                       L"CIMXML_RunningOS", L"CIMXML_InstalledOS", L"CIMXML_OSProcess",
                       L"CIMXML_HostedFileSystem"},
                      {L"CIM_ObjectManager", L"CIM_Namespace"}},
        NamespaceFile{L"root/interop",
                      {L"CIM_ObjectManager", L"CIM_Namespace", L"CIM_NamespaceInManager",
                       L"CIM_ListenerDestinationCIMXML", L"CIM_IndicationFilter", L"CIM_IndicationSubscription",
                       L"CIM_RegisteredProfile", L"CIM_ElementConformsToProfile", L"CIM_ReferencedProfile",
                       L"CIM_CIMXMLCommunicationMechanism", L"CIM_CommMechanismForManager", L"CIM_HostedService",
                       L"CIM_InstCreation",
                       L"CIM_InstDeletion", L"CIM_InstModification", L"CIM_AlertIndication"},
                      {L"CIM_OperatingSystem", L"CIMXML_UnixProcess"}}),
    [](const auto &info) { return info.index == 0 ? std::string("root_cimv2") : std::string("root_interop"); });

// What the live providers fill, with the type each value must have.
TEST(DefaultSchemaProviders, ClassesHaveWhatTheProvidersFill) {
    const std::wstring ns = L"root/cimv2";
    struct Expected {
        const wchar_t *cls, *property;
        int type;
        bool key;
    };
    const Expected table[] = {
        {L"CIMXML_ComputerSystem", L"CreationClassName", CIM_STRING, true},
        {L"CIMXML_ComputerSystem", L"Name", CIM_STRING, true},
        {L"CIMXML_OperatingSystem", L"CSName", CIM_STRING, true},
        {L"CIMXML_OperatingSystem", L"Name", CIM_STRING, true},
        {L"CIMXML_OperatingSystem", L"OSType", CIM_UINT16, false},
        {L"CIMXML_OperatingSystem", L"Version", CIM_STRING, false},
        {L"CIMXML_OperatingSystem", L"LastBootUpTime", CIM_DATETIME, false},
        {L"CIMXML_OperatingSystem", L"LocalDateTime", CIM_DATETIME, false},
        {L"CIMXML_OperatingSystem", L"CurrentTimeZone", CIM_SINT16, false},
        {L"CIMXML_OperatingSystem", L"TotalVisibleMemorySize", CIM_UINT64, false},
        {L"CIMXML_OperatingSystem", L"FreePhysicalMemory", CIM_UINT64, false},
        {L"CIMXML_OperatingSystem", L"NumberOfProcesses", CIM_UINT32, false},
        {L"CIMXML_OperatingSystem", L"NumberOfUsers", CIM_UINT32, false},
        {L"CIMXML_UnixProcess", L"Name", CIM_STRING, false},
        {L"CIMXML_UnixProcess", L"ModulePath", CIM_STRING, false},
        {L"CIMXML_UnixProcess", L"Parameters", CIM_STRING + CIM_ARRAY, false},
        {L"CIMXML_UnixProcess", L"ExecutionState", CIM_UINT16, false},
        {L"CIMXML_UnixProcess", L"ParentProcessID", CIM_STRING, false},
        {L"CIMXML_UnixProcess", L"Priority", CIM_UINT32, false},
        {L"CIMXML_UnixProcess", L"CreationDate", CIM_DATETIME, false},
        {L"CIMXML_UnixProcess", L"UserModeTime", CIM_UINT64, false},
        {L"CIMXML_UnixProcess", L"KernelModeTime", CIM_UINT64, false},
        {L"CIMXML_UnixProcess", L"WorkingSetSize", CIM_UINT64, false},
        {L"CIMXML_UnixProcess", L"VirtualMemorySize", CIM_UINT64, false},
        {L"CIMXML_LocalFileSystem", L"CSName", CIM_STRING, true},
        {L"CIMXML_LocalFileSystem", L"Name", CIM_STRING, true},
        {L"CIMXML_LocalFileSystem", L"Root", CIM_STRING, false},
        {L"CIMXML_LocalFileSystem", L"FileSystemType", CIM_STRING, false},
        {L"CIMXML_LocalFileSystem", L"FileSystemSize", CIM_UINT64, false},
        {L"CIMXML_LocalFileSystem", L"AvailableSpace", CIM_UINT64, false},
        {L"CIMXML_LocalFileSystem", L"BlockSize", CIM_UINT64, false},
        {L"CIMXML_LocalFileSystem", L"ReadOnly", CIM_BOOLEAN, false},
        {L"CIMXML_LocalFileSystem", L"MountSource", CIM_STRING, false},
    };
    for (const auto &e : table) {
        cimobj::ClassPtr cls = resolvedClass(ns, e.cls);
        const CIMProperty *p = cls ? findCIMProperty(cls->properties, e.property) : nullptr;
        ASSERT_TRUE(p) << toUtf8(e.cls) << "." << toUtf8(e.property);
        EXPECT_EQ(std::pair(p->type, p->isKey != 0), std::pair(e.type, e.key)) << toUtf8(e.cls) << "." << toUtf8(e.property);
    }
    // The process keys, and no others: a provider builds paths from them.
    std::set<std::wstring> keys;
    cimobj::ClassPtr process = resolvedClass(ns, L"CIMXML_UnixProcess");
    for (int i = 0; i < getCIMPropertyListLength(process->properties); ++i)
        if (getCIMPropertyAt(process->properties, i)->isKey)
            keys.insert(std::wstring(cimobj::view(getCIMPropertyAt(process->properties, i)->name)));
    EXPECT_EQ(keys, (std::set<std::wstring>{L"CSCreationClassName", L"CSName", L"OSCreationClassName", L"OSName",
                                            L"CreationClassName", L"Handle"}));
    // The associations narrow their ends to the providers' classes.
    auto end = [&](const wchar_t *cls, const wchar_t *name) {
        return toUtf8(propertyGetReferenceClass(findCIMProperty(resolvedClass(ns, cls)->properties, name)));
    };
    EXPECT_EQ(end(L"CIMXML_OSProcess", L"PartComponent") + " " + end(L"CIMXML_RunningOS", L"Antecedent") + " " +
                  end(L"CIMXML_HostedFileSystem", L"GroupComponent"),
              "CIMXML_UnixProcess CIMXML_OperatingSystem CIMXML_ComputerSystem");
    cimobj::ClassPtr os;
    schemaManager().getClass(ns, L"CIMXML_OperatingSystem", {true, true, false, std::nullopt}, os);
    const std::string text = describe(os.get());
    EXPECT_EQ(text.substr(text.find("  uint32 GetLoadAverage(")),
              "  uint32 GetLoadAverage(real64 LoadAverage1 Out(true)/DT Description(\"Load average over the last "
              "minute.\")/ET, real64 LoadAverage5 Out(true)/DT Description(\"Load average over the last 5 minutes.\")/ET, "
              "real64 LoadAverage15 Out(true)/DT Description(\"Load average over the last 15 minutes.\")/ET) "
              "Description(\"Gives the system's load averages: the mean number of runnable tasks over the last 1, 5 "
              "and 15 minutes. Returns 0 on success.\")/ET ValueMap({\"0\",\"1\",\"2\"})/ET "
              "Values({\"Completed with No Error\",\"Not Supported\",\"Failed\"})/ET\n");
}

// A class that breaks a rule is refused with the member and the rule, and
// leaves the namespace as it was; one that narrows a reference is taken.
TEST(DefaultSchemaRules, CreateClassRefusesWhatBreaksARule) {
    struct Broken {
        const char *mof, *expected;
    };
    const Broken table[] = {
        {"class X_A { [Key, ValueMap{\"1\",\"2\"}, Values{\"One\"}] uint16 Id; };",
         "property X_A.Id has 2 ValueMap entries but 1 Values"},
        {"class X_A { [Key] uint16 Id; uint32 Go([In, ValueMap{\"1\"}, Values{}] uint16 How); };",
         "parameter How of method X_A.Go has 1 ValueMap entries but 0 Values"},
        {"[Association] class X_A { [Key] X_Missing REF Left; [Key] CIM_ManagedElement REF Right; };",
         "property X_A.Left refers to class X_Missing, which does not exist"},
        {"class X_A { [Key] string Id; uint32 Go([In] X_Missing REF Where); };",
         "parameter Where of method X_A.Go refers to class X_Missing, which does not exist"},
        {"class X_A : CIM_ManagedElement { [Override(\"Size\")] uint64 Size; };",
         "property X_A.Size overrides Size, which the superclass does not have"},
        {"class X_A : CIM_ManagedElement { string Caption; };",
         "property X_A.Caption redeclares an inherited property without Override"},
        {"class X_A : CIM_ManagedElement { [Override(\"Caption\")] uint32 Caption; };",
         "property X_A.Caption is a uint32 but overrides a string"},
        {"class X_A : CIM_System { [Key] string Serial; };", "property X_A.Serial adds a key below a class that has keys"},
        {"class X_A { [Key, Propagated(\"CIM_System.Roles\")] string Id; };",
         "property X_A.Id is propagated from CIM_System.Roles, which is not a key property"},
        {"class X_A { [Key] string Id; CIM_ManagedElement REF Other; };",
         "property X_A.Other is a reference outside an association"},
        {"[Association] class X_A : CIM_HostedService { [Override(\"Antecedent\")] CIM_ManagedElement REF "
         "Antecedent; };",
         "property X_A.Antecedent widens the reference from CIM_System to CIM_ManagedElement"},
        {"class X_A : CIMXML_OperatingSystem { uint32 GetLoadAverage(); };",
         "method X_A.GetLoadAverage redeclares an inherited method without Override"},
        {"[Association] class X_A : CIM_Dependency { [Override(\"Antecedent\")] CIM_System REF Antecedent; "
         "[Override(\"Dependent\")] X_A REF Dependent; };",
         ""},
    };
    cimom::ObjectManager &om = schemaManager();
    for (const auto &b : table) {
        std::string got, where = "broken.mof:1:" + std::to_string(std::string(b.mof).find("class") + 1) + ": ";
        for (const cimom::MofDiagnostic &d : om.compileMofText(b.mof, "broken.mof", {})) got += d.text() + "\n";
        EXPECT_EQ(got, *b.expected ? where + "class X_A not created: " + b.expected + "\n" : "");
        EXPECT_EQ(om.deleteClass(L"root/cimv2", L"X_A").ok(), !*b.expected) << b.mof;
    }
}

}  // namespace
}  // namespace omtest
