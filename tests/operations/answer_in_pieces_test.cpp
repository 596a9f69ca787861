// Answers in pieces against whole answers: the pieces joined are the whole
// text byte for byte (enumerations read in batches through the host's
// extension, everything else given at once), a failure after the first
// pieces goes to the end record or, when the host can still forget the
// pieces, becomes the whole error answer, and a host that takes no more
// stops the enumeration.
#include <gtest/gtest.h>

#include <cimxml/cimxml.h>
#include <cimxml/cimxml_host.h>

#include <string>
#include <vector>

#include "cimxml_common/status_codes.h"
#include "support/cimom_double.h"
#include "support/object_builders.h"
#include "support/profiles.h"
#include "support/requests.h"

namespace {

using namespace testsupport;

constexpr int instanceCount = 700;

// The instances the double and the extension give: large enough that the
// answer takes many pieces.
CIMInstanceList *instancesFrom(int first, int count) {
    CIMInstanceList *list = newList(CIMLIST_INSTANCE);
    for (int i = first; i < first + count; ++i) {
        std::string name = "item-" + std::to_string(i);
        CIMObjectPath *own = fixtures::path(L"CIM_Foo", L"root/cimv2");
        fixtures::add_key(own, L"Name", fixtures::narrow_string_value(name));
        CIMInstance *instance = fixtures::instance(
            L"CIM_Foo",
            {fixtures::property(L"Name", fixtures::narrow_string_value(name)),
             fixtures::property(L"Text", fixtures::narrow_string_value(std::string(200, 'a' + i % 26) + "<&>")),
             fixtures::property(L"Size", fixtures::uint32_value(static_cast<uint32_t>(i)))},
            own);
        freeReturnCode(appendToList(list, instance));
    }
    return list;
}

// Their paths.
CIMObjectPathList *pathsFrom(int first, int count) {
    CIMObjectPathList *list = newList(CIMLIST_OBJECTPATH);
    for (int i = first; i < first + count; ++i) {
        CIMObjectPath *own = fixtures::path(L"CIM_Foo", L"root/cimv2");
        fixtures::add_key(own, L"Name", fixtures::narrow_string_value("item-" + std::to_string(i)));
        freeReturnCode(appendToList(list, own));
    }
    return list;
}

// The extension's behaviour for the next call.
struct Batches {
    int failAfter = -1;  // batches given before the failure; -1: none
    int given = 0;
    bool stopped = false;
};
Batches batches;

// Gives what make makes, instanceCount in all, batchSize at a time.
ReturnCode *giveInBatches(size_t batchSize, int (*deliver)(void *, CIMList *), void *context,
                          CIMList *(*make)(int, int)) {
    batches.given = 0;
    batches.stopped = false;
    for (int first = 0; first < instanceCount; first += static_cast<int>(batchSize)) {
        if (batches.given == batches.failAfter) return newReturnCode(CIM_ERR_FAILED, L"the source went away");
        ++batches.given;
        int count = std::min(static_cast<int>(batchSize), instanceCount - first);
        if (deliver(context, make(first, count)) != 0) {
            batches.stopped = true;
            break;
        }
    }
    return newReturnCode(0, nullptr);
}

ReturnCode *enumerateInBatches(CIMObjectPath *, int, int, int, int, CIMStringList *, size_t n, CIMXMLInstanceBatch d,
                               void *c) {
    return giveInBatches(n, d, c, instancesFrom);
}
ReturnCode *associatorsInBatches(CIMObjectPath *, CIMString *, CIMString *, CIMString *, CIMString *, int, int,
                                 CIMStringList *, size_t n, CIMXMLObjectBatch d, void *c) {
    return giveInBatches(n, d, c, instancesFrom);
}
ReturnCode *associatorNamesInBatches(CIMObjectPath *, CIMString *, CIMString *, CIMString *, CIMString *, size_t n,
                                     CIMXMLPathBatch d, void *c) {
    return giveInBatches(n, d, c, pathsFrom);
}
ReturnCode *referencesInBatches(CIMObjectPath *, CIMString *, CIMString *, int, int, CIMStringList *, size_t n,
                                CIMXMLObjectBatch d, void *c) {
    return giveInBatches(n, d, c, instancesFrom);
}
ReturnCode *referenceNamesInBatches(CIMObjectPath *, CIMString *, CIMString *, size_t n, CIMXMLPathBatch d, void *c) {
    return giveInBatches(n, d, c, pathsFrom);
}
ReturnCode *execQueryInBatches(CIMObjectPath *, CIMString *, CIMString *, size_t n, CIMXMLInstanceBatch d, void *c) {
    return giveInBatches(n, d, c, instancesFrom);
}

// What the module gives through the sink.
struct Received {
    std::string header, body;
    int begins = 0, writes = 0, status = -1;
    bool forgettable = true;  // restart succeeds
    int takeWrites = -1;      // writes taken before the host takes no more; -1: all
};

int onBegin(void *context, const char *header, size_t length, int status) {
    auto *r = static_cast<Received *>(context);
    ++r->begins;
    r->header.assign(header, length);
    r->status = status;
    return 0;
}
int onWrite(void *context, const char *bytes, size_t length) {
    auto *r = static_cast<Received *>(context);
    if (r->takeWrites >= 0 && r->writes >= r->takeWrites) return 1;
    ++r->writes;
    r->body.append(bytes, length);
    return 0;
}
int onRestart(void *context) {
    auto *r = static_cast<Received *>(context);
    if (!r->forgettable) return 1;
    r->header.clear();
    r->body.clear();
    return 0;
}

std::string whole(const std::string &request, CIMOMHandle *handle) {
    MessageHandler *record = CIMXML_RequestMessage_Handler(request.c_str(), nullptr, handle);
    std::string text = CIMXML_getResponseFromMessageHandler(record);
    CIMXML_releaseMessageHandler(record);
    return text;
}

CIMXMLAnswerEnd inPieces(const std::string &request, CIMOMHandle *handle, Received &received) {
    CIMXMLAnswerSink sink{&received, onBegin, onWrite, onRestart};
    CIMXMLAnswerEnd end{};
    EXPECT_EQ(CIMXML_answerInPieces(request.c_str(), handle, &sink, &end), 1);
    return end;
}

class AnswerInPieces : public ::testing::Test {
protected:
    void SetUp() override {
        cimom.answerEverySlot();
        cimom.setRecording(false);
        for (const char *slot : {"pfn_enumerateInstances", "pfn_associators", "pfn_references", "pfn_execQuery"})
            cimom.setResult(slot, [] { return static_cast<void *>(instancesFrom(0, instanceCount)); });
        for (const char *slot : {"pfn_associatorNames", "pfn_referenceNames"})
            cimom.setResult(slot, [] { return static_cast<void *>(pathsFrom(0, instanceCount)); });
        CIMXMLHostExtensions extensions{};
        extensions.size = sizeof extensions;
        extensions.enumerateInstancesInBatches = enumerateInBatches;
        extensions.associatorsInBatches = associatorsInBatches;
        extensions.associatorNamesInBatches = associatorNamesInBatches;
        extensions.referencesInBatches = referencesInBatches;
        extensions.referenceNamesInBatches = referenceNamesInBatches;
        extensions.execQueryInBatches = execQueryInBatches;
        ASSERT_EQ(CIMXML_setHostExtensions(&extensions), 1);
        batches = Batches{};
    }
    void TearDown() override { CIMXML_setHostExtensions(nullptr); }

