// store_reading.cpp - the repository file read back: into an object manager
// at start, or out as MOF. Each table is read once, in the order its rows
// were made; only classes are held at once, to put superclasses (and, in a
// dump, referenced classes) first.
#include <algorithm>
#include <unordered_map>
#include <variant>

#include "cimom/mof.h"
#include "mof/mof_parser.h"
#include "store/class_order.h"
#include "store/store_impl.h"
#include "support/names.h"

namespace cimom {

namespace {

using store::ClassRow;
using store::Statement;

// Calls each(statement) for every row a query answers. Returns status 1
// saying what could not be read, or the first failure each returns.
template <class Each>
Status forEachRow(RepositoryStore::Impl &impl, const char *sql, const std::string &bound, Each each) {
    Statement query = impl.db.prepare(sql);
    if (!query) return impl.failure("reading", sqlite3_errcode(impl.db.handle()));
    if (!bound.empty()) query.bind(1, bound);
    int code;
    while ((code = query.step()) == SQLITE_ROW) {
        Status status = each(query);
        if (!status.ok()) return status;
    }
    return code == SQLITE_DONE ? Status::success() : impl.failure("reading", code);
}

// The folded names of the classes a stored class's references (properties
// and method parameters) name, read from its MOF; none when it does not read.
std::vector<std::string> referencedClasses(const std::string &mof) {
    std::vector<std::string> names;
    mof::ParsedMof parsed;
    mof::parseMofText(mof, "repository", MofOptions{}, parsed);
    if (!parsed.diagnostics.empty() || parsed.declarations.size() != 1) return names;
    try {
        mof::DeclarationAst declaration = mof::readDeclaration(parsed, parsed.declarations.front());
        const auto *cls = std::get_if<mof::ClassAst>(&declaration);
        if (!cls) return names;
        auto note = [&](const mof::FeatureAst &feature) {
            if (!feature.refClass.empty()) names.push_back(cimobj::toUtf8(foldName(feature.refClass)));
        };
        for (const mof::FeatureAst &property : cls->properties) note(property);
        for (const mof::MethodAst &method : cls->methods)
            for (const mof::FeatureAst &parameter : method.parameters) note(parameter);
    } catch (...) {  // a text that reads differently the second time: no order from it
        names.clear();
    }
    return names;
}

// Every class of the file (of one namespace when spaceKey is not empty),
// superclasses first; with references, also the classes each refers to
// (a MOF dump must load again as it is written).
Status readClasses(RepositoryStore::Impl &impl, const std::string &spaceKey, std::vector<ClassRow> &ordered,
                   bool withReferences = false) {
    std::vector<ClassRow> rows;
    Status status = forEachRow(impl,
                               spaceKey.empty() ? "SELECT namespace, name, superclass, mof FROM classes ORDER BY seq"
                                                : "SELECT namespace, name, superclass, mof FROM classes "
                                                  "WHERE namespace = ?1 ORDER BY seq",
                               spaceKey, [&](Statement &row) {
                                   rows.push_back(ClassRow{std::string(row.text(0)), std::string(row.text(1)),
                                                           std::string(row.text(2)), std::string(row.text(3)), {}});
                                   return Status::success();
                               });
    if (!status.ok()) return status;
    if (withReferences)
        for (ClassRow &row : rows) row.referenced = referencedClasses(row.mof);
    ordered.reserve(rows.size());
    for (std::size_t at : store::dependenciesFirst(rows)) ordered.push_back(std::move(rows[at]));
    return status;
}

// Objects compiled into an object manager some hundreds at a time (a
// compile has a cost of its own), each group all or nothing; a failure is
// reported for the object it is in, at its own line.
class ObjectLoader {
public:
    ObjectLoader(ObjectManager &objectManager, const std::string &path) : objectManager_(objectManager), path_(path) {}

    // Adds the MOF of an object in nameSpace; what names it in messages.
    // Returns the failure of a group compiled meanwhile.
    Status add(const std::wstring &nameSpace, std::string what, std::string_view mof) {
        Status status;
        if (nameSpace != nameSpace_ || objects_.size() >= groupSize) status = flush();
        nameSpace_ = nameSpace;
        objects_.push_back(Object{lines_ + 1, std::move(what)});
        text_ += mof;
        if (mof.empty() || mof.back() != '\n') text_ += '\n';  // a row edited by hand may lack it
        for (char c : mof) lines_ += c == '\n';
        if (mof.empty() || mof.back() != '\n') ++lines_;
        return status;
    }

