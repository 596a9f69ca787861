// objects.h - small C++ helpers over the object library used throughout the
// object manager: iteration over lists, appending owned items, and turning
// the library's NULL-on-exhaustion into std::bad_alloc, which the handle
// answers with status 1.
#pragma once

#include <cimobj/cimobj.hpp>
#include <new>
#include <string>
#include <string_view>

namespace cimom {

// object itself; throws std::bad_alloc when it is NULL.
template <class T>
T *orThrow(T *object) {
    if (!object) throw std::bad_alloc();
    return object;
}

// The items of a library list as a range of T* (lent); empty for NULL.
template <class T>
class ListItems {
public:
    explicit ListItems(const CIMList *list) : list_(list) {}
    class iterator {
    public:
        explicit iterator(CIMListNode *node) : node_(node) {}
        T *operator*() const { return static_cast<T *>(getNodeItem(node_)); }
        iterator &operator++() {
            node_ = getNextNode(node_);
            return *this;
        }
        bool operator!=(const iterator &other) const { return node_ != other.node_; }

    private:
        CIMListNode *node_;
    };
    iterator begin() const { return iterator(list_ ? getFirstNode(list_) : nullptr); }
    iterator end() const { return iterator(nullptr); }

private:
    const CIMList *list_;
};
template <class T>
ListItems<T> items(const CIMList *list) {
    return ListItems<T>(list);
}

// Appends item to *list (made with listType when absent); the list takes the
// item. Throws std::bad_alloc, and item is freed by its owner, on failure.
template <class Ptr>
void appendOwned(CIMList **list, int listType, Ptr item) {
    if (!*list) *list = orThrow(newList(listType));
    cimobj::ReturnCodePtr rc(appendToList(*list, item.get()));
    if (!rc || rc->rc != 0) throw std::bad_alloc();
    item.release();
}

// New empty list of a type; throws std::bad_alloc.
inline cimobj::ListPtr makeList(int listType) { return cimobj::ListPtr(orThrow(newList(listType))); }

// New string holding a copy of text (throws std::bad_alloc). Unlike
// cimobj::makeString it needs no temporary copy, so making many strings
// leaves no freed blocks behind to fragment the heap.
CIMString *newText(std::wstring_view text);
inline cimobj::StringPtr ownedText(std::wstring_view text) { return cimobj::StringPtr(newText(text)); }

// Deep copies that throw std::bad_alloc instead of giving NULL for a
// non-NULL original.
cimobj::ValuePtr copyValue(const CIMValue *value);
cimobj::PropertyPtr copyProperty(const CIMProperty *property);
cimobj::QualifierPtr copyQualifier(const CIMQualifier *qualifier);
cimobj::MethodPtr copyMethodOf(const CIMMethod *method);
cimobj::ClassPtr copyClass(const CIMClass *cimClass);
cimobj::InstancePtr copyInstance(const CIMInstance *instance);
cimobj::PathPtr copyPath(const CIMObjectPath *path);
cimobj::ListPtr copyListOf(const CIMList *list);

// A path naming className (and nameSpace and host when not empty), without keys.
cimobj::PathPtr makeClassPath(std::wstring_view className, std::wstring_view nameSpace, std::wstring_view host);

// Replaces a path's namespace and host (empty: removed).
void setPathLocation(CIMObjectPath *path, std::wstring_view nameSpace, std::wstring_view host);

// The text of a string, or empty.
inline std::wstring_view textOf(const CIMString *s) { return cimobj::view(s); }

}  // namespace cimom
