// Pulled enumerations over the real server with the project's client
// library: any piece size gives the whole set the traditional operation
// gives, each error has its status, contexts belong to their user, expire,
// and survive writes between pulls.
#include <cimxml/cimxml_client.h>
#include <gc/gc.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include "server_process.h"

namespace {

using namespace httptest;

constexpr int items = 40;

std::string fixtureMof() {
    std::string path = ::testing::TempDir() + "pull_" + std::to_string(getpid()) + ".mof";
    std::ofstream mof(path);
    mof << "class Pull_Item { [Key] string Name; string Text; uint32 Rank; };\n"
           "class Pull_Group { [Key] string Id; };\n"
           "[Association] class Pull_Member { [Key] Pull_Group REF Group; [Key] Pull_Item REF Item; };\n"
           "instance of Pull_Group { Id = \"g\"; };\n";
    for (int i = 0; i < items; ++i) {
        mof << "instance of Pull_Item { Name = \"item-" << i << "\"; Text = \"text " << i << "\"; Rank = " << i
            << "; };\n";
        if (i % 4 == 0)
            mof << "instance of Pull_Member { Group = \"Pull_Group.Id=\\\"g\\\"\"; Item = \"Pull_Item.Name=\\\"item-"
                << i << "\\\"\"; };\n";
    }
    return path;
}

std::wstring wide(const std::string &text) { return std::wstring(text.begin(), text.end()); }
std::string narrow(const CIMString *text) {
    const wchar_t *w = getCIMStringBuffer(text);
    return w ? std::string(w, w + wcslen(w)) : "";
}

CIMObjectPath *classPath(const std::string &className) {
    CIMObjectPath *path = newObjectPathWithName(newCIMString(wide(className).c_str()));
    setObjectPathNameSpace(path, newCIMString(L"root/cimv2"));
    return path;
}

// A keep-alive client speaking through the library's encoders and decoders.
class PullClient {
public:
    explicit PullClient(int port, const char *authorization = nullptr)
        : connection_(port, std::chrono::seconds(20)), authorization_(authorization) {}

    // The answer's body to an encoder's message (freed here).
    std::string post(char *message, const std::string &method) {
        EXPECT_NE(message, nullptr) << method;
        std::string request = cimRequest(message ? message : "", method);
        GC_free(message);
        if (authorization_) request = editHeader(request, "Authorization", authorization_);
        connection_.send(request);
        return connection_.receive().body;
    }

    // One piece: status, names (or paths' key text), end and context.
    struct Piece {
        int status = -1;
        std::vector<std::string> names;
        bool ended = false;
        std::string context;
    };
    // (Lists of instances and of paths are one type.)
    using Decode = ReturnCode *(*)(const char *, CIMList **, CIMString **, int *);

    Piece read(const std::string &body, Decode decode, bool paths = false) {
        CIMList *list = nullptr;
        ReturnCode *rc = decode(body.c_str(), &list, &context_, &ended_);
        if (paths)
            return finish(rc, list, [](void *item) { return nameOf(getObjectPathKeys(static_cast<CIMObjectPath *>(item))); });
        return finish(rc, list,
                      [](void *item) { return nameOf(getInstanceProperties(static_cast<CIMInstance *>(item))); });
    }

    Piece open(const std::string &className, unsigned max, bool paths = false, const CIMXMLPullOptions *given = nullptr,
               CIMStringList *properties = nullptr) {
        CIMXMLPullOptions options = given ? *given : CIMXMLPullOptions{};
        options.maxObjectCount = max;
        CIMObjectPath *path = classPath(className);
        Piece piece = paths ? read(post(CIMXMLencode_openEnumerateInstancePaths(path, &options, 1),
                                        "OpenEnumerateInstancePaths"),
                                   CIMXMLdecode_openEnumerateInstancePaths, true)
                            : read(post(CIMXMLencode_openEnumerateInstances(path, 0, properties, &options, 1),
                                        "OpenEnumerateInstances"),
                                   CIMXMLdecode_openEnumerateInstances);
        freeCIMObjectPath(path);
        return piece;
    }

