// Embedded objects: the synthetic message, the object parsers, namespace
// defaults, recursion and its bound.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "cimxml/embedded_objects.h"
#include "cimxml_common/memory.h"
#include "decoding/decoding_support.h"
#include "support/log_capture.h"

using namespace decoding;

namespace {

class EmbeddedObjects : public ::testing::Test {
protected:
    void SetUp() override { mark_last_error(); }
};

std::string escape(const std::string &text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

struct ValueDeleter {
    void operator()(CIMValue *v) const { freeCIMValue(v); }
};
using Value = std::unique_ptr<CIMValue, ValueDeleter>;

CIMObjectPath *path_in(const char *nameSpace) {
    CIMObjectPath *path = newObjectPathWithName(createCIMStringFromChar("Container"));
    setObjectPathNameSpace(path, createCIMStringFromChar(nameSpace));
    return path;
}

TEST_F(EmbeddedObjects, WrapsTheTextInTheSyntheticRequestByteForByte) {
    testsupport::LogCapture log;
    const std::string text = "<INSTANCE CLASSNAME=\\\"A\\\"><PROPERTY NAME=\"P\" TYPE=\"string\"/></INSTANCE>";
    Message md(cimxmlParseObject(text.c_str(), "NewInstance"));
    ASSERT_TRUE(md);
    std::string logged;
    for (const auto &line : log.lines())
        if (line.level == 2 && line.text.rfind("<?xml", 0) == 0) logged = line.text;
    ASSERT_FALSE(logged.empty());
    std::size_t idStart = logged.find("<MESSAGE ID=\"") + 13;
    std::string id = logged.substr(idStart, logged.find('"', idStart) - idStart);
    EXPECT_FALSE(id.empty());
    EXPECT_EQ(logged,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
              "<MESSAGE ID=\"" + id + "\" PROTOCOLVERSION=\"1.0\">\n"
              "<SIMPLEREQ>\n"
              "<IMETHODCALL NAME=\"Null\">\n"
              "<LOCALNAMESPACEPATH>\n"
              "<NAMESPACE NAME=\"Null\" />\n"
              "</LOCALNAMESPACEPATH>\n"
              "<IPARAMVALUE NAME=\"NewInstance\">\n"
              "<INSTANCE CLASSNAME=\"A\"><PROPERTY NAME=\"P\" TYPE=\"string\"/></INSTANCE>"
              "</IPARAMVALUE>\n"
              "</IMETHODCALL>\n"
              "</SIMPLEREQ>\n"
              "</MESSAGE>\n"
              "</CIM>\n");
    EXPECT_EQ(method_name(md.get()), "Null");
    EXPECT_EQ(narrow(getObjectPathNameSpace(md->objectPath)), "Null");
    EXPECT_STREQ(md->messageId, id.c_str());
    EXPECT_EQ(propertyGetType(parameter(md.get(), "NewInstance")), CIM_OBJECT);
}

TEST_F(EmbeddedObjects, EscapedQuotesParseLikePlainOnes) {
    const char *plain = "<INSTANCE CLASSNAME=\"A\"><PROPERTY NAME=\"P\" TYPE=\"uint8\"><VALUE>5</VALUE></PROPERTY>"
                        "</INSTANCE>";
    const char *escaped = "<INSTANCE CLASSNAME=\\\"A\\\"><PROPERTY NAME=\\\"P\\\" TYPE=\\\"uint8\\\"><VALUE>5</VALUE>"
                          "</PROPERTY></INSTANCE>";
    for (const char *text : {plain, escaped}) {
        CIMInstance *instance = cimxmlParseInstance(text);
        ASSERT_NE(instance, nullptr) << text;
        EXPECT_EQ(narrow(getInstanceName(instance)), "A");
        CIMProperty *p = getCIMPropertyAt(getInstanceProperties(instance), 0);
        EXPECT_EQ(propertyGetType(p), CIM_UINT8);
        EXPECT_EQ(value_text(propertyGetValue(p)), "5");
        freeCIMInstance(instance);
    }
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(EmbeddedObjects, RecognisesObjectTextByItsTags) {
    struct Case {
        const char *text;
        int expected;
    };
    const Case cases[] = {{"<INSTANCE CLASSNAME=\"A\"/>", 1}, {"</INSTANCE>", 1},
                          {"<CLASS NAME=\"A\"/>", 1},         {"x</CLASS>", 1},
                          {"<INSTANCENAME CLASSNAME=\"A\"/>", 1}, {"<CLASSNAME NAME=\"A\"/>", 1},
                          {"plain string", 0},                {"<instance>", 0},
                          {"", 0}};
    for (const Case &c : cases) EXPECT_EQ(isEmbeddedObjectText(c.text), c.expected) << c.text;
    EXPECT_EQ(isEmbeddedObjectText(nullptr), 0);
}

TEST_F(EmbeddedObjects, UnescapesOnlyBackslashesBeforeQuotes) {
    struct Case {
        const char *in;
        const char *out;
    };
    const Case cases[] = {{"a\\\"b", "a\"b"}, {"\\\\\"", "\\\""}, {"\\x\\", "\\x\\"}, {"", ""}, {"\"\"", "\"\""}};
    for (const Case &c : cases) {
        char *out = unescapeQuotes(c.in);
        EXPECT_STREQ(out, c.out) << c.in;
        cimxml_free(out, CIMXML_ATOMIC);
    }
    EXPECT_EQ(unescapeQuotes(nullptr), nullptr);
}

TEST_F(EmbeddedObjects, GivesTheContextNamespaceToObjectsWithoutOne) {
    CIMObjectPath *context = path_in("root/cimv2");
    Value instance(getEmbeddedObjectValue(context, CIM_OBJECT, "<INSTANCE CLASSNAME=\"A\"/>"));
    ASSERT_TRUE(instance);
    EXPECT_EQ(narrow(getInstanceNameSpace(static_cast<CIMInstance *>(content(instance.get())))), "root/cimv2");
    Value cls(getEmbeddedObjectValue(context, CIM_CLASS, "<CLASS NAME=\"B\"/>"));
    ASSERT_TRUE(cls);
    EXPECT_EQ(getCIMValueType(cls.get()), CIM_CLASS);
    EXPECT_EQ(narrow(getClassNameSpace(static_cast<CIMClass *>(content(cls.get())))), "root/cimv2");
    Value noContext(getEmbeddedObjectValue(nullptr, CIM_OBJECT, "<INSTANCE CLASSNAME=\"A\"/>"));
    ASSERT_TRUE(noContext);
    EXPECT_EQ(getInstanceNameSpace(static_cast<CIMInstance *>(content(noContext.get()))), nullptr);
    freeCIMObjectPath(context);
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(EmbeddedObjects, RefusesPlainTextsAndOtherTypes) {
    testsupport::LogCapture log;
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_OBJECT, "just a string"), nullptr);
    EXPECT_TRUE(log.contains("getEmbeddedObjectValue - Embedded object string is of wrong format.", 0));
    log.clear();
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_STRING, "<INSTANCE CLASSNAME=\"A\"/>"), nullptr);
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_OBJECT + CIM_ARRAY, "<INSTANCE CLASSNAME=\"A\"/>"), nullptr);
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_OBJECT, nullptr), nullptr);
}

