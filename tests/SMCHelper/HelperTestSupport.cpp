#include "tests/SMCHelper/HelperTestSupport.h"

#include "Platform/Foundation/FileDigest.h"
#include "Platform/System/HelperPaths.h"

#include <fstream>

namespace HelperTest {

std::vector<std::string> logLines()
{
    std::ifstream stream(SystemPlatform::HelperPaths::logFile(label));
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(line);
    return lines;
}

std::vector<nlohmann::json> logRecords(const std::string& event)
{
    std::vector<nlohmann::json> records;
    for (const auto& line : logLines()) {
        auto record = nlohmann::json::parse(line, nullptr, false);
        EXPECT_FALSE(record.is_discarded()) << line;
        if (!record.is_discarded() && (event.empty() || record["event"] == event))
            records.push_back(std::move(record));
    }
    return records;
}

std::vector<std::string> loggedMessages()
{
    std::vector<std::string> messages;
    for (const auto& record : logRecords("message"))
        messages.push_back(record["sel"].get<std::string>() + " " + record["args"].dump());
    return messages;
}

std::filesystem::path testProgram() { return std::filesystem::canonical("/proc/self/exe"); }

std::string testProgramDigest()
{
    static const std::string digest = Foundation::FileDigest::sha256(testProgram()).value_or("");
    return digest;
}

Aerlo::HelperConfiguration configurationForThisProcess()
{
    Aerlo::HelperConfiguration configuration;
    configuration.allowedClientUIDs = {::getuid()};
    configuration.allowedClientPath = testProgram();
    configuration.allowedClientSHA256 = testProgramDigest();
    return configuration;
}

void HelperFixture::makeDaemon(Aerlo::HelperConfiguration configuration)
{
    Aerlo::HelperDaemon::Options options;
    options.version = "2.4.0";
    options.configuration = std::move(configuration);
    options.smcRegistry = machine.registry;
    options.clock = &machine.clock;
    daemon = std::make_unique<Aerlo::HelperDaemon>(options);
    ASSERT_TRUE(daemon->start()) << daemon->errorDescription();
    machine.device->resetLog();
}

bool HelperFixture::send(const std::string& sel, XPC::Message args) { return send(peer, sel, std::move(args)); }

bool HelperFixture::send(RecordingPeer& from, const std::string& sel, XPC::Message args)
{
    XPC::Request request;
    request.id = nextId++;
    request.sel = sel;
    request.args = std::move(args);
    return daemon->handle(from, request);
}

std::optional<std::string> HelperFixture::lastReply() const
{
    if (peer.replies.empty())
        return std::nullopt;
    return peer.replies.back().reply;
}

} // namespace HelperTest
