// mof.h - the MOF compiler and writer.
//
// The compiler reads MOF text (qualifier declarations, classes, instances,
// aliases, #pragma include and #pragma namespace) and hands each declaration,
// in file order, to a sink: the object manager's repository, or anything
// else that wants the objects. The writer turns objects back into MOF that
// the compiler reads to equal objects.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <cimobj/cimobj.hpp>

#include "status.h"

namespace cimom {

// Where compiled declarations go. Every call takes the object it is given,
// whether it succeeds or not. Namespaces are as the MOF names them
// (#pragma namespace, else the default namespace of the options).
class MofSink {
public:
    virtual ~MofSink() = default;
    // Creates or replaces a qualifier declaration.
    virtual Status setQualifierType(const std::wstring &nameSpace,
                                    cimobj::QualifierTypePtr declaration) = 0;
    // Creates a class as declared (local members only; the sink resolves
    // inheritance).
    virtual Status createClass(const std::wstring &nameSpace, cimobj::ClassPtr cimClass) = 0;
    // Creates an instance; on success newPath receives its path.
    virtual Status createInstance(const std::wstring &nameSpace, cimobj::InstancePtr instance,
                                  cimobj::PathPtr &newPath) = 0;
    // The class with its inherited members, lent until the next call on the
    // sink; NULL when the namespace has no such class. Types instance values.
    virtual const CIMClass *findClass(const std::wstring &nameSpace,
                                      const std::wstring &className) = 0;
    // The qualifier declaration, lent likewise; NULL when unknown. Types
    // qualifier values.
    virtual const CIMQualifierType *findQualifierType(const std::wstring &nameSpace,
                                                      const std::wstring &name) = 0;
};

// One error, located in its file (line and column from 1).
struct MofDiagnostic {
    std::string file;
    int line = 0;
    int column = 0;
    std::string message;
    // "file:line:column: message"; "file: message" when line is 0 (a file
    // that could not be read at all).
    std::string text() const;
};

struct MofOptions {
    std::wstring defaultNamespace = L"root/cimv2";
    // Folders searched for #pragma include files after the including file's own folder.
    std::vector<std::string> includeDirs;
    // Objects this object manager wrote and reads back from its store: the
    // class rules (among them those towards other classes: references to
    // classes that exist, Propagated keys, narrowed references) held when a
    // class was written and are not checked again, so neither the order
    // classes are read in nor a class deleted since (a reference left
    // dangling) keeps one out.
    bool readBack = false;
};

// Compiles one MOF file (and the files it includes). Everything is parsed
// first: a syntax error anywhere is reported and the sink is never called.
// Then declarations go to the sink in order; the first one the sink refuses
// stops the compile and is reported at its location (the caller undoes what
// the sink took, if it wants all or nothing). Returns the diagnostics; empty
// means every declaration was accepted.
// A #pragma namespace holds to the end of the file that has it (files it
// includes start in it); an alias ($name) stands for the path the sink gave
// its instance and must be defined before it is used. Memory stays
// proportional to the text: declarations are read again as they are handed
// over, never held all at once.
std::vector<MofDiagnostic> compileMofFile(const std::string &path, MofSink &sink,
                                          const MofOptions &options = {});
// The same for text held in memory; name is the file name the diagnostics use.
std::vector<MofDiagnostic> compileMofText(std::string_view text, const std::string &name,
                                          MofSink &sink, const MofOptions &options = {});

// MOF text of one object (UTF-8), as the compiler reads it back to an equal
// object. An instance is written with its properties' values; a class with
// its local members (inherited ones are left to the superclass). References
// are written as object path texts (object_path_text.h); embedded instances
// and classes in place, as `instance of C { ... }` and `class C { ... }`
// values (the compiler also reads them as strings holding their MOF), and
// properties typed as such with the type words object and class. Empty for
// NULL; never fails otherwise (std::bad_alloc aside). Not kept: the size of
// a fixed array (the objects have no place for it).
std::string writeQualifierTypeMof(const CIMQualifierType *declaration);
std::string writeClassMof(const CIMClass *cimClass);
std::string writeInstanceMof(const CIMInstance *instance);

}  // namespace cimom
