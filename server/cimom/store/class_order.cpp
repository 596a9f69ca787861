// class_order.cpp - superclasses and referenced classes before the classes
// that need them, in one pass: a class that needs one that has not come yet
// waits for it, and follows as soon as the last one it waits for comes.
#include "store/class_order.h"

#include <unordered_map>
#include <unordered_set>

namespace cimom::store {

namespace {

std::string keyOf(const std::string &nameSpace, const std::string &name) { return nameSpace + '\0' + name; }

// Appends to order the rows of candidates (positions, in their order) that
// can be placed after what placed holds, each after the classes it needs:
// its superclass, and with references also the referenced classes that are
// among the rows. Returns the candidates left waiting, in their order.
std::vector<std::size_t> placeInOrder(const std::vector<ClassRow> &rows, const std::vector<std::size_t> &candidates,
                                      bool withReferences, const std::unordered_set<std::string> &present,
                                      std::unordered_set<std::string> &placed, std::vector<std::size_t> &order) {
    std::unordered_map<std::string, std::vector<std::size_t>> waiting;  // needed class -> rows waiting, in order
    std::vector<int> unmet(rows.size(), 0);
    std::vector<bool> done(rows.size(), false);
    auto place = [&](std::size_t first) {
        std::vector<std::size_t> ready{first};
        while (!ready.empty()) {
            std::size_t next = ready.back();
            ready.pop_back();
            order.push_back(next);
            done[next] = true;
            std::string placedKey = keyOf(rows[next].nameSpace, rows[next].name);
            if (auto children = waiting.find(placedKey); children != waiting.end()) {
                // Pushed in reverse so that waiting rows come out in their order.
                for (auto child = children->second.rbegin(); child != children->second.rend(); ++child)
                    if (--unmet[*child] == 0) ready.push_back(*child);
                waiting.erase(children);
            }
            placed.insert(std::move(placedKey));
        }
    };
    for (std::size_t i : candidates) {
        const ClassRow &row = rows[i];
        std::unordered_set<std::string> needs;
        if (!row.superclass.empty()) needs.insert(keyOf(row.nameSpace, row.superclass));
        if (withReferences)
            for (const std::string &referenced : row.referenced)
                if (referenced != row.name && present.count(keyOf(row.nameSpace, referenced)))
                    needs.insert(keyOf(row.nameSpace, referenced));
        int &count = unmet[i];
        for (const std::string &need : needs) {
            if (placed.count(need)) continue;
            ++count;
            waiting[need].push_back(i);
        }
        if (count == 0) place(i);
    }
    std::vector<std::size_t> left;
    for (std::size_t i : candidates)
        if (!done[i]) left.push_back(i);
    return left;
}

}  // namespace

std::vector<std::size_t> dependenciesFirst(const std::vector<ClassRow> &rows) {
    std::unordered_set<std::string> present, placed;
    for (const ClassRow &row : rows) present.insert(keyOf(row.nameSpace, row.name));
    std::vector<std::size_t> all(rows.size()), order;
    for (std::size_t i = 0; i < rows.size(); ++i) all[i] = i;
    order.reserve(rows.size());
    // Rows whose references run in a circle wait on each other: they (and
    // what needs them) still follow their superclasses.
    std::vector<std::size_t> left = placeInOrder(rows, all, true, present, placed, order);
    left = placeInOrder(rows, left, false, present, placed, order);
    // What still waits has no superclass among the rows.
    order.insert(order.end(), left.begin(), left.end());
    return order;
}

}  // namespace cimom::store
