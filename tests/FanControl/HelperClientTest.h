#pragma once

#include "Classes/FanControl/SMCHelper.h"
#include "Platform/Foundation/Notification.h"
#include "Platform/Foundation/ObserverToken.h"
#include "tests/SMC/SimMachine.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/ManualRunLoopDriver.h"
#include "tests/Support/System/ScriptedAuthorizationProvider.h"
#include "tests/Support/XPC/RecordingTransport.h"
#include "tests/System/DaemonTestSupport.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The fan selectors as they go on the wire.
inline const std::string modeSelector = "setFanModeWithId:mode:completion:";
inline const std::string speedSelector = "setFanSpeedWithId:value:completion:";

// A temporary root with a bundle carrying the test daemon (version AERLO_TEST_DAEMON_VERSION) and
// the resource "SMC", the main run loop on a manual clock, the printed lines captured, a scripted
// authorization, and a shared SMCHelper whose connections are recording transports.
class HelperClientTest : public DaemonTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // "<sel> <args as JSON>" for every message sent so far, over every connection made, in order.
    std::vector<std::string> sent() const;
    // Waits until the replies and errors queued on every connection so far have run.
    void drain();
    // The line that precedes each message: "setSMCPath: [\"<bundle>/Contents/Resources/SMC\"]".
    std::string smcPathLine() const;
    std::size_t connectionsMade() const;
    std::shared_ptr<XPC::RecordingTransport> connection(std::size_t index) const;

    // Answers each request (default: an absent reply).
    void respond(XPC::RecordingTransport::Responder responder);
    // The shared SMC over a key table holding only "FNum" with `bytes` of `type` (none: no "FNum").
    void useFanCount(const std::string& type, std::vector<std::uint8_t> bytes);
    void useFanCount(std::uint8_t count) { useFanCount("ui8 ", {count}); }

    // "fanHelperState" posts, each with its "state" and the number of messages sent before it.
    struct HelperStatePost {
        bool state = true;
        std::size_t messagesBefore = 0;
    };
    std::vector<HelperStatePost> helperStatePosts() const;

    Aerlo::SMCHelper& helper() { return *Aerlo::SMCHelper::shared(); }

    Foundation::ManualRunLoopDriver driver_;
    ConsoleCapture console_;
    std::shared_ptr<SystemPlatform::ScriptedAuthorizationProvider> authorization_;
    std::unique_ptr<SimMachine> machine_;

private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<XPC::RecordingTransport>> made_;
    XPC::RecordingTransport::Responder responder_;
    std::vector<HelperStatePost> posts_;
    Foundation::ObserverToken observer_;
};
