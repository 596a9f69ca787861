// wql_query.cpp - the WqlQuery object and the language check.
#include "wql_syntax.h"

namespace cimom {

bool isWqlLanguage(std::wstring_view language) { return wql::equalsCaseless(language, L"WQL"); }

WqlQuery::WqlQuery() = default;
WqlQuery::~WqlQuery() = default;
WqlQuery::WqlQuery(WqlQuery &&) noexcept = default;
WqlQuery &WqlQuery::operator=(WqlQuery &&) noexcept = default;

const std::wstring &WqlQuery::className() const {
    static const std::wstring kNone;
    return impl_ ? impl_->className : kNone;
}

bool WqlQuery::selectsAll() const { return impl_ && impl_->all; }

std::vector<const CIMProperty *> WqlQuery::Impl::propertiesOf(const CIMInstance *instance) const {
    std::vector<const CIMProperty *> found(slots.size(), nullptr);
    for (CIMListNode *node = getFirstCIMProperty(getInstanceProperties(instance)); node;
         node = getNextCIMProperty(node)) {
        const CIMProperty *property = getCurrentCIMProperty(node);
        auto slot = slotIndex.find(cimobj::view(propertyGetName(property)));
        if (slot != slotIndex.end() && !found[slot->second]) found[slot->second] = property;
    }
    return found;
}

}  // namespace cimom
