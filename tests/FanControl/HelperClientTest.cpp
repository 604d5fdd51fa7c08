#include "tests/FanControl/HelperClientTest.h"

#include "Classes/Configure/Global/NotificationName.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "tests/Support/TestAccess.h"

#include <fstream>
#include <sys/wait.h>

namespace fs = std::filesystem;
using XPC::RecordingTransport;

void HelperClientTest::SetUp()
{
    DaemonTest::SetUp();
    fs::create_directories(bundle_ / "Contents" / "Resources");
    std::ofstream(bundle_ / "Contents" / "Resources" / "SMC") << "SMC\n";
    authorization_ = std::make_shared<SystemPlatform::ScriptedAuthorizationProvider>();
    SystemPlatform::AuthorizationProvider::replaceShared(authorization_);
    TestAccess::resetForTesting<Aerlo::SMCHelper>([this] {
        auto transport = std::make_shared<RecordingTransport>(std::string(Aerlo::SMCHelper::label));
        transport->setResponder([this](const XPC::Request& request) {
            XPC::RecordingTransport::Responder responder;
            {
                std::lock_guard lock(mutex_);
                responder = responder_;
            }
            return responder ? responder(request) : RecordingTransport::Response::reply();
        });
        std::lock_guard lock(mutex_);
        made_.push_back(transport);
        return transport;
    });
    observer_ = Foundation::NotificationCenter::defaultCenter().addObserver(
        Aerlo::NotificationName::fanHelperState, nullptr, [this](const Foundation::Notification& notification) {
            HelperStatePost post;
            const auto state = notification.userInfo.find("state");
            post.state = state != notification.userInfo.end() && std::any_cast<bool>(state->second);
            post.messagesBefore = sent().size();
            std::lock_guard lock(mutex_);
            posts_.push_back(post);
        });
}

void HelperClientTest::TearDown()
{
    observer_.reset();
    TestAccess::resetForTesting<Aerlo::SMCHelper>();
    {
        std::lock_guard lock(mutex_);
        made_.clear();
    }
    TestAccess::resetForTesting<Aerlo::SMC>();
    machine_.reset();
    SystemPlatform::AuthorizationProvider::replaceShared(nullptr);
    DaemonTest::TearDown();
}

std::vector<std::string> HelperClientTest::sent() const
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < connectionsMade(); ++i)
        for (const auto& message : connection(i)->messages())
            lines.push_back(message.value("sel", std::string()) + " " + message.value("args", XPC::Message()).dump());
    return lines;
}

void HelperClientTest::drain()
{
    for (std::size_t i = 0; i < connectionsMade(); ++i)
        connection(i)->drain();
}

std::string HelperClientTest::smcPathLine() const
{
    return "setSMCPath: " + XPC::Message::array({(bundle_ / "Contents" / "Resources" / "SMC").string()}).dump();
}

std::size_t HelperClientTest::connectionsMade() const
{
    std::lock_guard lock(mutex_);
    return made_.size();
}

std::shared_ptr<RecordingTransport> HelperClientTest::connection(std::size_t index) const
{
    std::lock_guard lock(mutex_);
    return made_.at(index);
}

void HelperClientTest::respond(RecordingTransport::Responder responder)
{
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
}

void HelperClientTest::useFanCount(const std::string& type, std::vector<std::uint8_t> bytes)
{
    machine_ = type.empty() ? std::make_unique<SimMachine>(smcTable({}))
                            : std::make_unique<SimMachine>(smcTable({smcKey("FNum", type, std::move(bytes))}));
    TestAccess::resetForTesting<Aerlo::SMC>(machine_->registry);
}

std::vector<HelperClientTest::HelperStatePost> HelperClientTest::helperStatePosts() const
{
    std::lock_guard lock(mutex_);
    return posts_;
}
