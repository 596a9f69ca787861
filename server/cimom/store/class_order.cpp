// class_order.cpp - superclasses before subclasses, in one pass: a class
// whose superclass has not come yet waits for it, and follows it as soon as
// it comes.
#include "store/class_order.h"

#include <unordered_map>
#include <unordered_set>

namespace cimom::store {

std::vector<std::size_t> superclassesFirst(const std::vector<ClassRow> &rows) {
    auto key = [](const std::string &nameSpace, const std::string &name) { return nameSpace + '\0' + name; };
    std::unordered_set<std::string> placed;
    std::unordered_map<std::string, std::vector<std::size_t>> waiting;  // superclass key -> rows waiting, in order
    std::vector<std::size_t> order;
    std::vector<bool> done(rows.size(), false);
    order.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ClassRow &row = rows[i];
        if (!row.superclass.empty() && !placed.count(key(row.nameSpace, row.superclass))) {
            waiting[key(row.nameSpace, row.superclass)].push_back(i);
            continue;
        }
        std::vector<std::size_t> ready{i};
        while (!ready.empty()) {
            std::size_t next = ready.back();
            ready.pop_back();
            order.push_back(next);
            done[next] = true;
            std::string placedKey = key(rows[next].nameSpace, rows[next].name);
            if (auto children = waiting.find(placedKey); children != waiting.end()) {
                // Pushed in reverse so that waiting siblings come out in their order.
                for (auto child = children->second.rbegin(); child != children->second.rend(); ++child)
                    ready.push_back(*child);
                waiting.erase(children);
            }
            placed.insert(std::move(placedKey));
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!done[i]) order.push_back(i);
    return order;
}

}  // namespace cimom::store
