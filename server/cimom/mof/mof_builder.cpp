// mof_builder.cpp - qualifier declarations, classes and instances built from
// their parsed form. Objects the sink lends (classes, declarations) are read
// at once and never kept: the next call on the sink may invalidate them.
#include "mof/mof_builder.h"

#include <unordered_set>

#include "support/type_names.h"
#include "support/number_text.h"
#include "support/embedded_types.h"

namespace cimom::mof {

namespace {

// Embedded objects inside embedded objects deeper than this are refused (as
// in CIM-XML).
constexpr int maxEmbeddedDepth = 32;

std::wstring lowerCase(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t &c : lower)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return lower;
}

std::string utf8(std::wstring_view text) { return cimobj::toUtf8(text); }

// Names of one list of members: the second use of a name is an error.
class NameSet {
public:
    explicit NameSet(const char *kind) : kind_(kind) {}
    void add(const std::wstring &name, Location at, const char *verb = "declared") {
        if (!names_.insert(lowerCase(name)).second)
            fail(at, std::string(kind_) + " " + utf8(name) + " is " + verb + " twice");
    }

private:
    const char *kind_;
    std::unordered_set<std::wstring> names_;
};

template <class T>
T *checked(T *object) {
    if (!object) throw std::bad_alloc();
    return object;
}

void append(CIMList *list, void *item) {
    if (!isSuccessfulFree(appendToList(list, item))) throw std::bad_alloc();
}

bool hasKeyQualifier(const CIMQualifierList *qualifiers) {
    return isBoolQualEnabledInList(qualifiers, L"Key") != 0;
}

}  // namespace

DeclarationBuilder::DeclarationBuilder(MofSink &sink, int embeddedDepth)
    : sink_(sink), embeddedDepth_(embeddedDepth) {
    keyTypes_ = [this](std::wstring_view nameSpace, std::wstring_view className, std::wstring_view key) {
        const CIMClass *cls = sink_.findClass(nameSpace.empty() ? nameSpace_ : std::wstring(nameSpace),
                                              std::wstring(className));
        const CIMProperty *property = cls ? findCIMProperty(cls->properties, std::wstring(key).c_str()) : nullptr;
        return property ? property->type : -1;
    };
}

cimobj::ListPtr DeclarationBuilder::qualifiers(const QualifierListAst &list) {
    cimobj::ListPtr result(checked(newCIMQualifierList()));
    NameSet names("qualifier");
    for (const QualifierAst &qualifier : list) {
        const CIMQualifierType *declaration = sink_.findQualifierType(nameSpace_, qualifier.name);
        if (!declaration) fail(qualifier.at, "qualifier " + utf8(qualifier.name) + " is not declared");
        names.add(qualifier.name, qualifier.at, "given");
        int type = declaration->type;
        cimobj::StringPtr name(checked(copyCIMString(declaration->name)));  // the declared spelling
        std::string what = "qualifier " + utf8(qualifier.name);
        cimobj::ValuePtr value;
        if (qualifier.value) {
            value = typedValue(*qualifier.value, type, what, *this, true);
        } else if (type == CIM_BOOLEAN) {
            value = scalarValue(CIM_BOOLEAN, 1);  // named alone: true
        } else {
            fail(qualifier.at, what + " needs a value of type " + describeType(type));
        }
        CIMQualifier *made = checked(newQualifier(name.get(), qualifier.flavor, value.get(), type, 0));
        name.release();
        value.release();
        append(result.get(), made);
    }
    return result;
}

cimobj::QualifierTypePtr DeclarationBuilder::qualifierType(const QualifierDeclAst &declaration,
                                                           const std::wstring &nameSpace) {
    nameSpace_ = nameSpace;
    cimobj::ValuePtr value = declaration.defaultValue
                                 ? typedValue(*declaration.defaultValue, declaration.type,
                                              "qualifier " + utf8(declaration.name), *this, true)
                                 : nullValue(declaration.type);
    cimobj::StringPtr name = cimobj::makeString(declaration.name);
    cimobj::QualifierTypePtr made(checked(newQualifierType(name.get(), declaration.flavor, value.get(),
                                                           declaration.type, declaration.arraySize,
                                                           declaration.scope)));
    name.release();
    value.release();
    return made;
}

