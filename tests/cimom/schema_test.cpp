// schema_test.cpp - the default schema compiles into a sink that applies the
// rules a repository applies to each declaration, and has what the live
// providers fill.
#include <gtest/gtest.h>

#include <cimobj/cimobj.hpp>
#include <cimom/mof.h>

#include <cwctype>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

using cimobj::view;

const std::string kSchemaDir = CIMXML_SOURCE_DIR "/server/cimom/schema";

std::wstring lower(std::wstring_view text) {
    std::wstring out(text);
    for (auto &c : out) c = static_cast<wchar_t>(std::towlower(c));
    return out;
}

std::string utf8(std::wstring_view text) { return cimobj::toUtf8(text); }

template <class Item>
std::vector<Item *> itemsOf(const CIMList *list) {
    std::vector<Item *> items;
    for (int i = 0; i < getLength(list); ++i) items.push_back(static_cast<Item *>(getElementAt(list, i)));
    return items;
}

const CIMQualifier *qualifierIn(const CIMQualifierList *list, std::wstring_view name) {
    for (auto *q : itemsOf<CIMQualifier>(list))
        if (lower(view(getQualifierName(q))) == lower(name)) return q;
    return nullptr;
}

std::wstring stringQualifier(const CIMQualifierList *list, std::wstring_view name) {
    const CIMQualifier *q = qualifierIn(list, name);
    const CIMValue *v = q ? getQualifierValue(q) : nullptr;
    return v && !isCIMValueNull(v) && getCIMValueType(v) == CIM_STRING ? std::wstring(view(v->data.string))
                                                                        : std::wstring();
}

size_t arrayLength(const CIMQualifierList *list, std::wstring_view name) {
    const CIMQualifier *q = qualifierIn(list, name);
    const CIMValue *v = q ? getQualifierValue(q) : nullptr;
    return v && !isCIMValueNull(v) ? static_cast<size_t>(getCIMValueNumElements(v)) : 0;
}

bool isKey(const CIMProperty *p) {
    return propertyIsKey(p) || isBoolQualEnabledInList(propertyGetQualifiers(p), L"Key");
}

std::wstring refClass(const CIMProperty *p) { return std::wstring(view(propertyGetReferenceClass(p))); }

// A sink that keeps classes resolved with their inherited members and
// refuses, as a repository does, the first declaration that breaks a rule.
class CheckingSink : public cimom::MofSink {
public:
    std::map<std::wstring, std::map<std::wstring, cimobj::ClassPtr>> classes;  // namespace -> lower name
    std::map<std::wstring, std::map<std::wstring, cimobj::QualifierTypePtr>> declarations;

    cimom::Status setQualifierType(const std::wstring &ns, cimobj::QualifierTypePtr d) override {
        declarations[lower(ns)][lower(view(getQualifierTypeName(d.get())))] = std::move(d);
        return {};
    }

    cimom::Status createClass(const std::wstring &ns, cimobj::ClassPtr cls) override {
        std::string problem = check(ns, cls.get());
        if (!problem.empty()) return cimom::Status::error(4, utf8(view(getClassName(cls.get()))) + ": " + problem);
        std::wstring key = lower(view(getClassName(cls.get())));
        classes[lower(ns)][key] = resolve(ns, cls.get());
        return {};
    }

    cimom::Status createInstance(const std::wstring &, cimobj::InstancePtr, cimobj::PathPtr &) override {
        return cimom::Status::error(7, "the default schema holds no instances");
    }

    const CIMClass *findClass(const std::wstring &ns, const std::wstring &name) override {
        auto n = classes.find(lower(ns));
        if (n == classes.end()) return nullptr;
        auto c = n->second.find(lower(name));
        return c == n->second.end() ? nullptr : c->second.get();
    }

    const CIMQualifierType *findQualifierType(const std::wstring &ns, const std::wstring &name) override {
        auto n = declarations.find(lower(ns));
        if (n == declarations.end()) return nullptr;
        auto d = n->second.find(lower(name));
        return d == n->second.end() ? nullptr : d->second.get();
    }

    const CIMProperty *property(const std::wstring &ns, const std::wstring &cls, const wchar_t *name) {
        const CIMClass *c = findClass(ns, cls);
        return c ? findCIMProperty(getClassProperties(c), name) : nullptr;
    }

private:
    bool isSubclass(const std::wstring &ns, std::wstring sub, const std::wstring &base) {
        for (const CIMClass *c = findClass(ns, sub); c; c = findClass(ns, sub)) {
            if (lower(sub) == lower(base)) return true;
            sub = view(getClassSuperName(c));
        }
        return false;
    }