    Piece pull(const std::string &context, unsigned max, bool paths = false) {
        CIMObjectPath *path = classPath("");
        CIMString *text = newCIMString(wide(context).c_str());
        Piece piece = paths ? read(post(CIMXMLencode_pullInstancePaths(path, text, max, 1), "PullInstancePaths"),
                                   CIMXMLdecode_pullInstancePaths, true)
                            : read(post(CIMXMLencode_pullInstancesWithPath(path, text, max, 1), "PullInstancesWithPath"),
                                   CIMXMLdecode_pullInstancesWithPath);
        freeCIMString(text);
        freeCIMObjectPath(path);
        return piece;
    }

    int close(const std::string &context) {
        CIMObjectPath *path = classPath("");
        CIMString *text = newCIMString(wide(context).c_str());
        int status = statusOf(CIMXMLdecode_closeEnumeration(
            post(CIMXMLencode_closeEnumeration(path, text, 1), "CloseEnumeration").c_str()));
        freeCIMString(text);
        freeCIMObjectPath(path);
        return status;
    }

    int count(const std::string &context, unsigned long long &left) {
        CIMObjectPath *path = classPath("");
        CIMString *text = newCIMString(wide(context).c_str());
        int status = statusOf(CIMXMLdecode_enumerationCount(
            post(CIMXMLencode_enumerationCount(path, text, 1), "EnumerationCount").c_str(), &left));
        freeCIMString(text);
        freeCIMObjectPath(path);
        return status;
    }

    // Every name of an open and its pulls in pieces of max.
    std::vector<std::string> all(const std::function<Piece()> &open, unsigned max, bool paths = false) {
        Piece piece = open();
        std::vector<std::string> names = piece.names;
        for (int guard = 0; piece.status == 0 && !piece.ended && guard < 10000; ++guard) {
            piece = pull(piece.context, max, paths);
            names.insert(names.end(), piece.names.begin(), piece.names.end());
        }
        EXPECT_EQ(piece.status, 0);
        return names;
    }

    static int statusOf(ReturnCode *rc) {
        int status = getErrorFromRetCode(rc);
        freeReturnCode(rc);
        return status;
    }

private:
    // The Name key or property, or the first property's text.
    static std::string nameOf(CIMPropertyList *properties) {
        for (int i = 0; i < getCIMPropertyListLength(properties); ++i) {
            CIMProperty *p = getCIMPropertyAt(properties, i);
            std::string name = narrow(propertyGetName(p));
            if (name != "Name" && name != "Item") continue;
            void *content = nullptr;
            int type = CIM_NULL;
            freeReturnCode(getCIMValue(propertyGetValue(p), &content, &type));
            if (type == CIM_STRING) return narrow(static_cast<CIMString *>(content));
            return name;  // a reference: only that it is there
        }
        return "(unnamed)";
    }

    template <class List>
    Piece finish(ReturnCode *rc, List *list, std::string (*name)(void *)) {
        Piece piece;
        piece.status = statusOf(rc);
        for (int i = 0; i < getLength(list); ++i) piece.names.push_back(name(getElementAt(list, i)));
        freeList(list);
        piece.ended = ended_ != 0;
        piece.context = narrow(context_);
        freeCIMString(context_);
        context_ = nullptr;
        return piece;
    }