TEST_F(EmbeddedObjects, ReportsNullArgumentsAndBadTextsInTheirOwnWords) {
    testsupport::LogCapture log;
    EXPECT_EQ(cimxmlParseObject(nullptr, "NewInstance"), nullptr);
    EXPECT_EQ(last_error(), "1: cimxmlParseObject failed - Null parameter(s).");
    EXPECT_EQ(cimxmlParseObject("<INSTANCE CLASSNAME=\"A\"/>", nullptr), nullptr);

    EXPECT_EQ(cimxmlParseObject("no object here", "NewInstance"), nullptr);
    EXPECT_TRUE(log.containsFragment(
        "cimxmlParseObject failed - This format is not supported for embedded objects, embedded_objects.cpp, "));

    EXPECT_EQ(cimxmlParseInstance(nullptr), nullptr);
    EXPECT_TRUE(log.containsFragment("cimxmlParseInstance failed - Null parameter(s), embedded_objects.cpp, "));
    EXPECT_EQ(cimxmlParseClass(nullptr), nullptr);
    EXPECT_TRUE(log.containsFragment("cimxmlParseClass failed - Null parameter(s), embedded_objects.cpp, "));
    EXPECT_EQ(cimxmlParseObjectPath(nullptr), nullptr);
    EXPECT_TRUE(log.containsFragment("cimxmlParseObjectPath failed - Null parameter(s), embedded_objects.cpp, "));

    // A malformed text: the inner parse fails with its line, the value is refused.
    log.clear();
    mark_last_error();
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_OBJECT, "<INSTANCE CLASSNAME=\"A\">"), nullptr);
    EXPECT_TRUE(log.containsFragment("Parse error at line "));
    // The thread's last error stands for the cause and is logged in its place.
    EXPECT_TRUE(log.contains("status 0: unchanged", 0));
    EXPECT_TRUE(log.contains("getEmbeddedObjectValue - Could not parse embedded object string.", 0));
    // A thread that holds no last error logs the parser's own text instead.
    log.clear();
    std::thread([] { EXPECT_EQ(cimxmlParseInstance("<INSTANCE CLASSNAME=\"A\">"), nullptr); }).join();
    EXPECT_TRUE(log.containsFragment("cimxmlParseInstance: cimxmlParaseObject failed, embedded_objects.cpp, "));

    // A text of another kind of object than the one asked for.
    log.clear();
    EXPECT_EQ(cimxmlParseClass("<INSTANCE CLASSNAME=\"A\"/>"), nullptr);
    EXPECT_TRUE(log.containsFragment("cimxmlParseClass failed - embedded_objects.cpp, "));
    EXPECT_EQ(cimxmlParseInstance("<CLASS NAME=\"A\"/>"), nullptr);
    EXPECT_TRUE(log.containsFragment("cimxmlParseInstance failed - embedded_objects.cpp, "));
}

