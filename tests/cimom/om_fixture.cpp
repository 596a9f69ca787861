// om_fixture.cpp - the test schema, builders and text dumps.
#include "om_fixture.h"

#include <sys/wait.h>

#include <cstdio>

namespace omtest {

const char qualifierMof[] = R"(
Qualifier Abstract : boolean = false, Scope(class, association, indication), Flavor(Restricted);
Qualifier Association : boolean = false, Scope(association), Flavor(DisableOverride, ToSubclass);
Qualifier Description : string = null, Scope(any), Flavor(Translatable);
Qualifier In : boolean = true, Scope(parameter), Flavor(DisableOverride, ToSubclass);
Qualifier Key : boolean = false, Scope(property, reference), Flavor(DisableOverride, ToSubclass);
Qualifier Out : boolean = false, Scope(parameter), Flavor(DisableOverride, ToSubclass);
Qualifier Override : string = null, Scope(property, reference, method), Flavor(Restricted);
Qualifier Units : string = null, Scope(property), Flavor(Restricted);
)";

const char hierarchyMof[] = R"(
[Abstract, Description("the top")]
class T_Base {
    [Key, Description("the name")] string Name;
    string Label = "base";
    [Units("bytes")] uint32 Size;
};
[Description("in between")]
class T_Middle : T_Base {
    [Override("Label"), Description("relabelled")] string Label = "middle";
    boolean Flag;
    uint32 Grow([In] uint32 By, [Out] uint32 Now);
};
class T_Leaf : T_Middle {
    sint64 Extra;
};
[Association]
class T_Link {
    [Key] T_Base REF Source;
    [Key] T_Base REF Target;
};
class T_Other {
    [Key] uint32 Id;
    string Note;
};
)";

void ObjectManagerTest::SetUp() {
    om = std::make_shared<cimom::ObjectManager>(L"testhost");
    ASSERT_TRUE(om->createNamespace(L"test").ok());
    ASSERT_EQ(compile(qualifierMof, "qualifiers.mof"), "");
    ASSERT_EQ(compile(hierarchyMof, "hierarchy.mof"), "");
    ASSERT_EQ(compile(extraMof(), "extra.mof"), "");
    cimom::installObjectManager(om);
    cimom::fillCimomHandle(handle);
}

void ObjectManagerTest::TearDown() { cimom::installObjectManager(nullptr); }

std::string ObjectManagerTest::compile(const std::string &mof, const std::string &name) {
    cimom::MofOptions options;
    options.defaultNamespace = L"test";
    std::string text;
    for (const cimom::MofDiagnostic &d : om->compileMofText(mof, name, options)) text += d.text() + "\n";
    return text;
}

cimobj::StringPtr str(const std::string &text) { return cimobj::makeString(cimobj::fromUtf8(text)); }

cimobj::ValuePtr stringValue(const std::string &text) {
    return cimobj::ValuePtr(newCIMValue(CIM_STRING, str(text).release()));
}

cimobj::ValuePtr uint32Value(uint32_t number) { return cimobj::ValuePtr(newCIMValue(CIM_UINT32, &number)); }

cimobj::PathPtr pathOf(const std::string &className, std::initializer_list<std::pair<std::string, std::string>> keys,
                       const std::string &nameSpace) {
    cimobj::PathPtr path(newObjectPathWithName(str(className).release()));
    if (!nameSpace.empty()) setObjectPathNameSpace(path.get(), str(nameSpace).release());
    for (const auto &[name, value] : keys)
        freeReturnCode(objectPathAddKey(path.get(), newPropertyKey(str(name).release(), nullptr,
                                                                    stringValue(value).release())));
    return path;
}

cimobj::InstancePtr instanceOf(const std::string &className,
                               std::initializer_list<std::pair<std::string, std::string>> properties) {
    cimobj::InstancePtr instance(newInstance(str(className).release(), nullptr, nullptr));
    for (const auto &[name, value] : properties) {
        CIMProperty *p = newProperty(str(name).release(), nullptr, stringValue(value).release(), CIM_STRING, nullptr, 0);
        freeReturnCode(instanceAddProperty(instance.get(), p));
    }
    return instance;
}

cimobj::ListPtr stringList(std::initializer_list<std::string> names) {
    cimobj::ListPtr list(newCIMStringList());
    for (const std::string &name : names) freeReturnCode(appendToCIMStringList(list.get(), str(name).release()));
    return list;
}

namespace {

std::string typeName(int type) {
    static const char *const names[] = {"uint8",   "sint8",   "uint16",  "sint16",   "uint32", "sint32",
                                        "uint64",  "sint64",  "string",  "boolean",  "real32", "real64",
                                        "datetime", "char16", "ref",     "object",   "class"};
    if (type >= CIM_ARRAY) return typeName(type - CIM_ARRAY) + "[]";
    return type >= 0 && type <= CIM_CLASS ? names[type] : "type" + std::to_string(type);
}

std::string text(const CIMString *s) { return toUtf8(s); }

std::string flavors(int flavor) {
    std::string letters;
    if (flavor & CIM_FLAVOR_ENABLEOVERRIDE) letters += 'E';
    if (flavor & CIM_FLAVOR_DISABLEOVERRIDE) letters += 'D';
    if (flavor & CIM_FLAVOR_TOSUBCLASS) letters += 'T';
    if (flavor & CIM_FLAVOR_RESTRICTED) letters += 'R';
    return letters;
}

std::string origin(const CIMString *classOrigin) {
    return classOrigin && classOrigin->buffer ? " origin=" + text(classOrigin) : "";
}

}  // namespace

