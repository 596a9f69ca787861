// class_operations.cpp - creating, modifying, deleting, getting and
// enumerating classes.
#include <unordered_map>
#include <unordered_set>

#include "repository/class_rules.h"
#include "semantics/object_manager_state.h"
#include "semantics/result_shaping.h"
#include "support/embedded_types.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

using cimobj::toUtf8;

QualifierLookup lookupIn(const NamespaceData &space) {
    return [&space](const std::wstring &folded) -> const CIMQualifierType * {
        const QualifierTypeRecord *found = space.qualifiers.find(folded);
        return found ? found->get() : nullptr;
    };
}

ClassLookup classesIn(const NamespaceData &space) {
    return [&space](std::wstring_view name) { return space.findClass(name); };
}

// The record of a class as declared, built and (unless checkRules is false)
// checked against the rules towards the other classes of its namespace.
Status buildCheckedRecord(const NamespaceData &space, const CIMClass &cimClass, const ClassRecord *superclass,
                          std::shared_ptr<ClassRecord> &record, bool checkRules = true) {
    Status status = buildClassRecord(cimClass, superclass, lookupIn(space), record);
    if (status.ok() && checkRules) status = checkClassRules(*record, superclass, classesIn(space));
    return status;
}

// The subclasses of classKey ("" for the top level), preorder when deep.
void collectSubclasses(const NamespaceData &space, const std::wstring &classKey, bool deep,
                       std::vector<const ClassRecord *> &out) {
    const OrderedMap<char> *children = space.subclassesOf(classKey);
    if (!children) return;
    for (const auto &child : *children) {
        if (const ClassRecord *record = space.findClass(child.first)) out.push_back(record);
        if (deep) collectSubclasses(space, child.first, deep, out);
    }
}

// What subclasses and instances depend on: property names, types and keys;
// method names and signatures.
std::wstring shapeOf(const ClassRecord &record) {
    std::wstring shape;
    for (const CIMProperty *p : record.properties)
        shape += foldName(textOf(p->name)) + L":" + std::to_wstring(p->type) + (p->isKey ? L"k;" : L";");
    for (const auto &[name, m] : record.methodByName) {
        shape += name + L"(" + std::to_wstring(m->returnType);
        for (CIMProperty *parameter : items<CIMProperty>(m->parameters))
            shape += L"," + foldName(textOf(parameter->name)) + L":" + std::to_wstring(parameter->type);
        shape += L");";
    }
    return shape;
}

// The records of a class's subclasses rebuilt on its new record, parents first.
Status rebuildSubclasses(const NamespaceData &space, const std::wstring &nameSpace, const ClassRecordPtr &changed,
                         ChangeSet &changes) {
    std::unordered_map<std::wstring, ClassRecordPtr> rebuilt{{foldName(changed->name), changed}};
    std::vector<std::wstring> tree = classTree(space, foldName(changed->name));
    for (std::size_t i = 1; i < tree.size(); ++i) {
        const ClassRecord *old = space.findClass(tree[i]);
        std::shared_ptr<ClassRecord> record;
        Status status =
            buildClassRecord(*old->declared, rebuilt.at(foldName(old->superName)).get(), lookupIn(space), record);
        if (!status.ok()) return Status::error(status.code, "subclass " + toUtf8(old->name) + ": " + status.message);
        rebuilt[tree[i]] = record;
        changes.putClass(nameSpace, record);
    }
    return Status::success();
}

// The class a declared property or parameter names: its reference class, or
// the class its EmbeddedInstance qualifier names; empty when none.
std::wstring namedClass(const CIMProperty &p) {
    if (p.value && p.value->referenceClass) return std::wstring(textOf(p.value->referenceClass));
    return embeddedInstanceClass(p);
}

// What, outside the classes in doomed (folded names), names one of them:
// "" when nothing does. A dump must load again, so nothing may be left
// naming a class that is gone.
std::string dependentOf(const NamespaceData &space, const std::unordered_set<std::wstring> &doomed) {
    auto names = [&](const CIMProperty &p) {
        std::wstring named = namedClass(p);
        return !named.empty() && doomed.count(foldName(named));
    };
    for (const auto &[key, record] : space.classes) {
        if (doomed.count(key)) continue;
        const CIMClass &declared = *record->declared;
        std::string className = toUtf8(record->name);
        for (CIMProperty *p : items<CIMProperty>(declared.properties))
            if (names(*p)) return "property " + className + "." + toUtf8(textOf(p->name)) + " refers to class " +
                                  toUtf8(namedClass(*p));
        for (CIMMethod *m : items<CIMMethod>(declared.methods))
            for (CIMProperty *parameter : items<CIMProperty>(m->parameters))
                if (names(*parameter))
                    return "parameter " + toUtf8(textOf(parameter->name)) + " of method " + className + "." +
                           toUtf8(textOf(m->name)) + " refers to class " + toUtf8(namedClass(*parameter));
    }
    return {};
}

}  // namespace

Status ObjectManager::getClass(const std::wstring &nameSpace, const std::wstring &className,
                               const ClassOptions &options, cimobj::ClassPtr &cimClass) {
    auto lock = state_->repository.readLock();
    Status status;
    ClassRecordPtr record = findClassRecord(state_->repository, nameSpace, className, status);
    if (!record) return answeredAs(status, 5, 6);
    cimClass = shapeClass(*record, options, propertySet(options.properties), state_->repository.find(nameSpace)->name);
    return status;
}

