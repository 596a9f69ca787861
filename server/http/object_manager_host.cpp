// object_manager_host.cpp - until the object manager is part of the build,
// the server answers from an empty handle: every operation is status 7 (not
// supported), answered by the module itself.
#include "object_manager_host.h"

namespace cimxmld {

namespace {

class EmptyObjectManager : public ObjectManagerHost {
public:
    CIMOMHandle *handle() override { return &handle_; }

private:
    CIMOMHandle handle_{};
};

}  // namespace

std::unique_ptr<ObjectManagerHost> ObjectManagerHost::start(const ServerOptions &options, std::string &error) {
    if (!options.mofFiles.empty()) {
        error = "--mof: this build has no object manager to compile into";
        return nullptr;
    }
    return std::make_unique<EmptyObjectManager>();
}

}  // namespace cimxmld