    RawConnection connection_;
    const char *authorization_;
    CIMString *context_ = nullptr;
    int ended_ = 0;
};

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> allItems() {
    std::vector<std::string> names;
    for (int i = 0; i < items; ++i) names.push_back("item-" + std::to_string(i));
    return sorted(names);
}

TEST(PullOperations, PiecesOfAnySizeGiveTheWholeSetOnce) {
    ServerProcess server({"--mof", fixtureMof()});
    PullClient client(server.port());
    for (unsigned size : {1u, 7u, 1000u}) {
        for (bool paths : {false, true}) {
            std::vector<std::string> names =
                client.all([&] { return client.open("Pull_Item", size, paths); }, size, paths);
            EXPECT_EQ(sorted(names), allItems()) << "pieces of " << size << (paths ? " paths" : " instances");
        }
    }
    // The whole set in the open ends the sequence at once and leaves no context.
    PullClient::Piece whole = client.open("Pull_Item", 1000);
    EXPECT_TRUE(whole.ended);
    EXPECT_EQ(whole.context, "");
    // MaxObjectCount 0 gives nothing and keeps the context; a count tells what is left.
    PullClient::Piece none = client.open("Pull_Item", 0);
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.names.empty());
    ASSERT_FALSE(none.ended);
    unsigned long long left = 0;
    EXPECT_EQ(client.count(none.context, left), 0);
    EXPECT_EQ(left, static_cast<unsigned long long>(items));
    EXPECT_EQ(client.pull(none.context, 0).names.size(), 0u);
    EXPECT_EQ(client.pull(none.context, 5).names.size(), 5u);
    EXPECT_EQ(client.close(none.context), 0);
    EXPECT_EQ(client.pull(none.context, 5).status, 21) << "a closed context";
    // A property list cuts every piece's instances as it cuts EnumerateInstances'.
    CIMStringList *onlyRank = newCIMStringList();
    appendToCIMStringList(onlyRank, newCIMString(L"Rank"));
    PullClient::Piece cut = client.open("Pull_Item", 3, false, nullptr, onlyRank);
    EXPECT_EQ(cut.names, std::vector<std::string>(3, "(unnamed)")) << "no Name property left";
    freeCIMStringList(onlyRank);
}

TEST(PullOperations, AssociationsAndQueriesPullWhatTheTraditionalOperationsGive) {
    ServerProcess server({"--mof", fixtureMof()});
    PullClient client(server.port());
    CIMObjectPath *group = classPath("Pull_Group");
    CIMPropertyList *keys = newCIMPropertyList();
    appendToCIMPropertyList(keys, newProperty(newCIMString(L"Id"), nullptr, newCIMValue(CIM_STRING, newCIMString(L"g")),
                                              CIM_STRING, nullptr, 0));
    setObjectPathKeys(group, keys);
    std::vector<std::string> members;
    for (int i = 0; i < items; i += 4) members.push_back("item-" + std::to_string(i));
    CIMXMLPullOptions options{};
    options.maxObjectCount = 3;
    EXPECT_EQ(sorted(client.all(
                  [&] {
                      return client.read(client.post(CIMXMLencode_openAssociatorInstances(group, nullptr, nullptr,
                                                                                          nullptr, nullptr, 0, nullptr,
                                                                                          &options, 1),
                                                     "OpenAssociatorInstances"),
                                         CIMXMLdecode_openAssociatorInstances);
                  },
                  3)),
              sorted(members));
    EXPECT_EQ(client.all(
                      [&] {
                          return client.read(client.post(CIMXMLencode_openReferenceInstancePaths(group, nullptr,
                                                                                                  nullptr, &options, 1),
                                                         "OpenReferenceInstancePaths"),
                                             CIMXMLdecode_openReferenceInstancePaths, true);
                      },
                      3, true)
                  .size(),
              members.size());
    CIMObjectPath *space = classPath("");
    CIMString *wql = newCIMString(L"WQL"), *query = newCIMString(L"SELECT Name FROM Pull_Item WHERE Rank < 10");
    PullClient::Piece queried = client.read(
        client.post(CIMXMLencode_openQueryInstances(space, wql, query, &options, 1), "OpenQueryInstances"),
        CIMXMLdecode_openQueryInstances);
    EXPECT_EQ(queried.names.size(), 3u);
    int total = static_cast<int>(queried.names.size());
    while (queried.status == 0 && !queried.ended && total < 100) {
        CIMString *context = newCIMString(wide(queried.context).c_str());
        queried = client.read(client.post(CIMXMLencode_pullInstances(space, context, 4, 1), "PullInstances"),
                              CIMXMLdecode_pullInstances);
        total += static_cast<int>(queried.names.size());
        freeCIMString(context);
    }
    EXPECT_EQ(total, 10);
    // The class of the results, asked for and not: the FROM class with the
    // selected properties only.
    for (int asked : {1, 0}) {
        options.returnQueryResultClass = asked;
        std::string answer =
            client.post(CIMXMLencode_openQueryInstances(space, wql, query, &options, 1), "OpenQueryInstances");
        CIMClass *resultClass = nullptr;
        ReturnCode *rc = CIMXMLdecode_queryResultClass(answer.c_str(), &resultClass);
        EXPECT_EQ(getErrorFromRetCode(rc), 0) << answer;
        freeReturnCode(rc);
        ASSERT_EQ(resultClass != nullptr, asked == 1) << answer;
        if (!resultClass) continue;
        EXPECT_EQ(std::wstring(getCIMStringBuffer(getClassName(resultClass))), L"Pull_Item");
        CIMPropertyList *properties = getClassProperties(resultClass);
        ASSERT_EQ(getCIMPropertyListLength(properties), 1);
        EXPECT_EQ(std::wstring(getCIMStringBuffer(propertyGetName(getCIMPropertyAt(properties, 0)))), L"Name");
        freeCIMClass(resultClass);
    }
    freeCIMString(wql);
    freeCIMString(query);
    freeCIMObjectPath(space);
    freeCIMObjectPath(group);
}