// A property, reference or parameter: a null value of its type (the
// default when withDefault and one is written), references naming their class.
cimobj::PropertyPtr DeclarationBuilder::feature(const FeatureAst &feature, bool withDefault) {
    cimobj::ListPtr qualifierList = qualifiers(feature.qualifiers);
    cimobj::ValuePtr value = withDefault && feature.defaultValue
                                 ? typedValue(*feature.defaultValue, feature.type, "property " + utf8(feature.name),
                                              *this)
                                 : nullValue(feature.type);
    if (scalarTypeOf(feature.type) == CIM_REFERENCE)
        setCIMValueReferenceType(value.get(), cimobj::makeString(feature.refClass).release());
    bool key = hasKeyQualifier(qualifierList.get());
    cimobj::StringPtr name = cimobj::makeString(feature.name);
    cimobj::PropertyPtr made(checked(newProperty(name.get(), nullptr, value.get(), feature.type,
                                                 qualifierList.get(), 0)));
    name.release();
    value.release();
    qualifierList.release();
    made->isKey = key;
    return made;
}

cimobj::MethodPtr DeclarationBuilder::method(const MethodAst &method) {
    cimobj::ListPtr qualifierList = qualifiers(method.qualifiers);
    cimobj::ListPtr parameters(checked(newCIMPropertyList()));
    NameSet names("parameter");
    for (const FeatureAst &parameter : method.parameters) {
        names.add(parameter.name, parameter.at);
        append(parameters.get(), feature(parameter, false).release());
    }
    cimobj::StringPtr name = cimobj::makeString(method.name);
    cimobj::MethodPtr made(checked(newMethod(name.get(), nullptr, 0, qualifierList.get(), method.returnType,
                                             parameters.get())));
    name.release();
    qualifierList.release();
    parameters.release();
    return made;
}

cimobj::ClassPtr DeclarationBuilder::cimClass(const ClassAst &declaration, const std::wstring &nameSpace) {
    nameSpace_ = nameSpace;
    cimobj::StringPtr name = cimobj::makeString(declaration.name);
    cimobj::StringPtr superClass;
    if (!declaration.superClass.empty()) superClass = cimobj::makeString(declaration.superClass);
    cimobj::ClassPtr cls(checked(newCIMClass(name.get(), superClass.get())));
    name.release();
    superClass.release();
    setClassNameSpace(cls.get(), cimobj::makeString(nameSpace).release());
    setClassQualifiers(cls.get(), qualifiers(declaration.qualifiers).release());

    cimobj::ListPtr properties(checked(newCIMPropertyList()));
    NameSet propertyNames("property");
    for (const FeatureAst &property : declaration.properties) {
        propertyNames.add(property.name, property.at);
        append(properties.get(), feature(property, true).release());
    }
    setClassProperties(cls.get(), properties.release());

    cimobj::ListPtr methods(checked(newCIMMethodList()));
    NameSet methodNames("method");
    for (const MethodAst &each : declaration.methods) {
        methodNames.add(each.name, each.at);
        append(methods.get(), method(each).release());
    }
    setClassMethods(cls.get(), methods.release());
    return cls;
}

cimobj::InstancePtr DeclarationBuilder::instance(const InstanceAst &declaration, const std::wstring &nameSpace) {
    nameSpace_ = nameSpace;
    // What the class says of each property, read before typing values asks
    // the sink anything else.
    struct Declared {
        cimobj::StringPtr name;
        int type;
        bool key;
    };
    std::vector<Declared> declared;
    cimobj::StringPtr className;
    {
        const CIMClass *cls = sink_.findClass(nameSpace, declaration.className);
        if (!cls) fail(declaration.classAt, "class " + utf8(declaration.className) + " is not defined");
        className.reset(checked(copyCIMString(getClassName(cls))));
        NameSet names("property");
        for (const PropertyValueAst &value : declaration.values) {
            const CIMProperty *property = findCIMProperty(cls->properties, value.name.c_str());
            if (!property)
                fail(value.at, "class " + utf8(declaration.className) + " has no property " + utf8(value.name));
            names.add(value.name, value.at, "given");
            declared.push_back(Declared{cimobj::StringPtr(checked(copyCIMString(property->name))), heldType(*property),
                                        property->isKey || hasKeyQualifier(property->qualifiers)});
        }
    }
    cimobj::ListPtr properties(checked(newCIMPropertyList()));
    for (size_t i = 0; i < declaration.values.size(); ++i) {
        const PropertyValueAst &given = declaration.values[i];
        cimobj::ValuePtr value = typedValue(given.value, declared[i].type, "property " + utf8(given.name), *this);
        cimobj::ListPtr qualifierList;
        if (!given.qualifiers.empty()) qualifierList = qualifiers(given.qualifiers);
        CIMProperty *property = checked(newProperty(declared[i].name.get(), nullptr, value.get(), declared[i].type,
                                                    qualifierList.get(), 0));
        declared[i].name.release();
        value.release();
        qualifierList.release();
        property->isKey = declared[i].key;
        cimobj::PropertyPtr owner(property);
        append(properties.get(), property);
        owner.release();
    }
    cimobj::InstancePtr made(checked(newInstance(className.get(), nullptr, properties.get())));
    className.release();
    properties.release();
    setInstanceNameSpace(made.get(), cimobj::makeString(nameSpace).release());
    return made;
}

