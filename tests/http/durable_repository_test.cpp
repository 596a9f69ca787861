// durable_repository_test.cpp - cimxmld on a repository file, killed with
// SIGKILL at random points while a client creates and modifies instances:
// after each restart every acknowledged write is there and nothing
// half-written is.
#include <cimobj/cimobj.hpp>
#include <cimxml/cimxml_client.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <thread>

#include "server_process.h"
#include "support/decoded_results.h"

namespace {

using namespace fixtures;
using httptest::ServerProcess;

// Each item's Text repeats its key and generation, so that an instance
// written in part cannot pass for a whole one.
std::wstring itemText(int id, int generation) {
    return std::to_wstring(id) + L"/" + std::to_wstring(generation) + std::wstring(200, L'.');
}

CIMInstance *item(int id, int generation) {
    return instance(L"Crash_Item", {property(L"Id", uint32_value(static_cast<uint32_t>(id))),
                                    property(L"Gen", uint32_value(static_cast<uint32_t>(generation))),
                                    property(L"Text", string_value(itemText(id, generation).c_str()))});
}

// Each instance's text, one line each in key order.
std::string itemsText(const CIMList *instances) {
    std::map<uint32_t, std::string> lines;
    for (CIMListNode *node = getFirstNode(instances); node; node = getNextNode(node)) {
        auto *one = static_cast<CIMInstance *>(getNodeItem(node));
        CIMProperty *id = findCIMProperty(one->properties, L"Id");
        lines[id && id->value ? id->value->data.u32 : UINT32_MAX] = testsupport::instanceText(one) + "\n";
    }
    std::string text;
    for (const auto &[id, line] : lines) text += line;
    return text;
}

// The items of the acknowledged generations, as text.
std::string itemsText(const std::map<int, int> &generations) {
    auto list = own(newList(CIMLIST_INSTANCE));
    for (auto [id, generation] : generations) freeReturnCode(appendToList(list.get(), item(id, generation)));
    return itemsText(list.get());
}

// Posts an encoded request over connection; the response as the decoders
// take it, empty when the server has gone before answering in full.
std::string exchange(httptest::RawConnection &connection, const char *encoded, const std::string &method) {
    std::string request = encoded ? encoded : "";
    std::string body = request.substr(request.find("\r\n\r\n") + 4);
    if (!connection.send(httptest::cimRequest(body, method))) return "";
    httptest::RawResponse response = connection.receive();
    std::size_t length = response.head.find("Content-Length: ");
    if (length == std::string::npos || std::stoul(response.head.substr(length + 16)) != response.body.size()) return "";
    return response.head + "\r\n" + response.body;
}

// Creates item id or writes its next generation: "0" when acknowledged,
// "code: description" when refused, empty when no answer came.
std::string write(httptest::RawConnection &connection, CIMObjectPath *classPath, int id, int generation) {
    auto written = own(item(id, generation));
    if (generation == 0) {
        std::string response =
            exchange(connection, CIMXMLencode_createInstance(classPath, written.get(), 0), "CreateInstance");
        CIMObjectPath *made = nullptr;
        std::string outcome = response.empty() ? "" : testsupport::outcome(CIMXMLdecode_createInstance(response.c_str(), &made));
        freeCIMObjectPath(made);
        return outcome;
    }
    auto named = own(copyObjectPath(classPath));
    add_key(named.get(), L"Id", uint32_value(static_cast<uint32_t>(id)));
    std::string response =
        exchange(connection, CIMXMLencode_modifyInstance(named.get(), written.get(), 0, nullptr, 0), "ModifyInstance");
    return response.empty() ? "" : testsupport::outcome(CIMXMLdecode_modifyInstance(response.c_str()));
}

// The items the server holds, whole.
std::string itemsServed(int port, CIMObjectPath *classPath) {
    httptest::RawConnection connection(port);
    std::string response = exchange(
        connection, CIMXMLencode_enumerateInstances(classPath, 1, 0, 0, 0, nullptr, 0), "EnumerateInstances");
    CIMInstanceList *instances = nullptr;
    EXPECT_EQ(testsupport::outcome(CIMXMLdecode_enumerateInstances(response.c_str(), &instances)), "0");
    auto owned = own(instances);
    return itemsText(instances);
}

TEST(DurableRepository, KeepsEveryAcknowledgedWriteThroughKillsAtRandomPoints) {
    std::string folder = ::testing::TempDir() + "crash-XXXXXX";
    ASSERT_TRUE(mkdtemp(folder.data()));
    const std::string file = folder + "/repository.db", mof = folder + "/crash.mof";
    std::ofstream(mof) << "class Crash_Item { [Key] uint32 Id; uint32 Gen; string Text; };\n";
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto classPath = own(path(L"Crash_Item", L"root/cimv2"));
    std::map<int, int> acknowledged;  // Id -> the last generation acknowledged
    int total = 0;
    for (int round = 0; round < 5; ++round) {
        std::optional<std::pair<int, int>> inFlight;
        {
            ServerProcess server({"--repository", file, "--mof", mof});
            ASSERT_NE(server.port(), 0) << server.log();
            std::thread killer([&, delay = std::uniform_int_distribution<int>(20, 400)(random)] {
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                server.crash();
            });
            httptest::RawConnection connection(server.port());
            for (int sent = 0; sent < 20000; ++sent) {
                int id = static_cast<int>(acknowledged.size());
                if (id > 0 && random() % 2) id = static_cast<int>(random() % acknowledged.size());
                int generation = acknowledged.count(id) ? acknowledged[id] + 1 : 0;
                inFlight = {id, generation};
                std::string outcome = write(connection, classPath.get(), id, generation);
                EXPECT_EQ(outcome.empty() ? "0" : outcome, "0") << "a write was refused";
                if (outcome != "0") break;  // empty: killed before it answered in full
                acknowledged[id] = generation;
                inFlight.reset();
                ++total;
            }
            killer.join();
        }
        // The write in flight at the kill may or may not have landed; all
        // that were acknowledged have, and every item is whole.
        ServerProcess restarted({"--repository", file});
        ASSERT_NE(restarted.port(), 0) << restarted.log();
        std::string served = itemsServed(restarted.port(), classPath.get());
        if (inFlight && served != itemsText(acknowledged)) acknowledged[inFlight->first] = inFlight->second;
        EXPECT_EQ(served, itemsText(acknowledged)) << "round " << round;
        EXPECT_EQ(restarted.stop(), 0);
    }
    EXPECT_GT(total, 0);
    EXPECT_EQ(httptest::runCommand("sqlite3", {file, "PRAGMA integrity_check; PRAGMA foreign_key_check"}).out,
              "ok\n");
    std::filesystem::remove_all(folder);
}

}  // namespace
