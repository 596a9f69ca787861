// Embedded objects: the synthetic message they are parsed in, the object
// parsers and their texts, namespace defaults, recursion and its bound, and
// texts that are not objects.
#include <gtest/gtest.h>

#include <thread>

#include "cimxml/embedded_objects.h"
#include "decoding/decoded.h"
#include "support/log_capture.h"

namespace {

using namespace decoding;

class EmbeddedObjects : public testing::Test {
protected:
    void SetUp() override { markLastError(); }
    void TearDown() override { EXPECT_EQ(embeddedObjectDepth(), 0); }
};

TEST_F(EmbeddedObjects, AreParsedInASyntheticRequestWrittenByteForByte) {
    LogCapture log;
    Message md(cimxmlParseObject("<INSTANCE CLASSNAME=\\\"A\\\"><PROPERTY NAME=\"P\" TYPE=\"string\"/></INSTANCE>",
                                 "NewInstance"));
    ASSERT_TRUE(md);
    std::string logged;
    for (const auto &line : log.lines()) {
        if (line.level == 2 && line.text.rfind("<?xml", 0) == 0) logged = line.text;
    }
    EXPECT_EQ(logged, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
                      "<MESSAGE ID=\"" + std::string(md->messageId) + "\" PROTOCOLVERSION=\"1.0\">\n<SIMPLEREQ>\n"
                      "<IMETHODCALL NAME=\"Null\">\n<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"Null\" />\n"
                      "</LOCALNAMESPACEPATH>\n<IPARAMVALUE NAME=\"NewInstance\">\n<INSTANCE CLASSNAME=\"A\">"
                      "<PROPERTY NAME=\"P\" TYPE=\"string\"/></INSTANCE></IPARAMVALUE>\n</IMETHODCALL>\n"
                      "</SIMPLEREQ>\n</MESSAGE>\n</CIM>\n");
    EXPECT_NE(std::string(md->messageId), "");
    EXPECT_EQ(decoded(md.get()).substr(decoded(md.get()).find(' ')),
              " " + std::string(md->messageId) +
                  " Null intrinsic Null:Container\nNewInstance:object={(null):A{P:string=(null)}}\n");
}

TEST_F(EmbeddedObjects, ParseTheirOwnKindWithPlainOrEscapedQuotes) {
    for (const char *text :
         {"<INSTANCE CLASSNAME=\"A\"><PROPERTY NAME=\"P\" TYPE=\"uint8\"><VALUE>5</VALUE></PROPERTY>"
          "</INSTANCE>",
          "<INSTANCE CLASSNAME=\\\"A\\\"><PROPERTY NAME=\\\"P\\\" TYPE=\\\"uint8\\\"><VALUE>5</VALUE>"
          "</PROPERTY></INSTANCE>"}) {
        CIMInstance *instance = cimxmlParseInstance(text);
        EXPECT_EQ(instanceText(instance), "(null):A{P:uint8=5}");
        freeCIMInstance(instance);
    }
    CIMClass *cls = cimxmlParseClass("<CLASS NAME=\"B\" SUPERCLASS=\"A\"/>");
    EXPECT_EQ(classText(cls), "(null):B:A{}");
    freeCIMClass(cls);
    CIMObjectPath *path = cimxmlParseObjectPath(
        "<INSTANCENAME CLASSNAME=\"K\"><KEYBINDING NAME=\"Id\"><KEYVALUE "
        "VALUETYPE=\"numeric\" TYPE=\"uint32\">4</KEYVALUE></KEYBINDING></INSTANCENAME>");
    EXPECT_EQ(pathText(path), "(null):K.Id=4");
    freeCIMObjectPath(path);
    EXPECT_EQ(lastError(), unchanged);
}

TEST_F(EmbeddedObjects, RefuseOtherTextsInTheirOwnWords) {
    LogCapture log;
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_STRING, "<INSTANCE CLASSNAME=\"A\"/>"), nullptr);
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_OBJECT + CIM_ARRAY, "<INSTANCE CLASSNAME=\"A\"/>"), nullptr);
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_OBJECT, "just a string"), nullptr);
    EXPECT_EQ(cimxmlParseObject(nullptr, "NewInstance"), nullptr);
    EXPECT_EQ(lastError(), "1: cimxmlParseObject failed - Null parameter(s).");
    EXPECT_EQ(cimxmlParseObject("no object here", "NewInstance"), nullptr);
    EXPECT_EQ(cimxmlParseInstance(nullptr), nullptr);
    EXPECT_EQ(cimxmlParseClass("<INSTANCE CLASSNAME=\"A\"/>"), nullptr);
    EXPECT_EQ(cimxmlParseInstance("<CLASS NAME=\"A\"/>"), nullptr);
    for (const char *text :
         {"getEmbeddedObjectValue - Embedded object string is of wrong format.",
          "cimxmlParseObject failed - This format is not supported for embedded objects, embedded_objects.cpp, ",
          "cimxmlParseInstance failed - Null parameter(s), embedded_objects.cpp, ",
          "cimxmlParseClass failed - embedded_objects.cpp, ", "cimxmlParseInstance failed - embedded_objects.cpp, "}) {
        EXPECT_TRUE(log.containsFragment(text)) << text;
    }
    // A malformed text: the thread's last error stands for the cause and is
    // logged in its place; a thread that holds none logs the parser's text.
    markLastError();
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_OBJECT, "<INSTANCE CLASSNAME=\"A\">"), nullptr);
    EXPECT_TRUE(log.contains("status 0: unchanged", 0));
    EXPECT_TRUE(log.contains("getEmbeddedObjectValue - Could not parse embedded object string.", 0));
    std::thread([] { EXPECT_EQ(cimxmlParseInstance("<INSTANCE CLASSNAME=\"A\">"), nullptr); }).join();
    EXPECT_TRUE(log.containsFragment("cimxmlParseInstance: cimxmlParaseObject failed, embedded_objects.cpp, "));
}

