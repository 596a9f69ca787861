// conformance_expectation.cpp - the expectation builders.
#include "conformance_expectation.h"

namespace conformance {

Expectation returnsNothing() {
    Expectation e;
    e.success = ResultShape{};
    return e;
}

Expectation returnsOne(const char *element) { return returnsMany({element}, 1, 1); }

Expectation returnsMany(std::vector<std::string> elements, int min, int max) {
    Expectation e;
    e.success = ResultShape{true, std::move(elements), min, max};
    return e;
}

Expectation fails(std::vector<int> statuses) {
    Expectation e;
    e.statuses = std::move(statuses);
    return e;
}

Expectation failsSomehow() {
    Expectation e;
    e.anyStatus = true;
    return e;
}

Expectation methodReturns() {
    Expectation e;
    e.success = ResultShape{true, {}, 0, -1};
    e.extrinsic = true;
    return e;
}

Expectation httpRefusal(int status, std::vector<std::string> cimErrors) {
    Expectation e;
    e.httpStatus = status;
    e.cimErrors = std::move(cimErrors);
    return e;
}

Expectation orFails(Expectation expected, std::vector<int> statuses) {
    expected.statuses.insert(expected.statuses.end(), statuses.begin(), statuses.end());
    return expected;
}

Expectation asMethodCall(Expectation expected) {
    expected.extrinsic = true;
    return expected;
}

Expectation named(Expectation expected, std::string name) {
    expected.responseName = std::move(name);
    return expected;
}

Expectation asClassicDefines(Expectation expected, ClassicDifference difference) {
    switch (difference) {
        case ClassicDifference::none: break;
        case ClassicDifference::emptyIReturnValue:
            if (expected.success && !expected.success->returnsValue)
                expected.success = ResultShape{true, {}, 0, 0};
            break;
        case ClassicDifference::methodResponseName: expected.responseName = "MethodResponse"; break;
        case ClassicDifference::failedStatus: expected.statuses = {1}; break;
    }
    return expected;
}

const char *classicReason(ClassicDifference difference) {
    switch (difference) {
        case ClassicDifference::none: return "";
        case ClassicDifference::emptyIReturnValue:
            return "classic answers an operation that returns nothing with an empty IRETURNVALUE";
        case ClassicDifference::methodResponseName:
            return "classic refuses an unserved intrinsic method in an IMETHODRESPONSE named MethodResponse";
        case ClassicDifference::failedStatus:
            return "classic refuses a request without a parameter the operation needs with CIM_ERR_FAILED";
    }
    return "";
}

}  // namespace conformance