    ProfileScope strict{true};
    CimomDouble cimom;
    const std::string enumerate = intrinsic("EnumerateInstances", "root/cimv2", classNameParam("CIM_Foo"));
};

TEST_F(AnswerInPieces, JoinedAreTheWholeAnswerForEveryOperation) {
    const std::string object = iparam("ObjectName", "<CLASSNAME NAME=\"CIM_Foo\"/>");
    const struct {
        std::string request;
        bool batched;  // through the host's extension
    } cases[] = {
        {enumerate, true},
        {intrinsic("GetClass", "root/cimv2", classNameParam("CIM_Foo")), false},
        {intrinsic("EnumerateInstanceNames", "root/cimv2", classNameParam("CIM_Foo")), false},
        {intrinsic("NoSuchOperation", "root/cimv2"), false},
        {intrinsic("EnumerateInstances", "root/cimv2"), false},
        {intrinsic("Associators", "root/cimv2", object), true},
        {intrinsic("AssociatorNames", "root/cimv2", object), true},
        {intrinsic("References", "root/cimv2", object), true},
        {intrinsic("ReferenceNames", "root/cimv2", object), true},
        {intrinsic("ExecQuery", "root/cimv2",
                   valueParam("QueryLanguage", "WQL") + valueParam("Query", "SELECT * FROM CIM_Foo")),
         true},
    };
    for (const auto &[request, batched] : cases) {
        const std::string expected = whole(request, cimom.handle());
        Received received;
        batches.given = 0;
        CIMXMLAnswerEnd end = inPieces(request, cimom.handle(), received);
        EXPECT_EQ(end.lateStatus, 0);
        EXPECT_EQ(received.begins, 1);
        EXPECT_EQ(received.header + "\r\n" + received.body, expected) << request.substr(0, 200);
        EXPECT_EQ(batches.given, batched ? (instanceCount + 63) / 64 : 0) << request.substr(0, 200);
    }
    Received received;
    inPieces(enumerate, cimom.handle(), received);
    EXPECT_GT(received.writes, 5) << "a large enumeration goes in many pieces";
    EXPECT_EQ(batches.given, (instanceCount + 63) / 64);
}

TEST_F(AnswerInPieces, ALateFailureEndsTheAnswerOrReplacesItWhole) {
    batches.failAfter = 5;
    Received sent;
    sent.forgettable = false;
    CIMXMLAnswerEnd end = inPieces(enumerate, cimom.handle(), sent);
    EXPECT_EQ(end.lateStatus, CIM_ERR_FAILED);
    EXPECT_STREQ(end.lateDescription, "the source went away");
    const std::string success = whole(enumerate, cimom.handle());
    EXPECT_EQ(success.compare(0, sent.header.size() + 2 + sent.body.size(), sent.header + "\r\n" + sent.body), 0)
        << "what was sent is the start of the whole answer";

    batches.failAfter = 5;
    Received forgotten;
    end = inPieces(enumerate, cimom.handle(), forgotten);
    EXPECT_EQ(end.lateStatus, 0);
    EXPECT_EQ(forgotten.begins, 2);
    cimom.setStatus("pfn_enumerateInstances", CIM_ERR_FAILED, "the source went away");
    EXPECT_EQ(forgotten.header + "\r\n" + forgotten.body, whole(enumerate, cimom.handle()));
    EXPECT_EQ(forgotten.status, CIM_ERR_FAILED);

    Received gone;
    gone.takeWrites = 1;
    end = inPieces(enumerate, cimom.handle(), gone);
    EXPECT_EQ(end.lateStatus, 0);
    EXPECT_TRUE(batches.stopped) << "a host that takes no more stops the enumeration";
    EXPECT_LT(batches.given, 5);
}

}  // namespace
