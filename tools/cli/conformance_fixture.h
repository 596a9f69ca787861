// conformance_fixture.h - the scratch objects the conformance checker
// creates on the server under test (qualifier declarations, classes and
// instances named ConfCheck_*), compiled here from MOF by the project's
// compiler, and what the check table builds its requests from.
#pragma once

#include <initializer_list>
#include <map>
#include <string>

#include <cimobj/cimobj.hpp>

namespace conformance {

// Names of what the scratch MOF declares and of what never exists.
namespace scratch {
inline constexpr const wchar_t *mark = L"ConfCheck_Mark";      // a qualifier the scratch class uses
inline constexpr const wchar_t *spare = L"ConfCheck_Spare";    // a qualifier nothing uses
inline constexpr const wchar_t *base = L"ConfCheck_Scratch";   // [Key] Name, Count, Label; method Ping(Text)
inline constexpr const wchar_t *child = L"ConfCheck_Child";    // a subclass of base
inline constexpr const wchar_t *link = L"ConfCheck_Link";      // an association of two base instances
inline constexpr const wchar_t *plain = L"ConfCheck_Plain";    // a class without subclasses or instances
inline constexpr const wchar_t *missing = L"ConfCheck_NoSuchClass";
inline constexpr const wchar_t *missingQualifier = L"ConfCheck_NoSuchQualifier";
inline constexpr const wchar_t *missingNamespace = L"root/confcheck_no_such_namespace";
}  // namespace scratch

class Fixture {
public:
    // Compiles the scratch declarations for nameSpace (where the checks
    // work). Throws std::runtime_error with the compiler's diagnostic if
    // the built-in MOF does not compile (a fault of this program).
    explicit Fixture(std::wstring nameSpace);

    const std::wstring &nameSpace() const { return nameSpace_; }

    // Requests go to the namespace that does not exist while this is set.
    void useMissingNamespace(bool missing) { missingNamespace_ = missing; }
    const std::wstring &target() const;

    // A path in the target namespace from the object path text form
    // ("ConfCheck_Scratch.Name=\"one\"", or a class name alone). Throws
    // std::runtime_error for text that does not parse.
    cimobj::PathPtr path(const std::wstring &text) const;
    // The target namespace alone, and the path of a scratch instance in it.
    cimobj::PathPtr namespacePath() const;
    cimobj::PathPtr instancePath(const std::wstring &name) const;
    // The scratch MOF's class, qualifier declaration and instance (by its
    // Name key; "link" is the association), lent for the fixture's life.
    // Throws std::out_of_range for a name the MOF lacks.
    const CIMClass &cimClass(const std::wstring &name) const;
    const CIMQualifierType &qualifierType(const std::wstring &name) const;
    const CIMInstance &instance(const std::wstring &name) const;
    // The variant of a class that ModifyClass sends: the class with a
    // string property Note added.
    const CIMClass &withNote(const std::wstring &name) const;

    // New copies, changed as the name says.
    cimobj::ClassPtr classVariant(const std::wstring &name, const std::wstring &newName,
                                  const std::wstring &superclass) const;
    cimobj::InstancePtr copyOf(const std::wstring &name) const;
    // instance with property set to value (added when the instance lacks it).
    static cimobj::InstancePtr with(cimobj::InstancePtr instance, const std::wstring &property,
                                    cimobj::ValuePtr value);
    // instance claiming to be of className.
    static cimobj::InstancePtr ofClass(cimobj::InstancePtr instance, const std::wstring &className);

    // Encoder arguments: a string list, a string, values, a one-parameter list.
    static cimobj::ListPtr strings(std::initializer_list<const wchar_t *> items);
    static cimobj::StringPtr text(const wchar_t *value);
    static cimobj::ValuePtr stringValue(const wchar_t *value);
    static cimobj::ValuePtr uint32Value(uint32_t value);
    static cimobj::ValuePtr stringArrayValue(std::initializer_list<const wchar_t *> items);
    static cimobj::ListPtr parameters(const wchar_t *name, cimobj::ValuePtr value);

    // The text of an encoder's request, which is freed here. Throws
    // std::runtime_error naming operation when request is NULL.
    static std::string encoded(char *request, const char *operation);

private:
    std::wstring nameSpace_;
    bool missingNamespace_ = false;
    std::map<std::wstring, cimobj::ClassPtr> classes_, noted_;
    std::map<std::wstring, cimobj::QualifierTypePtr> qualifierTypes_;
    std::map<std::wstring, cimobj::InstancePtr> instances_;
};

}  // namespace conformance
