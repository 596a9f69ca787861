// Reading parameters by name and preparing target paths.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cimxml/operation_parameters.h"
#include "operations/operation_test_support.h"
#include "support/cimom_double.h"
#include "support/log_capture.h"

namespace {

using testsupport::LogCapture;
using testsupport::pathText;

// A parameter list built up in a test, freed at the end.
struct Parameters {
    CIMPropertyList *list = newCIMPropertyList();
    ~Parameters() { freeCIMPropertyList(list); }
    Parameters &add(const wchar_t *name, int type, CIMValue *value) {
        freeReturnCode(appendToCIMPropertyList(list, newProperty(newCIMString(name), nullptr, value, type, nullptr, 0)));
        return *this;
    }
    Parameters &addString(const wchar_t *name, const wchar_t *text) {
        return add(name, CIM_STRING, newCIMValue(CIM_STRING, newCIMString(text)));
    }
    Parameters &addBool(const wchar_t *name, int flag) { return add(name, CIM_BOOLEAN, newCIMValue(CIM_BOOLEAN, &flag)); }
    Parameters &addReference(const wchar_t *name, CIMObjectPath *path) {
        return add(name, CIM_REFERENCE, newCIMValue(CIM_REFERENCE, path));
    }
};

struct Path {
    CIMObjectPath *path;
    ~Path() { freeCIMObjectPath(path); }
};

CIMObjectPath *pathIn(const wchar_t *nameSpace, const wchar_t *className) {
    CIMObjectPath *path = newObjectPathWithName(className ? newCIMString(className) : nullptr);
    if (nameSpace) setObjectPathNameSpace(path, newCIMString(nameSpace));
    return path;
}

std::string text(const void *cimString) { return testsupport::narrowText(static_cast<const CIMString *>(cimString)); }

std::string stringList(const CIMStringList *list) {
    if (!list) return "(null)";
    std::string result;
    for (int i = 0; i < getCIMStringListLength(list); ++i) result += (i ? "," : "") + text(getCIMStringAt(list, i));
    return "{" + result + "}";
}

TEST(ParameterLookup, MatchesNamesWithoutCaseAndTakesTheFirst) {
    Parameters p;
    p.addString(L"ClassName", L"CIM_First").addString(L"CLASSNAME", L"CIM_Second").addBool(L"localonly", 0);
    EXPECT_EQ(text(getParamValue(p.list, L"className")), "CIM_First");
    EXPECT_EQ(boolParamOrDefault(getParamValue(p.list, L"LocalOnly"), 1), 0);
    EXPECT_EQ(getParamType(p.list, L"LOCALONLY"), CIM_BOOLEAN);
    EXPECT_EQ(getCIMValueType(getParamCIMValue(p.list, L"classname")), CIM_STRING);
}

TEST(ParameterLookup, AbsentParametersGiveNullTypeNullAndTheDefault) {
    Parameters p;
    p.addString(L"ClassName", L"CIM_Foo").add(L"PropertyList", CIM_ARRAY + CIM_STRING,
                                               newCIMValueNULL(CIM_ARRAY + CIM_STRING));
    EXPECT_EQ(getParamValue(p.list, L"Missing"), nullptr);
    EXPECT_EQ(getParamCIMValue(p.list, L"Missing"), nullptr);
    EXPECT_EQ(getParamType(p.list, L"Missing"), CIM_NULL);
    EXPECT_EQ(boolParamOrDefault(getParamValue(p.list, L"DeepInheritance"), 1), 1);
    EXPECT_EQ(getParamValue(p.list, L"PropertyList"), nullptr) << "a null value has no content";
    EXPECT_EQ(getParamType(p.list, L"PropertyList"), CIM_ARRAY + CIM_STRING) << "but the parameter is there";
    EXPECT_EQ(getParamValue(nullptr, L"ClassName"), nullptr);
    EXPECT_EQ(getParamValue(p.list, nullptr), nullptr);
    EXPECT_EQ(getParamType(nullptr, L"ClassName"), CIM_NULL);
}

TEST(ValueListToStringList, CopiesStringsInOrderAndSkipsTheRest) {
    CIMValueList *values = newCIMValueList();
    uint32_t number = 7;
    freeReturnCode(appendToCIMValueList(values, newCIMValue(CIM_STRING, newCIMString(L"Name"))));
    freeReturnCode(appendToCIMValueList(values, newCIMValueNULL(CIM_STRING)));
    freeReturnCode(appendToCIMValueList(values, newCIMValue(CIM_UINT32, &number)));
    freeReturnCode(appendToCIMValueList(values, newCIMValue(CIM_STRING, newCIMString(L"Caption"))));
    CIMStringList *strings = valueListToStringList(values);
    EXPECT_EQ(stringList(strings), "{Name,Caption}");
    freeCIMStringList(strings);
    freeCIMValueList(values);

    CIMValueList *empty = newCIMValueList();
    strings = valueListToStringList(empty);
    EXPECT_EQ(stringList(strings), "{}") << "an empty array restricts to no property";
    freeCIMStringList(strings);
    freeCIMValueList(empty);
    EXPECT_EQ(valueListToStringList(nullptr), nullptr);
}

TEST(TargetPaths, ClearOnlyThePlaceholderClassName) {
    Path placeholder{pathIn(L"root", L"Container")};
    clearPlaceholderClassName(placeholder.path);
    EXPECT_EQ(pathText(placeholder.path), "root:(none)");
    Path otherCase{pathIn(L"root", L"container")};
    clearPlaceholderClassName(otherCase.path);
    EXPECT_EQ(pathText(otherCase.path), "root:container") << "the placeholder is compared with case";
    clearPlaceholderClassName(nullptr);
}

TEST(TargetPaths, ReplaceOnlyThePseudoNamespaceClass) {
    Path pseudo{pathIn(L"root", L"__Namespace")};
    removePseudoClassName(pseudo.path);
    EXPECT_EQ(pathText(pseudo.path), "root:CIM_Namespace");
    Path lower{pathIn(L"root", L"__namespace")};
    removePseudoClassName(lower.path);
    EXPECT_EQ(pathText(lower.path), "root:__namespace");
    Path none{pathIn(L"root", nullptr)};
    removePseudoClassName(none.path);
    EXPECT_EQ(pathText(none.path), "root:(none)");
    removePseudoClassName(nullptr);
}

TEST(TargetPaths, NamedInstancePathIsACopyAndANullListIsTraced) {
    CIMObjectPathList *paths = newCIMObjectPathList();
    freeReturnCode(appendToCIMObjectPathList(paths, testsupport::makeInstancePath(L"CIM_Foo", 1)));
    Path copy{get_namedinstance_path(paths, 0)};
    freeCIMObjectPathList(paths);
    EXPECT_EQ(pathText(copy.path), "root/cimv2:CIM_Foo.Name=\"CIM_Foo-1\"") << "survives the list";

    LogCapture log(2);
    EXPECT_EQ(get_namedinstance_path(nullptr, 0), nullptr);
    EXPECT_TRUE(log.contains("get_namedinstance_path: failed - CCIMObjectPathList is null.", 2));
}

struct UpdateFailure {
    const char *name;
    std::function<void(Parameters &)> parameters;
    const wchar_t *targetNamespace;
    const char *logged;
    const char *description;
};

void PrintTo(const UpdateFailure &f, std::ostream *os) { *os << f.name; }

const UpdateFailure updateFailures[] = {
    {"NoObjectName", [](Parameters &p) { p.addString(L"Role", L"x"); }, L"root/cimv2",
     "UpdateObjectNameAsInstName failed - ObjectName parameter is null.", "ObjectName parameter is null."},
    {"ObjectNameOfAnotherType", [](Parameters &p) { p.addString(L"ObjectName", L"CIM_Foo"); }, L"root/cimv2",
     "UpdateObjectNameAsInstName failed - ObjectName parameter is null.", "ObjectName parameter is null."},
    {"TargetWithoutNamespace",
     [](Parameters &p) { p.addReference(L"ObjectName", testsupport::makeInstancePath(L"CIM_Foo", 1)); }, nullptr,
     "UpdateObjectNameAsInstName failed - Could not get the namespace.", "Could not get the namespace."},
    {"ReferenceWithoutClassName", [](Parameters &p) { p.addReference(L"ObjectName", pathIn(L"x", nullptr)); },
     L"root/cimv2", "UpdateObjectNameAsInstName: copyCIMString failed.", "Could not copy class name."},
    {"ReferenceWithoutKeys", [](Parameters &p) { p.addReference(L"ObjectName", pathIn(L"x", L"CIM_Foo")); },
     L"root/cimv2", "UpdateObjectNameAsInstName: copyCIMPropertyList failed.", "Could not copy property list."},
};

class UpdateObjectName : public testing::TestWithParam<UpdateFailure> {};

TEST_P(UpdateObjectName, FailsWithItsTexts) {
    const UpdateFailure &f = GetParam();
    Parameters p;
    f.parameters(p);
    Path target{pathIn(f.targetNamespace, nullptr)};
    testsupport::CimomDouble cimom;
    LogCapture log(0);
    ReturnCode *rc = UpdateObjectNameAsInstName(cimom.handle(), target.path, p.list);
    EXPECT_EQ(getErrorFromRetCode(rc), 1);
    EXPECT_EQ(testsupport::narrowText(getReturnCodeDescription(rc)), f.description);
    EXPECT_TRUE(log.contains(f.logged, 0));
    freeReturnCode(rc);
}

INSTANTIATE_TEST_SUITE_P(Failures, UpdateObjectName, testing::ValuesIn(updateFailures),
                         [](const testing::TestParamInfo<UpdateFailure> &info) { return info.param.name; });

TEST(UpdateObjectName, TakesClassAndKeysAndKeepsTheTargetNamespace) {
    Parameters p;
    CIMObjectPath *reference = testsupport::makeInstancePath(L"CIM_Foo", 4, L"elsewhere");
    setObjectPathHost(reference, newCIMString(L"other.example"));
    p.addReference(L"ObjectName", reference);
    Path target{pathIn(L"root/cimv2", nullptr)};
    testsupport::CimomDouble cimom;
    ReturnCode *rc = UpdateObjectNameAsInstName(cimom.handle(), target.path, p.list);
    EXPECT_EQ(getErrorFromRetCode(rc), 0);
    EXPECT_EQ(getReturnCodeDescription(rc), nullptr);
    freeReturnCode(rc);
    EXPECT_EQ(pathText(target.path), "root/cimv2:CIM_Foo.Name=\"CIM_Foo-4\"");

    LogCapture log(0);
    rc = UpdateObjectNameAsInstName(nullptr, target.path, p.list);
    EXPECT_EQ(testsupport::narrowText(getReturnCodeDescription(rc)), "Null parameter(s).");
    EXPECT_TRUE(log.contains("UpdateObjectNameAsInstName: failed - Null parameter(s).", 0));
    freeReturnCode(rc);
}

}  // namespace