    bool restricted(const std::wstring &ns, const CIMQualifier *q) {
        int flavor = getQualifierFlavors(q);
        if (!(flavor & (CIM_FLAVOR_RESTRICTED | CIM_FLAVOR_TOSUBCLASS))) {
            const CIMQualifierType *d = findQualifierType(ns, std::wstring(view(getQualifierName(q))));
            flavor = d ? getQualifierTypeFlavors(d) : 0;
        }
        return flavor & CIM_FLAVOR_RESTRICTED;
    }

    // Every qualifier declared, of its declared type, used within its scope;
    // ValueMap and Values of equal length.
    std::string checkQualifiers(const std::wstring &ns, const CIMQualifierList *list, int scope,
                                const std::string &where) {
        for (auto *q : itemsOf<CIMQualifier>(list)) {
            std::wstring name(view(getQualifierName(q)));
            const CIMQualifierType *d = findQualifierType(ns, name);
            if (!d) return where + ": qualifier " + utf8(name) + " is not declared";
            // "any" is a value of its own: its bits leave out indications.
            int allowed = getQualifierTypeScope(d);
            if ((allowed & CIM_SCOPE_ANY) != CIM_SCOPE_ANY && !(allowed & scope))
                return where + ": qualifier " + utf8(name) + " out of scope";
            const CIMValue *v = getQualifierValue(q);
            if (v && !isCIMValueNull(v) && getCIMValueType(v) != getQualifierTypeValueType(d))
                return where + ": qualifier " + utf8(name) + " has a value of another type";
        }
        if (qualifierIn(list, L"Values") && arrayLength(list, L"ValueMap") != arrayLength(list, L"Values"))
            return where + ": ValueMap and Values differ in length";
        return {};
    }

    std::string check(const std::wstring &ns, const CIMClass *cls) {
        std::wstring name(view(getClassName(cls))), superName(view(getClassSuperName(cls)));
        if (findClass(ns, name)) return "already defined";
        const CIMClass *super = superName.empty() ? nullptr : findClass(ns, superName);
        if (!superName.empty() && !super) return "superclass " + utf8(superName) + " is not defined";
        const CIMQualifierList *quals = getClassQualifiers(cls);
        auto inherited = [&](const wchar_t *q) {
            return isBoolQualEnabledInList(quals, q) || (super && isBoolQualEnabledInList(getClassQualifiers(super), q));
        };
        bool association = inherited(L"Association"), indication = inherited(L"Indication");
        int classScope = association ? CIM_SCOPE_ASSOCIATION : indication ? CIM_SCOPE_INDICATION : CIM_SCOPE_CLASS;
        if (auto p = checkQualifiers(ns, quals, classScope, "class"); !p.empty()) return p;

        bool superHasKeys = false;
        for (auto *p : itemsOf<CIMProperty>(super ? getClassProperties(super) : nullptr)) superHasKeys |= isKey(p);
        for (auto *p : itemsOf<CIMProperty>(getClassProperties(cls))) {
            std::wstring pname(view(propertyGetName(p)));
            std::string where = utf8(pname);
            bool ref = propertyIsRefType(p);
            const CIMQualifierList *pq = propertyGetQualifiers(p);
            if (auto e = checkQualifiers(ns, pq, ref ? CIM_SCOPE_REFERENCE : CIM_SCOPE_PROPERTY, where); !e.empty())
                return e;
            if (ref && !association) return where + ": a reference outside an association";
            if (ref && !findClass(ns, refClass(p))) return where + ": refers to undefined class " + utf8(refClass(p));
            std::wstring over = stringQualifier(pq, L"Override");
            const CIMProperty *base = super ? findCIMProperty(getClassProperties(super), pname.c_str()) : nullptr;
            if (!over.empty()) {
                if (lower(over) != lower(pname)) return where + ": overrides a member of another name";
                if (!base) return where + ": overrides nothing inherited";
                if (ref != (propertyIsRefType(base) != 0)) return where + ": overrides a member of another kind";
                if (ref && !isSubclass(ns, refClass(p), refClass(base))) return where + ": widens the reference";
                if (!ref && propertyGetType(p) != propertyGetType(base)) return where + ": changes the type";
            } else if (base) {
                return where + ": redeclares an inherited member without Override";
            }
            if (isKey(p) && superHasKeys && !(base && isKey(base))) return where + ": adds a key below a keyed class";
            if (std::wstring from = stringQualifier(pq, L"Propagated"); !from.empty()) {
                size_t dot = from.find(L'.');
                const CIMClass *owner = findClass(ns, from.substr(0, dot));
                const CIMProperty *origin =
                    owner && dot != std::wstring::npos
                        ? findCIMProperty(getClassProperties(owner), from.substr(dot + 1).c_str())
                        : nullptr;
                if (!origin || !isKey(origin)) return where + ": propagated from no key " + utf8(from);
            }
        }
        for (auto *m : itemsOf<CIMMethod>(getClassMethods(cls))) {
            std::wstring mname(view(getMethodName(m)));
            std::string where = utf8(mname) + "()";
            if (auto e = checkQualifiers(ns, getMethodQualifiers(m), CIM_SCOPE_METHOD, where); !e.empty()) return e;
            std::wstring over = stringQualifier(getMethodQualifiers(m), L"Override");
            bool inheritedMethod = false;
            for (auto *b : itemsOf<CIMMethod>(super ? getClassMethods(super) : nullptr))
                inheritedMethod |= lower(view(getMethodName(b))) == lower(mname);
            if (!over.empty() && !inheritedMethod) return where + ": overrides nothing inherited";
            if (over.empty() && inheritedMethod) return where + ": redeclares an inherited method without Override";
            for (auto *param : itemsOf<CIMProperty>(getMethodParameters(m))) {
                std::string pwhere = where + " " + utf8(view(propertyGetName(param)));
                if (auto e = checkQualifiers(ns, propertyGetQualifiers(param), CIM_SCOPE_PARAMETER, pwhere); !e.empty())
                    return e;
                if (propertyIsRefType(param) && !findClass(ns, refClass(param)))
                    return pwhere + ": refers to undefined class " + utf8(refClass(param));
            }
        }
        return {};
    }

