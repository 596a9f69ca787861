// load_average_method.cpp - GetLoadAverage on the operating system.
#include "providers/load_average_method.h"

#include "providers/live_names.h"
#include "providers/live_values.h"
#include "providers/system_reader.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom::live {

namespace {

cimobj::PropertyPtr outParameter(std::wstring_view name, double figure) {
    cimobj::ValuePtr value = real64Value(figure);
    cimobj::PropertyPtr parameter(orThrow(newProperty(newText(name), nullptr, value.get(), CIM_REAL64, nullptr, 0)));
    value.release();
    return parameter;
}

class LoadAverageMethod : public MethodProvider {
public:
    Status invokeMethod(const ProviderContext &, const CIMObjectPath &target, const CIMMethod &method,
                        const std::vector<cimobj::PropertyPtr> &, std::vector<cimobj::PropertyPtr> &out,
                        cimobj::ValuePtr &returnValue) override {
        if (!sameName(textOf(method.name), L"GetLoadAverage"))
            return Status::error(16, "method " + cimobj::toUtf8(textOf(method.name)) + " is not available");
        // On the class, or on the one instance.
        if (getLength(target.mkeys) > 0) {
            Status status = matchPath(target, operatingSystemClass, operatingSystemKeys(currentIdentity()), {});
            if (!status.ok()) return status;
        }
        LoadAverages load;
        if (!readLoadAverages(load)) {
            returnValue = uint32Value(2);  // Failed
            return Status::success();
        }
        out.push_back(outParameter(L"LoadAverage1", load.one));
        out.push_back(outParameter(L"LoadAverage5", load.five));
        out.push_back(outParameter(L"LoadAverage15", load.fifteen));
        returnValue = uint32Value(0);
        return Status::success();
    }
};

}  // namespace

std::shared_ptr<MethodProvider> makeLoadAverageMethod() { return std::make_shared<LoadAverageMethod>(); }

}  // namespace cimom::live
