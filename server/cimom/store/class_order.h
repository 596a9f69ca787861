// class_order.h - classes put in an order where each follows its superclass.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cimom::store {

struct ClassRow {
    std::string nameSpace;   // folded
    std::string name;        // folded
    std::string superclass;  // folded; empty for a top-level class
    std::string mof;
};

// The positions of rows in an order where every class comes after its
// superclass and otherwise keeps its place. Classes whose superclass is not
// among the rows come last, in their own order (loading them reports it).
// Linear in the number of rows.
std::vector<std::size_t> superclassesFirst(const std::vector<ClassRow> &rows);

}  // namespace cimom::store