    // The class with copies of the inherited members it does not override;
    // an override keeps the inherited qualifiers it does not restate, unless
    // they are restricted to the class that declared them.
    cimobj::ClassPtr resolve(const std::wstring &ns, const CIMClass *local) {
        cimobj::ClassPtr out(copyCIMClass(local));
        const CIMClass *super = findClass(ns, std::wstring(view(getClassSuperName(local))));
        if (!super) return out;
        auto merge = [&](const CIMQualifierList *from, const CIMQualifierList *own) {
            CIMQualifierList *merged = own ? copyCIMQualifierList(own) : newCIMQualifierList();
            for (auto *q : itemsOf<CIMQualifier>(from))
                if (!restricted(ns, q) && !qualifierIn(own, view(getQualifierName(q))))
                    freeReturnCode(appendToCIMQualifierList(merged, copyCIMQualifier(q)));
            return merged;
        };
        setClassQualifiers(out.get(), merge(getClassQualifiers(super), getClassQualifiers(local)));
        CIMPropertyList *props = newCIMPropertyList();
        for (auto *p : itemsOf<CIMProperty>(getClassProperties(super))) {
            const CIMProperty *own = findCIMProperty(getClassProperties(local), std::wstring(view(propertyGetName(p))).c_str());
            CIMProperty *copy = copyCIMProperty(own ? own : p);
            propertySetQualifiers(copy, merge(propertyGetQualifiers(p), own ? propertyGetQualifiers(own) : nullptr));
            copy->isKey = isKey(copy);
            freeReturnCode(appendToCIMPropertyList(props, copy));
        }
        for (auto *p : itemsOf<CIMProperty>(getClassProperties(local)))
            if (!findCIMProperty(props, std::wstring(view(propertyGetName(p))).c_str()))
                freeReturnCode(appendToCIMPropertyList(props, copyCIMProperty(p)));
        setClassProperties(out.get(), props);
        CIMMethodList *methods = copyCIMMethodList(getClassMethods(local));
        if (!methods) methods = newCIMMethodList();
        for (auto *m : itemsOf<CIMMethod>(getClassMethods(super))) {
            bool overridden = false;
            for (auto *own : itemsOf<CIMMethod>(methods)) overridden |= lower(view(getMethodName(own))) == lower(view(getMethodName(m)));
            if (!overridden) freeReturnCode(appendToCIMMethodList(methods, copyMethod(m)));
        }
        setClassMethods(out.get(), methods);
        return out;
    }
};

std::string diagnosticsText(const std::vector<cimom::MofDiagnostic> &diagnostics) {
    std::string text;
    for (const auto &d : diagnostics) text += d.text() + "\n";
    return text;
}

struct NamespaceFile {
    const char *file;
    const wchar_t *nameSpace;
    std::vector<const wchar_t *> present, absent;
};

void PrintTo(const NamespaceFile &file, std::ostream *out) { *out << file.file; }