std::string describe(const CIMValue *v) {
    if (!v || v->isNull) return "NULL";
    if (v->type >= CIM_ARRAY) {
        std::string out = "{";
        for (CIMListNode *n = getFirstNode(v->data.array); n; n = getNextNode(n))
            out += (out.size() > 1 ? "," : "") + describe(static_cast<CIMValue *>(getNodeItem(n)));
        return out + "}";
    }
    switch (v->type) {
    case CIM_STRING: return "\"" + text(v->data.string) + "\"";
    case CIM_REFERENCE: return describe(v->data.reference);
    case CIM_OBJECT: return "<" + describe(v->data.instance) + ">";
    case CIM_CLASS: return "<" + describe(v->data.cimClass) + ">";
    default: {
        // The library's text of the other scalars (collected memory, left to the collector).
        const char *scalar = getCharFromCIMValue(v);
        return scalar ? scalar : "?";
    }
    }
}

std::string describe(const CIMObjectPath *path) {
    if (!path) return "(no path)";
    std::string out;
    if (path->host && path->host->buffer) out += "//" + text(path->host) + "/";
    if (path->nameSpace && path->nameSpace->buffer) out += text(path->nameSpace) + ":";
    out += text(path->className);
    char separator = '.';
    for (CIMListNode *n = getFirstNode(path->mkeys); n; n = getNextNode(n)) {
        auto *key = static_cast<CIMProperty *>(getNodeItem(n));
        out += separator + text(key->name) + "=" + describe(key->value);
        separator = ',';
    }
    return out;
}

std::string describeQualifiers(const CIMQualifierList *qualifiers) {
    std::string out;
    for (CIMListNode *n = getFirstNode(qualifiers); n; n = getNextNode(n)) {
        auto *q = static_cast<CIMQualifier *>(getNodeItem(n));
        out += std::string(" ") + (q->propagated ? "^" : "") + text(q->name) + "(" + describe(q->value) + ")/" +
               flavors(q->flavor);
    }
    return out;
}

std::string describe(const CIMInstance *instance) {
    std::string out = "instance of " + text(getInstanceName(instance)) + " " + describe(getInstancePath(instance));
    out += "\n";
    for (CIMListNode *n = getFirstNode(instance->properties); n; n = getNextNode(n)) {
        auto *p = static_cast<CIMProperty *>(getNodeItem(n));
        out += "  " + text(p->name) + " " + typeName(p->type) + " = " + describe(p->value) + origin(p->classOrigin) +
               describeQualifiers(p->qualifiers) + "\n";
    }
    return out;
}

std::string describe(const CIMClass *c) {
    std::string out = "class " + text(getClassName(c));
    if (c->superClass) out += " : " + text(c->superClass);
    out += describeQualifiers(c->qualifiers) + "\n";
    for (CIMListNode *n = getFirstNode(c->properties); n; n = getNextNode(n)) {
        auto *p = static_cast<CIMProperty *>(getNodeItem(n));
        out += std::string("  ") + (p->propagated ? "^" : "") + text(p->name) + " " + typeName(p->type);
        if (p->value && !p->value->isNull) out += " = " + describe(p->value);
        out += origin(p->classOrigin) + describeQualifiers(p->qualifiers) + "\n";
    }
    for (CIMListNode *n = getFirstNode(c->methods); n; n = getNextNode(n)) {
        auto *m = static_cast<CIMMethod *>(getNodeItem(n));
        out += std::string("  ") + (m->propagated ? "^" : "") + typeName(m->returnType) + " " + text(m->name) + "(";
        for (CIMListNode *pn = getFirstNode(m->parameters); pn; pn = getNextNode(pn)) {
            auto *parameter = static_cast<CIMProperty *>(getNodeItem(pn));
            out += (pn == getFirstNode(m->parameters) ? "" : ", ") + typeName(parameter->type) + " " +
                   text(parameter->name) + describeQualifiers(parameter->qualifiers);
        }
        out += ")" + origin(m->classOrigin) + describeQualifiers(m->qualifiers) + "\n";
    }
    return out;
}

std::string describeList(const CIMList *list) {
    std::string out;
    for (CIMListNode *n = getFirstNode(list); n; n = getNextNode(n)) {
        void *item = getNodeItem(n);
        switch (getListType(list)) {
        case CIMLIST_CLASS: out += describe(static_cast<CIMClass *>(item)); break;
        case CIMLIST_INSTANCE: out += describe(static_cast<CIMInstance *>(item)); break;
        default: out += describe(static_cast<CIMObjectPath *>(item)) + "\n"; break;
        }
    }
    return out;
}

std::string commandOutput(const std::string &command, int *exitCode) {
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    char buffer[1024];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    int status = pipe ? pclose(pipe) : -1;
    if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

std::string statusText(ReturnCode *rc) {
    std::string out = std::to_string(getErrorFromRetCode(rc)) + ": " + text(getReturnCodeDescription(rc));
    freeReturnCode(rc);
    return out;
}

}  // namespace omtest
