// The object manager behind the built libcimxml.so, loaded with dlopen as a
// host loads it: an independent client's requests get DTD-valid answers.
#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <cimxml/cimxml.h>

#include "om_fixture.h"
#include "support/conformance_requests.h"
#include "support/log_capture.h"

namespace omtest {
namespace {

namespace fs = std::filesystem;

class EndToEnd : public ObjectManagerTest {
protected:
    void SetUp() override {
        ObjectManagerTest::SetUp();
        library_ = dlopen(CIMXML_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        handler_ = reinterpret_cast<decltype(handler_)>(dlsym(library_, "CIMXML_RequestMessage_Handler"));
        response_ = reinterpret_cast<decltype(response_)>(dlsym(library_, "CIMXML_getResponseFromMessageHandler"));
        release_ = reinterpret_cast<decltype(release_)>(dlsym(library_, "CIMXML_releaseMessageHandler"));
        ASSERT_TRUE(handler_ && response_ && release_);
    }
    // The whole response: header lines and body.
    std::string answer(const std::string &request) {
        MessageHandler *record = handler_(request.c_str(), nullptr, &handle);
        std::string text = record && response_(record) ? response_(record) : "(no response)";
        release_(record);
        return text;
    }

    void *library_ = nullptr;
    decltype(&CIMXML_RequestMessage_Handler) handler_ = nullptr;
    decltype(&CIMXML_getResponseFromMessageHandler) response_ = nullptr;
    decltype(&CIMXML_releaseMessageHandler) release_ = nullptr;
};

TEST_F(EndToEnd, AnIndependentClientsRequestsGetValidAnswers) {
    ASSERT_TRUE(om->loadDefaultSchema().empty());
    testsupport::LogCapture quiet(-1);
    fs::path folder = fs::temp_directory_path() / ("cimom-e2e-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::string files, missing;
    int sent = testsupport::forEachServedRequest([&](const std::string &name, const std::string &,
                                                     const std::string &text) {
        std::string body = testsupport::bodyAfterHeader(answer(text));
        if (body.find("RESPONSE") == std::string::npos) missing += name + " ";
        std::ofstream(folder / (name + ".xml"), std::ios::binary) << body;
        files += " '" + name + ".xml'";
    });
    if (sent == 0) {
        fs::remove_all(folder);
        GTEST_SKIP() << "conformance folder absent";
    }
    EXPECT_EQ(missing, "");
    if (!testsupport::ownOutputDtd(false).empty() && testsupport::haveXmllint()) {
        EXPECT_EQ(commandOutput("cd '" + folder.string() + "' && xmllint --noout --dtdvalid '" +
                                testsupport::ownOutputDtd(false) + "'" + files + " && echo valid"),
                  "valid\n");
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace omtest
