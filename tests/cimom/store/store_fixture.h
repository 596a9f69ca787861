// store_fixture.h - what the repository store's tests share: temporary
// folders, a repository holding objects of every kind, and whole-repository
// text to compare.
#pragma once

#include <memory>
#include <string>

#include <cimom/object_manager.h>
#include <cimom/repository_store.h>

namespace storetest {

// A new folder under the temporary folder, removed with everything in it
// when its owner goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    // path/name
    std::string file(const std::string &name) const { return path + "/" + name; }
    std::string path;
};

// Writes objects of every kind through objectManager into namespace
// root/Store (created here), then changes and removes some: qualifier
// declarations (one replaced, one removed), a class hierarchy with every
// type and default, an association, a method, properties typed as embedded
// instances and classes, instances with references, embedded objects,
// arrays and nulls, modified, set and deleted instances, a deleted class with
// a subclass and its instance, an empty namespace and a removed one. Fails
// the test when a write does.
void writeEveryKind(cimom::ObjectManager &objectManager);

// Everything objectManager holds, as text: namespaces in order, and in
// each its qualifier declarations, classes with inherited members, origins
// and qualifiers, and each class's own instances in full.
std::string describeRepository(cimom::ObjectManager &objectManager);

// An object manager on the repository file at path (made with the default
// schema when new); the store goes to store. Fails the test when it does not open.
std::shared_ptr<cimom::ObjectManager> openManager(const std::string &path,
                                                  std::shared_ptr<cimom::RepositoryStore> *store = nullptr);

}  // namespace storetest
