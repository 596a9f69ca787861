// class_order.h - classes put in an order where each follows the classes it
// needs: its superclass and the classes its references name.
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
    std::vector<std::string> referenced;  // folded names its references name, when read
};

// The positions of rows in an order where every class comes after its
// superclass and after the classes of its namespace that its references
// name, and otherwise keeps its place. Classes whose superclass is not among
// the rows come last, in their own order (loading them reports it); a
// referenced class that is not among the rows (deleted since) or that waits
// on the class itself (references in a circle) does not hold a class back.
// Linear in the number of rows and references.
std::vector<std::size_t> dependenciesFirst(const std::vector<ClassRow> &rows);

}  // namespace cimom::store