TEST_F(EmbeddedObjects, ParsesAnInstanceNameIntoAPath) {
    CIMObjectPath *path = cimxmlParseObjectPath(
        "<INSTANCENAME CLASSNAME=\"K\"><KEYBINDING NAME=\"Id\"><KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint32\">"
        "4</KEYVALUE></KEYBINDING></INSTANCENAME>");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(narrow(getObjectPathName(path)), "K");
    EXPECT_EQ(keys(path), std::vector<std::string>{"Id=4"});
    freeCIMObjectPath(path);
}

// An instance of class L<level> whose property Inner holds the next level as
// an embedded instance, down to the innermost level.
std::string nested_instance(int level, int innermost) {
    std::string text = "<INSTANCE CLASSNAME=\"L" + std::to_string(level) + "\">";
    if (level < innermost)
        text += "<PROPERTY NAME=\"Inner\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>" +
                escape(nested_instance(level + 1, innermost)) + "</VALUE></PROPERTY>";
    return text + "</INSTANCE>";
}

// Follows the Inner properties from instance and returns how many embedded levels it found.
int embedded_levels(CIMInstance *instance, std::string *innerNamespace) {
    int levels = 0;
    for (;;) {
        CIMProperty *inner = getCIMPropertyAt(getInstanceProperties(instance), 0);
        if (!inner || getCIMValueType(propertyGetValue(inner)) != CIM_OBJECT) return levels;
        instance = static_cast<CIMInstance *>(content(propertyGetValue(inner)));
        if (!instance) return levels;
        ++levels;
        if (innerNamespace) *innerNamespace = narrow_or_null(getInstanceNameSpace(instance));
        if (narrow(getInstanceName(instance)) != "L" + std::to_string(levels)) return -1;
    }
}

TEST_F(EmbeddedObjects, DecodesNestedEmbeddedInstancesRecursively) {
    Message md = parse(intrinsic("CreateInstance", "root/cimv2",
                                 "<IPARAMVALUE NAME=\"NewInstance\">" + nested_instance(0, 3) + "</IPARAMVALUE>"));
    ASSERT_TRUE(md);
    auto *top = static_cast<CIMInstance *>(content(propertyGetValue(parameter(md.get(), "NewInstance"))));
    std::string innermostNamespace;
    EXPECT_EQ(embedded_levels(top, &innermostNamespace), 3);
    // Levels below the first take their default namespace from the synthetic
    // request they were decoded in, whose namespace is "Null".
    EXPECT_EQ(innermostNamespace, "Null");
    auto *first = static_cast<CIMInstance *>(
        content(propertyGetValue(getCIMPropertyAt(getInstanceProperties(top), 0))));
    EXPECT_EQ(narrow(getInstanceNameSpace(first)), "root/cimv2");
    EXPECT_EQ(last_error(), "unchanged");
    EXPECT_EQ(embeddedObjectDepth(), 0);
}

