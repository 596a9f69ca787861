// om_fixture.h - an object manager with a small test schema in MOF, the
// handle bound to it, and whole-object text dumps to compare results with.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <cimom/handle.h>
#include <cimom/object_manager.h>

namespace omtest {

using cimobj::toUtf8;

// Qualifier declarations the test MOF uses.
extern const char qualifierMof[];
// A hierarchy with an override, an association and a method:
// T_Base (abstract; Name key, Label = "base", Size) <- T_Middle (Label
// overridden, Flag, Grow()) <- T_Leaf (Extra); T_Link (Source, Target
// references to T_Base); T_Other (Id key).
extern const char hierarchyMof[];

// An object manager whose namespace "test" holds qualifierMof, hierarchyMof
// and extraMof (each must compile), installed for the handle.
class ObjectManagerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual std::string extraMof() const { return {}; }

    // Compiles MOF into "test"; the diagnostics joined by line feeds.
    std::string compile(const std::string &mof, const std::string &name = "test.mof");

    std::shared_ptr<cimom::ObjectManager> om;
    CIMOMHandle handle{};
};

// Owners and builders of library objects for handle calls.
cimobj::StringPtr str(const std::string &text);
cimobj::ValuePtr stringValue(const std::string &text);
cimobj::ValuePtr uint32Value(uint32_t number);
// A path in namespace "test" (or nameSpace) with string-valued keys.
cimobj::PathPtr pathOf(const std::string &className,
                       std::initializer_list<std::pair<std::string, std::string>> keys = {},
                       const std::string &nameSpace = "test");
// An instance of className with string-valued properties, as a client that
// sends untyped values would.
cimobj::InstancePtr instanceOf(const std::string &className,
                               std::initializer_list<std::pair<std::string, std::string>> properties);
cimobj::ListPtr stringList(std::initializer_list<std::string> names);

// Text dumps: a value ("text" quoted, numbers plain, NULL, {a,b}, references
// as paths); a path [//host/][ns:]Class.key=value,...; an instance (path, then
// one line per property: name type = value, origin and qualifiers when
// present); a class (name, superclass, qualifiers, then its properties and
// methods, a leading ^ marking what is propagated). Qualifiers show their
// value and flavors: E/D override, T/R propagation.
std::string describe(const CIMValue *value);
std::string describe(const CIMObjectPath *path);
std::string describe(const CIMInstance *instance);
std::string describe(const CIMClass *cimClass);
std::string describeQualifiers(const CIMQualifierList *qualifiers);
// Each item of a list (instances, classes or paths) described, one after another.
std::string describeList(const CIMList *list);

// "code: description" of a status record, which is freed.
std::string statusText(ReturnCode *rc);

inline std::string describeResult(const CIMList *list) { return describeList(list); }
template <class T>
std::string describeResult(const T *object) {
    return describe(object);
}
inline void freeResult(CIMList *list) { freeList(list); }
inline void freeResult(CIMClass *c) { freeCIMClass(c); }
inline void freeResult(CIMInstance *i) { freeCIMInstance(i); }
inline void freeResult(CIMObjectPath *p) { freeCIMObjectPath(p); }

// What call (a slot) handed over through its last argument, described and
// freed; "code: description" when it failed.
template <class T, class Call>
std::string answer(Call call) {
    T *result = nullptr;
    std::string status = statusText(call(&result));
    std::string text = status == "0: " ? describeResult(result) : status;
    freeResult(result);
    return text;
}

// Output (stdout and stderr) of a shell command; exitCode receives its status.
std::string commandOutput(const std::string &command, int *exitCode = nullptr);

}  // namespace omtest
