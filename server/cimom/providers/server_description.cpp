// server_description.cpp - the listener table the host fills and the
// product's own name.
#include "cimom/interop_providers.h"

#ifndef CIMOM_PRODUCT_VERSION
#define CIMOM_PRODUCT_VERSION "0"
#endif

namespace cimom {

void ListenerTable::set(std::vector<Listener> listeners) {
    std::lock_guard lock(mutex_);
    listeners_ = std::move(listeners);
}

std::vector<Listener> ListenerTable::listeners() const {
    std::lock_guard lock(mutex_);
    return listeners_;
}

std::wstring productDescription() { return L"cimxml " L"" CIMOM_PRODUCT_VERSION; }

}  // namespace cimom