TEST_F(EmbeddedObjects, NestingIsBoundedAndTheRestOfTheDocumentStillDecodes) {
    const std::string tail = "<IPARAMVALUE NAME=\"PropertyList\"><VALUE.ARRAY><VALUE>Inner</VALUE></VALUE.ARRAY>"
                             "</IPARAMVALUE>";
    {
        Message md = parse(intrinsic("CreateInstance", "root",
                                     "<IPARAMVALUE NAME=\"NewInstance\">" + nested_instance(0, kMaxEmbeddedObjectDepth) +
                                         "</IPARAMVALUE>" + tail));
        ASSERT_TRUE(md);
        auto *top = static_cast<CIMInstance *>(content(propertyGetValue(parameter(md.get(), "NewInstance"))));
        EXPECT_EQ(embedded_levels(top, nullptr), kMaxEmbeddedObjectDepth);
        EXPECT_EQ(last_error(), "unchanged");
    }
    {
        Message md = parse(intrinsic("CreateInstance", "root",
                                     "<IPARAMVALUE NAME=\"NewInstance\">" +
                                         nested_instance(0, kMaxEmbeddedObjectDepth + 1) + "</IPARAMVALUE>" + tail));
        ASSERT_TRUE(md);
        auto *top = static_cast<CIMInstance *>(content(propertyGetValue(parameter(md.get(), "NewInstance"))));
        EXPECT_EQ(embedded_levels(top, nullptr), kMaxEmbeddedObjectDepth);
        EXPECT_EQ(last_error(), "1: getEmbeddedObjectValue - Embedded objects nested deeper than 32 levels.");
        EXPECT_EQ(elements(propertyGetValue(parameter(md.get(), "PropertyList"))).size(), 1u);
    }
    EXPECT_EQ(embeddedObjectDepth(), 0);
}

TEST_F(EmbeddedObjects, MalformedAndSelfNestingTextsNeverCrash) {
    const std::string selfNesting =
        "<INSTANCE CLASSNAME=\"A\"><PROPERTY NAME=\"Inner\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>"
        "<INSTANCE CLASSNAME=\"A\"><PROPERTY NAME=\"Inner\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>"
        "</VALUE></PROPERTY></INSTANCE></VALUE></PROPERTY></INSTANCE>";
    const char *texts[] = {
        "<INSTANCE CLASSNAME=\"A\">",
        "<INSTANCE CLASSNAME=\"A\"></IPARAMVALUE></IMETHODCALL></SIMPLEREQ></MESSAGE></CIM><CIM>",
        "</INSTANCE>",
        "<CLASS",
        "<INSTANCE CLASSNAME=\"A\"/><INSTANCE CLASSNAME=\"B\"/>",
        "<INSTANCE CLASSNAME=\"A\"><PROPERTY NAME=\"P\" TYPE=\"string\" EmbeddedObject=\"instance\">"
        "<VALUE>&lt;INSTANCE</VALUE></PROPERTY></INSTANCE>",
        selfNesting.c_str(),
        "<INSTANCE CLASSNAME=\"\xff\xfe\"/>",
    };
    for (const char *text : texts) {
        SCOPED_TRACE(text);
        Value value(getEmbeddedObjectValue(nullptr, CIM_OBJECT, text));
        if (value) {
            EXPECT_EQ(getCIMValueType(value.get()), CIM_OBJECT);
        }
        Value cls(getEmbeddedObjectValue(nullptr, CIM_CLASS, text));
        if (cls) {
            EXPECT_EQ(getCIMValueType(cls.get()), CIM_CLASS);
        }
    }
    EXPECT_EQ(embeddedObjectDepth(), 0);
}

}  // namespace
