// subscription_rules.h - what the object manager holds filters, listener
// destinations and subscriptions to when they are written: keys a client
// leaves empty are filled, a filter's query must compile, a destination
// must be an http or https URL to a host the server may send to, a
// subscription must join a filter and a destination that exist, and a
// filter or destination a subscription uses stays until the subscription
// goes.
#pragma once

#include <cimobj/cimobj.hpp>
#include <string>

#include "indications/destination_url.h"
#include "repository/repository.h"

namespace cimom {

// The part a class plays in indication delivery.
enum class SubscriptionRole { None, Filter, Destination, Subscription, Service };
SubscriptionRole subscriptionRole(const ClassRecord &record);

// A copy of given with the keys it leaves empty (absent, NULL or "")
// filled: SystemCreationClassName and SystemName with this computer
// system's, CreationClassName with the class's name and Name with a fresh
// unique name; a subscription without SubscriptionState is Enabled (2).
// nullptr when record plays no part (given is then used as it is). Throws
// std::bad_alloc.
cimobj::InstancePtr withSubscriptionDefaults(const ClassRecord &record, const CIMInstance &given);

// Checks an instance about to be stored (created or modified) in space,
// inside the write's plan: success, or the status to refuse it with (4 and
// what is wrong with the query, the URL or a reference; 7 for a query
// language or destination protocol the server does not serve; 2 for a
// destination host policy refuses).
Status checkSubscriptionInstance(const Repository &repository, const NamespaceData &space, const ClassRecord &record,
                                 const CIMInstance &stored, const DestinationPolicy &policy);

// Checks the removal of the stored instance at path, inside the plan:
// status 1 naming the subscription when one still uses the filter or
// destination.
Status checkSubscriptionRemoval(const NamespaceData &space, const ClassRecord &record, const CIMObjectPath &path);

// The stored instance that the reference property of instance names, when
// it is of roleClass or a subclass; else nullptr and status 4 saying so.
// *target receives the namespace it lies in. Inside a plan or under the lock.
const StoredInstance *referencedInstance(const Repository &repository, const NamespaceData &space,
                                         const CIMInstance &instance, std::wstring_view property,
                                         std::wstring_view roleClass, Status &status,
                                         const NamespaceData **target = nullptr);

// The value of instance's property name (any case); nullptr when absent or
// NULL. Owned by the instance.
const CIMValue *propertyValue(const CIMInstance &instance, std::wstring_view name);

// The text of instance's string or datetime property name (any case);
// empty when absent or NULL.
std::wstring textProperty(const CIMInstance &instance, std::wstring_view name);

// Finds a class by name in space first, then in the other namespaces of
// repository; call under the repository's lock (or inside a plan).
ClassRecordPtr findClassAnywhere(const Repository &repository, const NamespaceData &space, std::wstring_view className);

}  // namespace cimom
