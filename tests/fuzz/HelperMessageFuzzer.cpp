// libFuzzer entry for the helper daemon's message handling: any byte stream a client may write,
// decoded as the listener decodes it and handled by a daemon in this process over the simulated
// machine. Nothing crashes, every reply is a text, and no target the daemon writes leaves the fan's range.
#include "Platform/Foundation/ManualClock.h"
#include "Platform/SMC/MachineProfile.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/SMC/SimSmcDevice.h"
#include "Tools/SMCHelper/HelperDaemon.h"
#include "tests/Support/TempRoot.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

class Peer : public XPC::PeerConnection {
public:
    const XPC::PeerCredentials& credentials() const override { return credentials_; }
    bool reply(std::uint64_t, const std::optional<std::string>& text, std::function<void()> written) override
    {
        if (!text)
            std::abort(); // the daemon always answers with a text
        if (written)
            written();
        return open_;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }

private:
    XPC::PeerCredentials credentials_ {::getpid(), ::getuid(), ::getgid()};
    bool open_ = true;
};

struct World {
    TempRoot root;
    Foundation::ManualClock clock;
    std::shared_ptr<SMCSim::SimSmcDevice> device;
    std::unique_ptr<Aerlo::HelperDaemon> daemon;
    SMCSim::MachineProfile profile;
    double initialTargets[2] = {0, 0}; // the profile's, which may lie outside the range

    World()
    {
        profile = *SMCSim::MachineProfile::load("mbp-m1pro-2fan");
        device = std::make_shared<SMCSim::SimSmcDevice>(profile, clock);
        for (int fan = 0; fan < 2; ++fan)
            initialTargets[fan] = device->value("F" + std::to_string(fan) + "Tg").value_or(0);
        const auto running = root.path() / "running";
        std::ofstream(running) << "daemon";
        Aerlo::HelperDaemon::Options options;
        options.version = "2.4.0";
        options.configuration = Aerlo::HelperConfiguration::developmentRun(::getuid());
        options.smcRegistry = IOKit::SMCEndpoint::registryForDevice(device, profile.service, true);
        options.clock = &clock;
        options.runningImage = running;
        options.logLimit = 64 * 1024;
        daemon = std::make_unique<Aerlo::HelperDaemon>(options);
        if (!daemon->start())
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    World& w = fuzzWorld<World>();
    XPC::MessageCodec codec;
    const auto result = codec.feed(data, size);
    Peer peer;
    for (const auto& message : result.messages) {
        const auto request = XPC::MessageCodec::parseRequest(message);
        if (!request || !w.daemon->handle(peer, *request) || !peer.isOpen())
            break;
    }
    for (int fan = 0; fan < 2; ++fan) {
        const std::string prefix = "F" + std::to_string(fan);
        const double target = w.device->value(prefix + "Tg").value_or(0);
        if (target != w.initialTargets[fan]
            && (target < w.device->value(prefix + "Mn").value_or(0) - 0.5
                || target > w.device->value(prefix + "Mx").value_or(0) + 0.5))
            std::abort();
    }
    w.clock.advance(1);
    w.daemon->tick();
    return 0;
}