class DefaultSchema : public ::testing::TestWithParam<NamespaceFile> {};

TEST_P(DefaultSchema, CompilesUnderEveryRepositoryRule) {
    const NamespaceFile &param = GetParam();
    CheckingSink sink;
    auto diagnostics = cimom::compileMofFile(kSchemaDir + "/" + param.file, sink);
    EXPECT_TRUE(diagnostics.empty()) << diagnosticsText(diagnostics);
    ASSERT_EQ(sink.classes.size(), 1u) << "every class goes to the file's own namespace";
    EXPECT_TRUE(sink.classes.count(lower(param.nameSpace)));
    EXPECT_GE(sink.declarations[lower(param.nameSpace)].size(), 60u);
    for (auto *cls : param.present) EXPECT_TRUE(sink.findClass(param.nameSpace, cls)) << utf8(cls);
    for (auto *cls : param.absent) EXPECT_FALSE(sink.findClass(param.nameSpace, cls)) << utf8(cls);
    // Every concrete class can have instances: it has keys, and an
    // association's references are among them. Indications are never kept,
    // so they need none.
    for (auto &[name, cls] : sink.classes[lower(param.nameSpace)]) {
        const CIMQualifierList *quals = getClassQualifiers(cls.get());
        if (isBoolQualEnabledInList(quals, L"Abstract") || isBoolQualEnabledInList(quals, L"Indication")) continue;
        int keys = 0;
        for (auto *p : itemsOf<CIMProperty>(getClassProperties(cls.get()))) {
            keys += isKey(p);
            EXPECT_TRUE(!propertyIsRefType(p) || isKey(p)) << utf8(name) << "." << utf8(view(propertyGetName(p)));
        }
        EXPECT_GT(keys, 0) << utf8(name) << " has no key";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DefaultSchema,
    ::testing::Values(
        NamespaceFile{"root_cimv2.mof", L"root/cimv2",
                      {L"CIM_ManagedElement", L"CIM_ComputerSystem", L"CIM_OperatingSystem", L"CIM_UnixProcess",
                       L"CIM_UnixLocalFileSystem", L"CIM_HostedService", L"CIM_ServiceAffectsElement",
                       L"CIM_InstalledOS", L"CIM_RunningOS", L"CIM_OSProcess", L"CIM_HostedFileSystem",
                       L"CIM_AlertIndication", L"CIM_InstMethodCall", L"CIMXML_ComputerSystem",
                       L"CIMXML_OperatingSystem", L"CIMXML_UnixProcess", L"CIMXML_LocalFileSystem",
                       L"CIMXML_RunningOS", L"CIMXML_InstalledOS", L"CIMXML_OSProcess",
                       L"CIMXML_HostedFileSystem"},
                      {L"CIM_ObjectManager", L"CIM_Namespace"}},
        NamespaceFile{"root_interop.mof", L"root/interop",
                      {L"CIM_ObjectManager", L"CIM_Namespace", L"CIM_NamespaceInManager",
                       L"CIM_ListenerDestinationCIMXML", L"CIM_IndicationFilter", L"CIM_IndicationSubscription",
                       L"CIM_RegisteredProfile", L"CIM_ElementConformsToProfile", L"CIM_InstCreation",
                       L"CIM_InstDeletion", L"CIM_InstModification", L"CIM_AlertIndication"},
                      {L"CIM_OperatingSystem", L"CIMXML_UnixProcess"}}),
    [](const auto &info) { return std::string(info.param.file).substr(0, std::string(info.param.file).find('.')); });

// What the live providers fill, with the type each value must have.
TEST(DefaultSchemaProviders, ClassesHaveWhatTheProvidersFill) {
    CheckingSink sink;
    ASSERT_TRUE(cimom::compileMofFile(kSchemaDir + "/root_cimv2.mof", sink).empty());
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
        {L"CIMXML_UnixProcess", L"CSCreationClassName", CIM_STRING, true},
        {L"CIMXML_UnixProcess", L"OSName", CIM_STRING, true},
        {L"CIMXML_UnixProcess", L"Handle", CIM_STRING, true},
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
        const CIMProperty *p = sink.property(ns, e.cls, e.property);
        ASSERT_TRUE(p) << utf8(e.cls) << "." << utf8(e.property);
        EXPECT_EQ(propertyGetType(p), e.type) << utf8(e.cls) << "." << utf8(e.property);
        EXPECT_EQ(isKey(p), e.key) << utf8(e.cls) << "." << utf8(e.property);
    }
    // The process keys, and no others: a provider builds paths from them.
    std::set<std::wstring> keys;
    for (auto *p : itemsOf<CIMProperty>(getClassProperties(sink.findClass(ns, L"CIMXML_UnixProcess"))))
        if (isKey(p)) keys.insert(std::wstring(view(propertyGetName(p))));
    EXPECT_EQ(keys, (std::set<std::wstring>{L"CSCreationClassName", L"CSName", L"OSCreationClassName", L"OSName",
                                            L"CreationClassName", L"Handle"}));
    // The associations narrow their ends to the providers' classes.
    EXPECT_EQ(refClass(sink.property(ns, L"CIMXML_OSProcess", L"PartComponent")), L"CIMXML_UnixProcess");
    EXPECT_EQ(refClass(sink.property(ns, L"CIMXML_RunningOS", L"Antecedent")), L"CIMXML_OperatingSystem");
    EXPECT_EQ(refClass(sink.property(ns, L"CIMXML_HostedFileSystem", L"GroupComponent")), L"CIMXML_ComputerSystem");

    const CIMMethod *load = nullptr;
    for (auto *m : itemsOf<CIMMethod>(getClassMethods(sink.findClass(ns, L"CIMXML_OperatingSystem"))))
        if (view(getMethodName(m)) == L"GetLoadAverage") load = m;
    ASSERT_TRUE(load);
    EXPECT_EQ(getMethodReturnType(load), CIM_UINT32);
    std::vector<std::wstring> outs;
    for (auto *param : itemsOf<CIMProperty>(getMethodParameters(load))) {
        EXPECT_EQ(propertyGetType(param), CIM_REAL64);
        EXPECT_TRUE(isBoolQualEnabledInList(propertyGetQualifiers(param), L"Out"));
        outs.emplace_back(view(propertyGetName(param)));
    }
    EXPECT_EQ(outs, (std::vector<std::wstring>{L"LoadAverage1", L"LoadAverage5", L"LoadAverage15"}));
}