    // Compiles what was added and not compiled yet.
    Status flush() {
        if (objects_.empty()) return Status::success();
        MofOptions options;
        options.defaultNamespace = nameSpace_;
        options.readBack = true;
        std::vector<MofDiagnostic> diagnostics =
            objectManager_.compileMofText(text_, "repository", options, Journaling::Off);
        Status status;
        if (!diagnostics.empty()) {
            const MofDiagnostic &first = diagnostics.front();
            auto after = std::upper_bound(objects_.begin(), objects_.end(), first.line,
                                          [](int line, const Object &object) { return line < object.firstLine; });
            const Object &object = after == objects_.begin() ? objects_.front() : *(after - 1);
            status = Status::error(1, "repository " + path_ + ": " + object.what + " in namespace " +
                                          cimobj::toUtf8(nameSpace_) + " does not load: " + object.what + ":" +
                                          std::to_string(first.line - object.firstLine + 1) + ":" +
                                          std::to_string(first.column) + ": " + first.message);
        }
        objects_.clear();
        text_.clear();
        lines_ = 0;
        return status;
    }

private:
    static constexpr std::size_t groupSize = 500;
    struct Object {
        int firstLine;  // in text_, from 1
        std::string what;
    };
    ObjectManager &objectManager_;
    const std::string &path_;
    std::wstring nameSpace_;
    std::string text_;
    int lines_ = 0;
    std::vector<Object> objects_;
};

// "#pragma namespace" lines when the namespace changes between objects.
class NamespaceSwitch {
public:
    explicit NamespaceSwitch(std::ostream &out) : out_(out) {}
    void to(const std::string &name) {
        if (name == current_) return;
        current_ = name;
        out_ << "#pragma namespace(\"";
        for (char c : name) out_ << (c == '"' || c == '\\' ? "\\" : "") << c;
        out_ << "\")\n\n";
    }

private:
    std::ostream &out_;
    std::string current_;
};

}  // namespace

Status RepositoryStore::loadInto(ObjectManager &objectManager) {
    std::lock_guard lock(impl_->mutex);
    Impl &impl = *impl_;
    std::unordered_map<std::string, std::wstring> names;  // folded -> as created
    Status status = forEachRow(impl, "SELECT key, name FROM namespaces ORDER BY seq", {}, [&](Statement &row) {
        std::wstring name = cimobj::fromUtf8(row.text(1));
        names[std::string(row.text(0))] = name;
        Status made = objectManager.createNamespace(name, Journaling::Off);
        return made.ok() ? made
                         : Status::error(1, "repository " + impl.path + ": namespace " + cimobj::toUtf8(name) +
                                                " does not load: " + made.message);
    });
    ObjectLoader loader(objectManager, impl.path);
    auto load = [&](std::string_view spaceKey, std::string what, std::string_view mof) {
        auto space = names.find(std::string(spaceKey));
        if (space == names.end())
            return Status::error(1, "repository " + impl.path + ": " + what + " is in namespace " +
                                        std::string(spaceKey) + ", which the file does not hold");
        return loader.add(space->second, std::move(what), mof);
    };
    if (status.ok())
        status = forEachRow(impl, "SELECT namespace, name, mof FROM qualifier_types ORDER BY seq", {},
                            [&](Statement &row) {
                                return load(row.text(0), "qualifier " + std::string(row.text(1)), row.text(2));
                            });
    std::vector<ClassRow> classes;
    if (status.ok()) status = readClasses(impl, {}, classes);
    for (const ClassRow &row : classes) {
        if (!status.ok()) break;
        status = load(row.nameSpace, "class " + row.name, row.mof);
    }
    // Instances go after every class: a reference or embedded instance may
    // name a class loaded later than its own.
    if (status.ok()) status = loader.flush();
    if (status.ok())
        status = forEachRow(impl, "SELECT namespace, class, key, mof FROM instances ORDER BY seq", {},
                            [&](Statement &row) {
                                return load(row.text(0),
                                            "instance " + std::string(row.text(1)) + "[" + std::string(row.text(2)) +
                                                "]",
                                            row.text(3));
                            });
    if (status.ok()) status = loader.flush();
    return status;
}

Status RepositoryStore::writeMof(std::ostream &out, const std::wstring &nameSpace) {
    std::lock_guard lock(impl_->mutex);
    Impl &impl = *impl_;
    std::string only = cimobj::toUtf8(foldName(nameSpace));
    std::unordered_map<std::string, std::string> names;  // folded -> as created
    std::vector<std::string> empty;                       // namespaces holding nothing, as created
    Status status = forEachRow(
        impl,
        "SELECT key, name, NOT EXISTS (SELECT 1 FROM qualifier_types WHERE namespace = key) "
        "AND NOT EXISTS (SELECT 1 FROM classes WHERE namespace = key) FROM namespaces ORDER BY seq",
        {}, [&](Statement &row) {
            if (!only.empty() && row.text(0) != only) return Status::success();
            names[std::string(row.text(0))] = row.text(1);
            if (row.number(2)) empty.emplace_back(row.text(1));
            return Status::success();
        });
    if (!status.ok()) return status;
    if (!only.empty() && names.empty())
        return Status::error(3, "namespace " + cimobj::toUtf8(nameSpace) + " is not in repository " + impl.path);
    NamespaceSwitch switchTo(out);
    auto write = [&](std::string_view spaceKey, std::string_view mof) {
        switchTo.to(names[std::string(spaceKey)]);
        out << mof << '\n';
        return Status::success();
    };
    const char *filter = only.empty() ? "" : "WHERE namespace = ?1 ";
    status = forEachRow(impl, ("SELECT namespace, mof FROM qualifier_types " + std::string(filter) + "ORDER BY seq").c_str(),
                        only, [&](Statement &row) { return write(row.text(0), row.text(1)); });
    std::vector<ClassRow> classes;
    if (status.ok()) status = readClasses(impl, only, classes, true);
    for (const ClassRow &row : classes) write(row.nameSpace, row.mof);
    if (status.ok())
        status = forEachRow(impl, ("SELECT namespace, mof FROM instances " + std::string(filter) + "ORDER BY seq").c_str(),
                            only, [&](Statement &row) { return write(row.text(0), row.text(1)); });
    // A namespace without declarations would not come back from its MOF;
    // its CIM_Namespace instance makes it.
    if (status.ok() && !empty.empty()) switchTo.to("root/interop");
    for (const std::string &name : empty) {
        out << "instance of CIM_Namespace\n{\n    Name = \"";
        for (char c : name) out << (c == '"' || c == '\\' ? "\\" : "") << c;
        out << "\";\n};\n\n";
    }
    return status;
}

}  // namespace cimom