TEST(PullOperations, EachRefusalHasItsStatus) {
    ServerProcess server({"--mof", fixtureMof(), "--max-object-count", "100", "--max-operation-timeout", "30",
                          "--max-enumeration-contexts", "4", "--max-enumeration-contexts-per-user", "3"});
    PullClient client(server.port());
    auto withOptions = [&](CIMXMLPullOptions options) { return client.open("Pull_Item", 1, false, &options).status; };
    CIMString *wql = newCIMString(L"WQL"), *fql = newCIMString(L"DMTF:FQL"), *query = newCIMString(L"Rank > 3");
    const struct {
        const char *what;
        CIMXMLPullOptions options;
        int status;
    } refusals[] = {
        {"a timeout of 0 (never)", {nullptr, nullptr, 1, 0, 0, 1, 0}, 22},
        {"a timeout above the limit", {nullptr, nullptr, 1, 31, 0, 1, 0}, 22},
        {"ContinueOnError", {nullptr, nullptr, 0, 0, 1, 1, 0}, 26},
        {"a filter language other than FQL", {wql, query, 0, 0, 0, 1, 0}, 14},
        {"a filter without its language", {nullptr, query, 0, 0, 0, 1, 0}, 4},
    };
    for (const auto &refusal : refusals) EXPECT_EQ(withOptions(refusal.options), refusal.status) << refusal.what;
    EXPECT_EQ(client.open("Pull_Item", 101).status, 27) << "MaxObjectCount above the limit";
    EXPECT_EQ(client.open("No_Such_Class", 1).status, 5);
    CIMString *bad = newCIMString(L"Rank >");
    EXPECT_EQ(withOptions({fql, bad, 0, 0, 0, 1, 0}), 15) << "an FQL filter that does not parse";
    freeCIMString(bad);
    // An FQL filter keeps what it is true for, in every piece.
    CIMXMLPullOptions filtered{fql, query, 0, 0, 0, 5, 0};
    std::vector<std::string> kept =
        client.all([&] { return client.open("Pull_Item", 5, false, &filtered); }, 5);
    EXPECT_EQ(kept.size(), static_cast<std::size_t>(items - 4)) << "Rank > 3";
    PullClient::Piece open = client.open("Pull_Item", 1);
    EXPECT_EQ(client.pull(open.context, 101).status, 27);
    EXPECT_EQ(client.pull(open.context, 1, true).status, 21) << "paths pulled from an instance enumeration";
    EXPECT_EQ(client.pull("0123456789abcdef0123456789abcdef", 1).status, 21) << "an unknown context";
    EXPECT_EQ(client.pull(open.context, 1).status, 0) << "a refused pull leaves the context open";
    // Limits on open contexts: three for this (anonymous) user.
    EXPECT_EQ(client.open("Pull_Item", 1).status, 0);
    EXPECT_EQ(client.open("Pull_Item", 1).status, 0);
    EXPECT_EQ(client.open("Pull_Item", 1).status, 27);
    EXPECT_EQ(client.close(open.context), 0);
    EXPECT_EQ(client.open("Pull_Item", 1).status, 0) << "a closed context frees its place";
    freeCIMString(wql);
    freeCIMString(fql);
    freeCIMString(query);
}