// The sink is only worth its pass if it refuses what a repository refuses.
TEST(DefaultSchemaSink, RefusesWhatARepositoryRefuses) {
    struct Broken {
        const char *mof, *expected;
    };
    const Broken table[] = {
        {"class X_A : X_Missing { [Key] string Id; };", "superclass X_Missing is not defined"},
        {"class X_A { [Key, Colour(\"red\")] string Id; };", "qualifier Colour is not declared"},
        {"class X_A { [Key, Weak] string Id; };", "qualifier Weak out of scope"},
        {"class X_A { [Key, ValueMap{\"1\",\"2\"}, Values{\"One\"}] uint16 Id; };", "ValueMap and Values differ"},
        {"[Association] class X_A { [Key] X_Missing REF Left; [Key] CIM_ManagedElement REF Right; };",
         "refers to undefined class X_Missing"},
        {"class X_A : CIM_ManagedElement { [Override(\"Size\")] uint64 Size; };", "overrides nothing inherited"},
        {"class X_A : CIM_ManagedElement { string Caption; };", "without Override"},
        {"class X_A : CIM_ManagedElement { [Override(\"Caption\")] uint32 Caption; };", "changes the type"},
        {"class X_A : CIM_System { [Key] string Serial; };", "adds a key below a keyed class"},
        {"class X_A { [Key, Propagated(\"CIM_System.Roles\")] string Id; };", "propagated from no key"},
        {"class X_A { [Key] string Id; CIM_ManagedElement REF Other; };", "a reference outside an association"},
        {"[Association] class X_A : CIM_Dependency { [Override(\"Antecedent\")] CIM_ManagedElement REF "
         "Antecedent; };",
         ""},
        {"[Association] class X_A : CIM_HostedService { [Override(\"Antecedent\")] CIM_ManagedElement REF "
         "Antecedent; };",
         "widens the reference"},
    };
    for (const auto &b : table) {
        CheckingSink sink;
        cimom::MofOptions options;
        options.includeDirs.push_back(kSchemaDir);
        std::string text = std::string("#pragma include (\"qualifiers.mof\")\n#pragma include (\"core.mof\")\n") + b.mof;
        auto diagnostics = cimom::compileMofText(text, "broken.mof", sink, options);
        std::string got = diagnosticsText(diagnostics);
        if (*b.expected == '\0') {
            EXPECT_TRUE(diagnostics.empty()) << b.mof << "\n" << got;
        } else {
            EXPECT_NE(got.find(b.expected), std::string::npos) << b.mof << "\n" << got;
            EXPECT_NE(got.find("broken.mof:3:"), std::string::npos) << got;
        }
    }
}

}  // namespace
