// conformance_expectation.h - what DSP0200 requires of the answer to one
// request: a success with the result elements the operation returns, or a
// failure with one of the statuses its list gives, or a refusal at the HTTP
// level; and the ways the module's classic profile is defined to differ.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace conformance {

// What a successful IMETHODRESPONSE holds.
struct ResultShape {
    bool returnsValue = false;          // false: the operation returns nothing, so no IRETURNVALUE
    std::vector<std::string> elements;  // the element kinds an IRETURNVALUE may hold (one kind per answer)
    int min = 0;                        // how many of them at least
    int max = -1;                       // and at most; -1: any number
};

struct Expectation {
    std::optional<ResultShape> success;  // nullopt: the request must fail
    std::vector<int> statuses;           // the CIM statuses a failure may carry
    bool anyStatus = false;              // any ERROR will do: the answer's form is the point
    bool extrinsic = false;              // a METHODRESPONSE: RETURNVALUE?, PARAMVALUE*
    std::string responseName;            // the NAME the response must carry; empty: the operation's
    int httpStatus = 200;                // other than 200: a refusal at the HTTP level
    std::vector<std::string> cimErrors;  // with it, the CIMError header values allowed
};

// The building blocks of the check table.
Expectation returnsNothing();
Expectation returnsOne(const char *element);
// elements: the kinds allowed (an answer holds one of them only); min, max as in ResultShape.
Expectation returnsMany(std::vector<std::string> elements, int min = 0, int max = -1);
Expectation fails(std::vector<int> statuses);
// Any ERROR, whatever its status.
Expectation failsSomehow();
// An extrinsic method's success: METHODRESPONSE with RETURNVALUE? and PARAMVALUE*.
Expectation methodReturns();
// The HTTP status and one of the CIMError values; the body is not looked at.
Expectation httpRefusal(int status, std::vector<std::string> cimErrors);
// expected, and also a failure with one of statuses.
Expectation orFails(Expectation expected, std::vector<int> statuses);
// expected as the answer to an extrinsic method call: a METHODRESPONSE.
Expectation asMethodCall(Expectation expected);
// expected with the response named name (the operation's own name otherwise).
Expectation named(Expectation expected, std::string name);

// Where the module's classic profile is defined to answer otherwise.
enum class ClassicDifference {
    none,
    emptyIReturnValue,   // an operation that returns nothing answers an empty IRETURNVALUE
    methodResponseName,  // an unserved intrinsic method is refused in an IMETHODRESPONSE named "MethodResponse"
    failedStatus,        // a request without a parameter the operation needs is refused with CIM_ERR_FAILED
};

// Every difference but none, in report order.
inline constexpr ClassicDifference classicDifferences[] = {
    ClassicDifference::emptyIReturnValue, ClassicDifference::methodResponseName, ClassicDifference::failedStatus};

// expected as the classic definition has it.
Expectation asClassicDefines(Expectation expected, ClassicDifference difference);
// Why classic answers so, for the report; empty for none.
const char *classicReason(ClassicDifference difference);

}  // namespace conformance
