// pulled_enumerations.h - what the pull operations ask of the object
// manager and what it gives back: an enumeration opened once, its results
// pulled in pieces through an opaque context, closed or left to expire.
#pragma once

#include <cimobj/cimobj.hpp>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "operation_options.h"

namespace cimom {

// What the pieces of an enumeration hold.
enum class PulledKind {
    InstancesWithPath,  // instances carrying their paths (PullInstancesWithPath)
    InstancePaths,      // paths only (PullInstancePaths)
    Instances,          // query results (PullInstances)
};

// Where the results of an enumeration come from.
enum class PulledSource { Enumeration, Associators, References, Query };

struct OpenEnumeration {
    std::string user;  // the authenticated user; only this user may pull, count or close
    std::wstring nameSpace;
    PulledSource source = PulledSource::Enumeration;
    PulledKind kind = PulledKind::InstancesWithPath;
    std::wstring className;                  // Enumeration: the class
    cimobj::PathPtr objectName;              // Associators, References: the source instance
    AssociationFilter filter;                // Associators, References
    InstanceOptions options;                 // includeClassOrigin and properties only
    std::wstring filterLanguage, filterQuery;  // a filter; for Query, the query itself
    bool returnQueryResultClass = false;     // Query: the first piece carries the results' class
    std::optional<std::uint32_t> operationTimeout;  // seconds; nullopt: the server's default
    bool continueOnError = false;
    std::uint32_t maxObjectCount = 0;        // results in the first piece
};

// One piece of an enumeration.
struct PulledPiece {
    std::vector<cimobj::InstancePtr> instances;  // InstancesWithPath, Instances
    std::vector<cimobj::PathPtr> paths;          // InstancePaths
    bool endOfSequence = false;
    std::string context;  // the context to pull next with; empty once the sequence ended
    cimobj::ClassPtr queryResultClass;  // an open query that asked for it: what its results are
};

// Bounds an administrator sets on enumeration contexts.
struct PullLimits {
    std::size_t maxContexts = 1000;        // open at once, for all users
    std::size_t maxContextsPerUser = 100;  // open at once, for one user
    std::uint32_t maxObjectCount = 10000;  // results one open or pull may ask for
    std::uint32_t defaultTimeout = 60;     // seconds an unused context lives when the client names none
    std::uint32_t maxTimeout = 3600;       // the longest OperationTimeout accepted
};

// Counts for the server's metrics.
struct PullStatistics {
    std::size_t open = 0;
    std::uint64_t opened = 0, closed = 0, expired = 0;
};

}  // namespace cimom