void DeclarationBuilder::defineAlias(const std::wstring &alias, cimobj::PathPtr path) {
    aliases_[lowerCase(alias)] = std::move(path);
}

cimobj::PathPtr DeclarationBuilder::aliasPath(const Literal &alias) {
    auto found = aliases_.find(lowerCase(cimobj::fromUtf8(alias.text)));
    if (found == aliases_.end() || !found->second) fail(alias.at, "alias $" + alias.text + " has no instance path");
    return cimobj::PathPtr(checked(copyObjectPath(found->second.get())));
}

cimobj::ValuePtr DeclarationBuilder::embeddedObject(const Literal &text, int type) {
    // An embedded object (16) holds a class or an instance; an embedded
    // instance (15) only an instance.
    const char *kind = type == CIM_CLASS ? "object" : "instance";
    if (embeddedDepth_ >= maxEmbeddedDepth) fail(text.at, "embedded objects nested too deeply");
    ParsedMof parsed;
    MofOptions options;
    options.defaultNamespace = nameSpace_;
    parseMofText(cimobj::toUtf8(text.string), "embedded " + std::string(kind), options, parsed);
    // An error inside the text is reported at the string, with its place inside.
    auto embeddedFailure = [&](const MofDiagnostic &diagnostic) {
        return MofError{text.at, "embedded " + std::string(kind) + " at " + std::to_string(diagnostic.line) + ":" +
                                     std::to_string(diagnostic.column) + ": " + diagnostic.message};
    };
    if (!parsed.diagnostics.empty()) throw embeddedFailure(parsed.diagnostics.front());
    std::optional<DeclarationAst> declaration;
    if (parsed.declarations.size() == 1) declaration = readDeclaration(parsed, parsed.declarations[0]);
    const auto *instanceAst = declaration ? std::get_if<InstanceAst>(&*declaration) : nullptr;
    const auto *classAst = declaration ? std::get_if<ClassAst>(&*declaration) : nullptr;
    if (type == CIM_CLASS ? !classAst && !instanceAst : !instanceAst)
        fail(text.at, "expected the MOF text of one " + std::string(type == CIM_CLASS ? "class or instance" : kind) +
                          " in the embedded " + kind);
    DeclarationBuilder inner(sink_, embeddedDepth_ + 1);
    try {
        cimobj::ValuePtr value;
        if (classAst) {
            cimobj::ClassPtr cls = inner.cimClass(*classAst, nameSpace_);
            value.reset(checked(newCIMValue(CIM_CLASS, cls.get())));
            cls.release();
        } else {
            cimobj::InstancePtr object = inner.instance(*instanceAst, nameSpace_);
            value.reset(checked(newCIMValue(CIM_OBJECT, object.get())));
            object.release();
        }
        return value;
    } catch (const MofError &error) {
        throw embeddedFailure(parsed.sources.diagnostic(error));
    }
}

cimobj::ValuePtr DeclarationBuilder::embeddedDeclaration(const Literal &object) {
    if (embeddedDepth_ >= maxEmbeddedDepth) fail(object.at, "embedded objects nested too deeply");
    DeclarationBuilder inner(sink_, embeddedDepth_ + 1);
    cimobj::ValuePtr value;
    if (const auto *classAst = std::get_if<ClassAst>(&object.object->declaration)) {
        cimobj::ClassPtr cls = inner.cimClass(*classAst, nameSpace_);
        value.reset(checked(newCIMValue(CIM_CLASS, cls.get())));
        cls.release();
    } else {
        cimobj::InstancePtr made = inner.instance(std::get<InstanceAst>(object.object->declaration), nameSpace_);
        value.reset(checked(newCIMValue(CIM_OBJECT, made.get())));
        made.release();
    }
    return value;
}

}  // namespace cimom::mof
