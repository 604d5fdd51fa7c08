#pragma once

#include "Platform/XPC/PeerConnection.h"
#include "Tools/SMCHelper/HelperDaemon.h"
#include "tests/SMC/SimMachine.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/Eventually.h"
#include "tests/Support/TempRoot.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace HelperTest {

inline constexpr const char* label = "com.norvane.AerloOffline.SMC.Helper";

// A client connection as the handler sees it: this process's credentials, replies recorded.
class RecordingPeer : public XPC::PeerConnection {
public:
    RecordingPeer() : credentials_ {::getpid(), ::getuid(), ::getgid()} {}
    explicit RecordingPeer(XPC::PeerCredentials credentials) : credentials_(credentials) {}

    const XPC::PeerCredentials& credentials() const override { return credentials_; }
    bool reply(std::uint64_t id, const std::optional<std::string>& text, std::function<void()> written) override
    {
        if (!open_)
            return false;
        replies.push_back({id, text});
        if (written)
            written();
        return true;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }

    std::vector<XPC::Reply> replies;

private:
    XPC::PeerCredentials credentials_;
    bool open_ = true;
};

// The lines of the daemon's log.
std::vector<std::string> logLines();
// The daemon's log records, in order; only those of `event` when given.
std::vector<nlohmann::json> logRecords(const std::string& event = {});
// "<sel> <args>" of every message the daemon logged, in order.
std::vector<std::string> loggedMessages();
// The canonical path of this test program and its SHA-256.
std::filesystem::path testProgram();
std::string testProgramDigest();
// A configuration serving this process, as the installer would record it.
Aerlo::HelperConfiguration configurationForThisProcess();

// A daemon in this process over a simulated machine on a manual clock, under a temporary root.
class HelperFixture : public ::testing::Test {
protected:
    // The default machine: two "flt " fans with mode keys (F0: 1200…5779, actual 1206).
    explicit HelperFixture(std::string profile = "mbp-m1pro-2fan") : machine(profile) {}

    void makeDaemon(Aerlo::HelperConfiguration configuration = Aerlo::HelperConfiguration::developmentRun(::getuid()));
    // Handles one request from `peer` (default: this process); the handler's verdict.
    bool send(const std::string& sel, XPC::Message args = XPC::Message::array());
    bool send(RecordingPeer& from, const std::string& sel, XPC::Message args = XPC::Message::array());
    // The text of the last reply.
    std::optional<std::string> lastReply() const;

    ConsoleCapture console; // the writers' lines and the daemon's warnings
    TempRoot root;
    SimMachine machine;
    std::unique_ptr<Aerlo::HelperDaemon> daemon;
    RecordingPeer peer;
    std::uint64_t nextId = 1;
};

// Raw protocol helpers made of system calls only, for forked children of this threaded process.
// A frame for `payload`.
std::string frameOf(const std::string& payload);
// A blocking connection to the socket at `path`; -1 when it fails.
int connectTo(const std::filesystem::path& path);
// True once the daemon's greeting (it admitted the connection) has come, each byte within `milliseconds`.
bool admitted(int fd, int milliseconds);
// connectTo, then the daemon's admission; -1 when either fails.
int connectAdmitted(const std::filesystem::path& path);
// True when a byte comes within `milliseconds`; false when the connection closes or nothing comes.
bool replied(int fd, int milliseconds);
// A forked child that waits until it is killed (reap it); -1 when fork fails.
pid_t waitingChild();
// The target of /proc/<pid>/exe.
std::string executableOf(pid_t pid);

using ::eventually;

} // namespace HelperTest