TEST(PullOperations, ContextsBelongToTheirUserAndExpireUnused) {
    std::string file = ::testing::TempDir() + "pull_passwd_" + std::to_string(getpid());
    std::remove(file.c_str());
    for (const char *user : {"alice", "bob"})
        ASSERT_EQ(runCimxmld({"--add-user", user, "--passwd", file}, "pw\n").status, 0);
    ServerProcess server({"--mof", fixtureMof(), "--passwd", file, "--default-operation-timeout", "1"});
    PullClient alice(server.port(), "Basic YWxpY2U6cHc=");  // alice:pw
    PullClient bob(server.port(), "Basic Ym9iOnB3");        // bob:pw
    PullClient::Piece open = alice.open("Pull_Item", 1);
    ASSERT_EQ(open.status, 0);
    EXPECT_EQ(bob.pull(open.context, 1).status, 21);
    EXPECT_EQ(bob.close(open.context), 21);
    EXPECT_EQ(alice.pull(open.context, 1).status, 0);
    // Unused for longer than its timeout (1 s), the server frees it.
    std::string expired;
    for (int i = 0; i < 40 && expired.find("cimxmld_enumeration_contexts_expired_total 1") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        RawConnection metrics(server.port());
        metrics.send("GET /metrics HTTP/1.1\r\nHost: x\r\nAuthorization: Basic YWxpY2U6cHc=\r\n\r\n");
        expired = metrics.receive().body;
    }
    EXPECT_NE(expired.find("cimxmld_enumeration_contexts_expired_total 1"), std::string::npos) << expired;
    EXPECT_NE(expired.find("cimxmld_enumeration_contexts_open 0"), std::string::npos);
    EXPECT_EQ(alice.pull(open.context, 1).status, 21);
    std::remove(file.c_str());
}

TEST(PullOperations, WritesBetweenPullsNeitherCrashNorGiveHalfInstances) {
    ServerProcess server({"--mof", fixtureMof()});
    PullClient reader(server.port());
    RawConnection writer(server.port(), std::chrono::seconds(20));
    auto write = [&](const std::string &method, const std::string &parameters) {
        writer.send(cimRequest(intrinsicBody(method, parameters), method));
        return writer.receive().body.find("<ERROR") == std::string::npos;
    };
    auto named = [](int i) {
        return "<INSTANCENAME CLASSNAME=\"Pull_Item\"><KEYBINDING NAME=\"Name\"><KEYVALUE VALUETYPE=\"string\">item-" +
               std::to_string(i) + "</KEYVALUE></KEYBINDING></INSTANCENAME>";
    };
    PullClient::Piece piece = reader.open("Pull_Item", 5);
    std::set<std::string> seen(piece.names.begin(), piece.names.end());
    for (int round = 0; piece.status == 0 && !piece.ended && round < 100; ++round) {
        // Delete one not read yet, make a new one, change one already read.
        EXPECT_TRUE(write("DeleteInstance", "<IPARAMVALUE NAME=\"InstanceName\">" + named(items - 1 - round) +
                                                "</IPARAMVALUE>"));
        EXPECT_TRUE(write("CreateInstance",
                          "<IPARAMVALUE NAME=\"NewInstance\"><INSTANCE CLASSNAME=\"Pull_Item\"><PROPERTY NAME=\"Name\" "
                          "TYPE=\"string\"><VALUE>new-" +
                              std::to_string(round) + "</VALUE></PROPERTY></INSTANCE></IPARAMVALUE>"));
        piece = reader.pull(piece.context, 5);
        for (const std::string &name : piece.names) {
            EXPECT_NE(name, "(unnamed)") << "an instance without its key";
            EXPECT_TRUE(seen.insert(name).second) << name << " given twice";
        }
    }
    EXPECT_EQ(piece.status, 0);
    EXPECT_TRUE(piece.ended);
}

}  // namespace
