// echo_object_manager.h - an object manager that answers every operation from
// the request itself, so that what the module decoded goes back out through
// its encoders.
//
// Results are built from the arguments: the target path comes back as the
// name list, as a class (its keys become properties, a property list adds
// null string properties) and as an instance; CreateInstance answers the
// path of the instance it was given; InvokeMethod returns the input
// parameters as output parameters and the first one's value (or the method
// name) as the return value; ExecQuery returns an instance holding the query.
// A target class named "Err<number>..." is answered with that status number
// and the class name as the description, so error responses carry decoded
// text too.
#pragma once

#include <cimxml/cimom_handle.h>

namespace fuzzsupport {

// The handle with every slot the module calls filled (slots 4-15, 17-29).
// Process-wide and stateless: any thread may use it at any time.
CIMOMHandle *echoObjectManager();

}  // namespace fuzzsupport