Status ObjectManager::enumerateClasses(const std::wstring &nameSpace, const std::wstring &className, bool deep,
                                       const ClassOptions &options, std::vector<cimobj::ClassPtr> &classes) {
    auto lock = state_->repository.readLock();
    Status status;
    const NamespaceData *space = findNamespace(state_->repository, nameSpace, status);
    if (!space) return status;
    if (!className.empty() && !space->findClass(className)) return classMissing(className, nameSpace);
    std::vector<const ClassRecord *> found;
    collectSubclasses(*space, foldName(className), deep, found);
    PropertySet properties = propertySet(options.properties);
    for (const ClassRecord *record : found) classes.push_back(shapeClass(*record, options, properties, space->name));
    return status;
}

Status ObjectManager::enumerateClassNames(const std::wstring &nameSpace, const std::wstring &className, bool deep,
                                          std::vector<cimobj::PathPtr> &classPaths) {
    auto lock = state_->repository.readLock();
    Status status;
    const NamespaceData *space = findNamespace(state_->repository, nameSpace, status);
    if (!space) return status;
    if (!className.empty() && !space->findClass(className)) return classMissing(className, nameSpace);
    std::vector<const ClassRecord *> found;
    collectSubclasses(*space, foldName(className), deep, found);
    std::wstring host = state_->host();
    for (const ClassRecord *record : found) classPaths.push_back(makeClassPath(record->name, space->name, host));
    return status;
}

Status ObjectManager::createClass(const std::wstring &nameSpace, const CIMClass &cimClass, Journaling journaling) {
    return createClassIn(*state_, nameSpace, cimClass, journaling, true);
}

Status createClassIn(ObjectManager::State &state, const std::wstring &nameSpace, const CIMClass &cimClass,
                     Journaling journaling, bool checkRules) {
    return state.repository.write(journaling, [&](ChangeSet &changes) {
        Status status;
        const NamespaceData *space = findNamespace(state.repository, nameSpace, status);
        if (!space) return status;
        std::wstring_view name = textOf(getClassName(&cimClass));
        if (space->findClass(name))
            return Status::error(11, "class " + toUtf8(name) + " already exists in namespace " + toUtf8(nameSpace));
        std::wstring_view superName = textOf(cimClass.superClass);
        const ClassRecord *superclass = superName.empty() ? nullptr : space->findClass(superName);
        if (!superName.empty() && !superclass)
            return Status::error(10,
                                 "superclass " + toUtf8(superName) + " of class " + toUtf8(name) + " does not exist");
        std::shared_ptr<ClassRecord> record;
        status = buildCheckedRecord(*space, cimClass, superclass, record, checkRules);
        if (status.ok()) changes.putClass(space->name, std::move(record));
        return status;
    });
}

Status ObjectManager::modifyClass(const std::wstring &nameSpace, const CIMClass &cimClass) {
    return state_->repository.write(Journaling::On, [&](ChangeSet &changes) {
        Status status;
        std::wstring_view name = textOf(getClassName(&cimClass));
        ClassRecordPtr old = findClassRecord(state_->repository, nameSpace, name, status);
        if (!old) return answeredAs(status, 5, 6);
        const NamespaceData *space = state_->repository.find(nameSpace);
        std::wstring_view superName = textOf(cimClass.superClass);
        if (!sameName(superName, old->superName))
            return Status::error(10, "class " + toUtf8(name) + " cannot change its superclass from " +
                                         (old->superName.empty() ? "none" : toUtf8(old->superName)) + " to " +
                                         (superName.empty() ? "none" : toUtf8(superName)));
        std::shared_ptr<ClassRecord> record;
        status = buildCheckedRecord(*space, cimClass,
                                    old->superName.empty() ? nullptr : space->findClass(old->superName), record);
        if (!status.ok()) return status;
        std::wstring classKey = foldName(name);
        if (shapeOf(*record) != shapeOf(*old)) {
            const OrderedMap<char> *children = space->subclassesOf(classKey);
            if (children && !children->empty())
                return Status::error(8, "class " + toUtf8(name) + " has subclasses; its members cannot change");
            const InstanceTable *instances = space->instancesOf(classKey);
            if (instances && !instances->empty())
                return Status::error(9, "class " + toUtf8(name) + " has instances; its members cannot change");
        }
        changes.putClass(space->name, record);
        return rebuildSubclasses(*space, space->name, record, changes);
    });
}

Status ObjectManager::deleteClass(const std::wstring &nameSpace, const std::wstring &className) {
    return state_->repository.write(Journaling::On, [&](ChangeSet &changes) {
        Status status;
        ClassRecordPtr record = findClassRecord(state_->repository, nameSpace, className, status);
        if (!record) return answeredAs(status, 5, 6);
        const NamespaceData *space = state_->repository.find(nameSpace);
        std::vector<std::wstring> tree = classTree(*space, foldName(record->name));
        std::string dependent = dependentOf(*space, std::unordered_set<std::wstring>(tree.begin(), tree.end()));
        if (!dependent.empty())
            return Status::error(1, "class " + toUtf8(record->name) + " cannot be deleted: " + dependent);
        for (auto key = tree.rbegin(); key != tree.rend(); ++key) {
            const ClassRecord *doomed = space->findClass(*key);
            if (const InstanceTable *instances = space->instancesOf(*key))
                for (const auto &entry : *instances) changes.removeInstance(space->name, doomed->name, entry.first);
            changes.removeClass(space->name, doomed->name);
        }
        return status;
    });
}

}  // namespace cimom
