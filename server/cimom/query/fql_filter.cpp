// fql_filter.cpp - the FqlFilter object and the filter language check.
#include "fql_syntax.h"

namespace cimom {

bool isFilterQueryLanguage(std::wstring_view language) { return language == L"DMTF:FQL"; }

FqlFilter::FqlFilter() = default;
FqlFilter::~FqlFilter() = default;
FqlFilter::FqlFilter(FqlFilter &&) noexcept = default;
FqlFilter &FqlFilter::operator=(FqlFilter &&) noexcept = default;

const std::vector<std::wstring> &FqlFilter::propertyNames() const {
    static const std::vector<std::wstring> kNone;
    return impl_ ? impl_->propertyNames : kNone;
}

}  // namespace cimom