TEST_F(EmbeddedObjects, MalformedAndSelfNestingTextsNeverCrash) {
    LogCapture quiet(-1);
    const std::string inner = "<PROPERTY NAME=\"Inner\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>";
    const std::string selfNesting = "<INSTANCE CLASSNAME=\"A\">" + inner + "<INSTANCE CLASSNAME=\"A\">" + inner +
                                    "</VALUE></PROPERTY></INSTANCE></VALUE></PROPERTY></INSTANCE>";
    for (const std::string &text :
         {std::string("<INSTANCE CLASSNAME=\"A\">"), selfNesting, std::string("</INSTANCE>"), std::string("<CLASS"),
          std::string("<INSTANCE CLASSNAME=\"A\"></IPARAMVALUE></IMETHODCALL></SIMPLEREQ></MESSAGE></CIM><CIM>"),
          std::string("<INSTANCE CLASSNAME=\"A\"/><INSTANCE CLASSNAME=\"B\"/>"),
          "<INSTANCE CLASSNAME=\"A\">" + inner + "&lt;INSTANCE</VALUE></PROPERTY></INSTANCE>",
          std::string("<INSTANCE CLASSNAME=\"\xff\xfe\"/>")}) {
        for (int type : {CIM_OBJECT, CIM_CLASS}) {
            CIMValue *value = getEmbeddedObjectValue(nullptr, type, text.c_str());
            EXPECT_TRUE(value == nullptr || getCIMValueType(value) == type) << text;
            freeCIMValue(value);
        }
    }
}

// An instance of class L<level> whose property Inner holds the next level
// as an embedded instance, down to the innermost level.
std::string nested(int level, int innermost) {
    std::string text = "<INSTANCE CLASSNAME=\"L" + std::to_string(level) + "\">";
    if (level < innermost) {
        std::string inner;
        for (char c : nested(level + 1, innermost))
            inner += c == '<' ? "&lt;" : c == '"' ? "&quot;" : c == '&' ? "&amp;" : std::string(1, c);
        text += "<PROPERTY NAME=\"Inner\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>" + inner +
                "</VALUE></PROPERTY>";
    }
    return text + "</INSTANCE>";
}

// Levels below the first take the namespace of the synthetic request, "Null".
TEST_F(EmbeddedObjects, NestInstancesRecursively) {
    Message md = parse(intrinsic("CreateInstance", "root/cimv2", iparam("NewInstance", nested(0, 3))));
    EXPECT_EQ(instanceText(static_cast<CIMInstance *>(content(md.get(), "NewInstance"))),
              "(null):L0{Inner:object={root/cimv2:L1{Inner:object={Null:L2{Inner:object={Null:L3{}}}}}}}");
    EXPECT_EQ(lastError(), unchanged);
}

// Nesting is bounded; the rest of the document still decodes.
TEST_F(EmbeddedObjects, NestDownTo32LevelsOnly) {
    for (int innermost : {kMaxEmbeddedObjectDepth, kMaxEmbeddedObjectDepth + 1}) {
        markLastError();
        Message md = parse(intrinsic("CreateInstance", "root", iparam("NewInstance", nested(0, innermost)) +
                                                                   valueParam("Role", "after")));
        std::string text = instanceText(static_cast<CIMInstance *>(content(md.get(), "NewInstance")));
        std::size_t levels = 0;
        for (std::size_t at = 0; (at = text.find("Inner:object={", at)) != std::string::npos; ++at) ++levels;
        EXPECT_EQ(levels, static_cast<std::size_t>(kMaxEmbeddedObjectDepth));
        EXPECT_EQ(lastError(), innermost == kMaxEmbeddedObjectDepth
                                   ? unchanged
                                   : "1: getEmbeddedObjectValue - Embedded objects nested deeper than 32 levels.");
        EXPECT_EQ(narrowText(static_cast<CIMString *>(content(md.get(), "Role"))), "after");
    }
}

}  // namespace
