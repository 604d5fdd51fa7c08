#include "Classes/Sensors/SMC.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/SMC/ServiceRegistry.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Platform/SMC/SocketSmcReader.h"
#include "Platform/SMC/SocketSmcTransport.h"
#include "Platform/SMC/ValueCodec.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/smcsim/SmcsimTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using IOKit::SocketSmcProtocol;
using IOKit::SocketSmcTransport;
using SmcsimTest::RunningServer;

// A uid no test runs as, so that only the token grants privilege.
constexpr uid_t nobody = static_cast<uid_t>(-2);

class SocketSmcTransportTest : public ::testing::Test {
protected:
    std::shared_ptr<Aerlo::SimulatedMachine> makeMachine()
    {
        return std::make_shared<Aerlo::SimulatedMachine>(SmcsimTest::profile(SmcsimTest::appleSiliconProfile), true);
    }
    std::unique_ptr<RunningServer> serve(std::shared_ptr<Aerlo::SimulatedMachine> machine, uid_t privilegedUid = nobody)
    {
        auto server = std::make_unique<RunningServer>(std::move(machine), Aerlo::SmcsimServer::Options{path, privilegedUid});
        EXPECT_TRUE(server->started());
        return server;
    }
    std::shared_ptr<IOKit::ServiceRegistry> registry(bool privileged)
    {
        return IOKit::SMCEndpoint::makeRegistry("socket:" + path.string(), privileged);
    }

    TempRoot root;
    std::filesystem::path path = SocketSmcProtocol::defaultSocketPath();
};

TEST_F(SocketSmcTransportTest, DefaultEndpointIsTheRootsSimulatorSocket)
{
    ::unsetenv("AERLO_SMC");
    EXPECT_EQ(path, root.path() / "var/run/smcsim.sock");
    EXPECT_EQ(IOKit::SMCEndpoint::specFromEnvironment(), "socket:" + path.string());
    EXPECT_EQ(SocketSmcProtocol::tokenPath(path), root.path() / "var/run/smcsim.token");
}

TEST_F(SocketSmcTransportTest, AppReadsTheSharedDeviceTwoExchangesPerKey)
{
    auto machine = makeMachine();
    auto server = serve(machine);
    Aerlo::SMC app(registry(false));
    ASSERT_NE(app.conn, 0u);
    EXPECT_EQ(app.getValue("F0Mx"), 5800);
    EXPECT_EQ(machine->device()->exchangeCount(SMCSim::SimSmcDevice::kCommandKeyInfo), 1u);
    EXPECT_EQ(machine->device()->exchangeCount(SMCSim::SimSmcDevice::kCommandReadBytes), 1u);

    std::vector<std::string> expected;
    for (const auto& entry : machine->device()->entries())
        expected.push_back(entry.key);
    EXPECT_EQ(app.getAllKeys(), expected);
}

TEST_F(SocketSmcTransportTest, WritesNeedTheTokenOrThePrivilegedUid)
{
    enum class Token { valid, wrong, missing };
    const struct {
        const char* name;
        bool asks;
        Token token;
        uid_t privilegedUid;
        bool privileged;
    } cases[] = {
        {"the app never asks", false, Token::valid, ::getuid(), false},
        {"token", true, Token::valid, nobody, true},
        {"wrong token", true, Token::wrong, nobody, false},
        {"no token", true, Token::missing, nobody, false},
        {"privileged uid", true, Token::missing, ::getuid(), true},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        auto machine = makeMachine();
        auto server = serve(machine, item.privilegedUid);
        const auto tokenFile = SocketSmcProtocol::tokenPath(path);
        ASSERT_TRUE(SocketSmcProtocol::readToken(tokenFile));
        EXPECT_EQ(std::filesystem::status(tokenFile).permissions(),
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        if (item.token == Token::wrong)
            std::ofstream(tokenFile) << std::string(64, 'a') << "\n";
        if (item.token == Token::missing)
            std::filesystem::remove(tokenFile);

        auto transport = std::make_shared<SocketSmcTransport>(path, item.asks);
        Aerlo::SMC smc(IOKit::ServiceRegistry::withSMC(transport));
        ConsoleCapture console;
        smc.setFanSpeed(0, 3000);
        EXPECT_EQ(transport->privileged(), item.privileged);
        if (item.privileged) {
            EXPECT_EQ(console.output(), "");
            EXPECT_EQ(machine->device()->value("F0Tg"), 3000);
        } else {
            EXPECT_EQ(console.output(), "写入时出错: (iokit/common) privilege violation\n");
            EXPECT_EQ(machine->device()->value("F0Tg"), 0);
        }
        const auto reply = transport->control(R"({"command":"snapshot"})");
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->starts_with(R"({"ok":true,"snapshot":{"profile":"test-apple-silicon")"), item.privileged)
            << *reply;
        if (!item.privileged) {
            EXPECT_EQ(*reply, R"json({"ok":false,"error":"control needs privilege (the token next to the socket)"})json");
        }
    }
}

TEST_F(SocketSmcTransportTest, ExchangesStayWholeUnderManyThreads)
{
    auto machine = makeMachine();
    auto server = serve(machine);
    auto transport = std::make_shared<SocketSmcTransport>(path, false);
    Aerlo::SMC smc(IOKit::ServiceRegistry::withSMC(transport));
    const std::vector<std::pair<std::string, double>> keys{
        {"F0Mx", 5800}, {"F1Mn", 1200}, {"Tp01", 42}, {"Tp05", 43.5},
        {"Tg05", 38},   {"TB1T", 30},   {"TaLP", 27}, {"VD0R", 20}};
    constexpr int reads = 250;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (const auto& [key, value] : keys)
        threads.emplace_back([&smc, &wrong, key = key, value = value] {
            for (int i = 0; i < reads; ++i)
                if (smc.getValue(key) != value)
                    ++wrong;
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
    // One exchange a read, but for the keys' information: asked again (and a read under way made again)
    // at most once per key whenever a thread's new connection might have reached another simulator.
    EXPECT_LE(machine->device()->exchangeCount(),
              keys.size() * reads + 2 * keys.size() * SocketSmcTransport::maxConnections);
    EXPECT_EQ(transport->reconnects(), 0u);
}

TEST_F(SocketSmcTransportTest, ThreadsReadingAtOnceEachHaveAConnection)
{
    // A simulator that answers a call only while another call waits too: over one shared socket the
    // second call could not be sent before the first was answered.
    using Op = SocketSmcProtocol::Op;
    const auto listening = SocketSmcProtocol::listenOn(path);
    ASSERT_TRUE(listening) << listening.error();
    const int listener = *listening;
    std::mutex mutex;
    std::condition_variable arrived;
    int waiting = 0;
    std::atomic<int> answeredTogether{0};
    std::vector<std::thread> serving;
    std::thread accepting([&] {
        for (int fd; serving.size() < 2 && (fd = ::accept(listener, nullptr, nullptr)) >= 0;)
            serving.emplace_back([&, fd] {
                IOKit::SocketSmcReader reader(fd);
                SocketSmcProtocol::Frame frame;
                while (reader.receive(frame) == SocketSmcProtocol::Status::ok) {
                    std::string reply;
                    SocketSmcProtocol::putU32(reply, IOKit::kIOReturnSuccess);
                    if (frame.op == Op::hello)
                        reply.push_back(0);
                    if (frame.op == Op::open)
                        SocketSmcProtocol::putU32(reply, 7);
                    if (frame.op == Op::call) {
                        std::unique_lock lock(mutex);
                        ++waiting;
                        arrived.notify_all();
                        if (arrived.wait_for(lock, std::chrono::seconds(3), [&] { return waiting >= 2; }))
                            ++answeredTogether;
                        reply.append(IOKit::kSMCRecordSize, '\0');
                    }
                    (void)SocketSmcProtocol::send(fd, frame.op, reply);
                }
                ::close(fd);
            });
    });
    {
        SocketSmcTransport transport(path, false);
        std::uint32_t connection = 0;
        ASSERT_EQ(transport.open(0, connection), IOKit::kIOReturnSuccess);
        std::vector<std::thread> readers;
        for (int i = 0; i < 2; ++i)
            readers.emplace_back([&] {
                IOKit::SMCRecord input{};
                IOKit::SMCRecord output{};
                EXPECT_EQ(transport.call(connection, IOKit::kSMCUserClientSelector, input, output),
                          IOKit::kIOReturnSuccess);
            });
        for (auto& reader : readers)
            reader.join();
        EXPECT_EQ(answeredTogether, 2);
        EXPECT_EQ(transport.connections(), 2u);
    }
    ::shutdown(listener, SHUT_RDWR);
    ::close(listener);
    accepting.join();
    for (auto& thread : serving)
        thread.join();
}

TEST_F(SocketSmcTransportTest, ReconnectsAndReopensAfterTheSimulatorRestarts)
{
    auto server = serve(makeMachine());
    auto app = std::make_shared<SocketSmcTransport>(path, false);
    auto daemon = std::make_shared<SocketSmcTransport>(path, true);
    Aerlo::SMC appSMC(IOKit::ServiceRegistry::withSMC(app));
    Aerlo::SMC daemonSMC(IOKit::ServiceRegistry::withSMC(daemon));
    const auto connection = appSMC.conn;
    EXPECT_EQ(appSMC.getValue("F0Mx"), 5800);
    server->stop();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(SocketSmcProtocol::tokenPath(path)));

    {
        ConsoleCapture console;
        EXPECT_FALSE(appSMC.getValue("F0Mx"));
        // The simulator gone is an outage of the SMC: one line for it, none per key.
        EXPECT_FALSE(appSMC.getValue("F0Mn"));
        EXPECT_EQ(console.output(), "The SMC cannot be read: (iokit/common) no such device\n");
    }

    auto restarted = makeMachine();
    EXPECT_TRUE(restarted->device()->setValue("F0Mx", 5000));
    server = serve(restarted);
    EXPECT_EQ(appSMC.getValue("F0Mx"), 5000);
    EXPECT_EQ(appSMC.conn, connection) << "the caller's handle survives";
    EXPECT_GE(app->reconnects(), 1u);

    ConsoleCapture console;
    daemonSMC.setFanSpeed(0, 2500);
    EXPECT_EQ(console.output(), "") << "the new token is read on reconnecting";
    EXPECT_EQ(restarted->device()->value("F0Tg"), 2500);
    EXPECT_EQ(restarted->device()->openConnections(), 2u);
}

TEST_F(SocketSmcTransportTest, AReadAfterTheSimulatorRestartsTakesTheKeysNewInformation)
{
    const auto withKey = [&](const std::string& type, double value) {
        auto machine = makeMachine();
        SMCSim::KeyEntry key;
        key.key = "XTST";
        key.type = type;
        key.size = *SMCSim::ValueCodec::defaultSize(type);
        key.bytes = *SMCSim::ValueCodec::encode(type, value);
        machine->device()->upsertKey(key);
        return machine;
    };
    auto server = serve(withKey("ui8 ", 7));
    Aerlo::SMC smc(registry(false));
    EXPECT_EQ(smc.getValue("XTST"), 7);
    EXPECT_EQ(smc.getValue("XTST"), 7);
    server->stop();
    // Back before the client noticed it gone, with the key in another type and size.
    const auto restarted = withKey("flt ", 42.5);
    server = serve(restarted);
    EXPECT_EQ(smc.getValue("XTST"), 42.5);
    EXPECT_EQ(restarted->device()->exchangeCount(SMCSim::SimSmcDevice::kCommandKeyInfo), 1u);
}

TEST_F(SocketSmcTransportTest, NobodyServingGivesNoDevice)
{
    ConsoleCapture console;
    Aerlo::SMC smc(registry(false));
    EXPECT_EQ(smc.conn, 0u);
    EXPECT_EQ(console.output(), "Error IOServiceOpen(): (iokit/common) no such device\n");
    SocketSmcTransport transport(path, true);
    EXPECT_FALSE(transport.control(R"({"command":"snapshot"})"));
}

TEST_F(SocketSmcTransportTest, ClientConnectionsCloseWhenTheClientGoes)
{
    auto machine = makeMachine();
    auto server = serve(machine);
    auto transport = std::make_unique<SocketSmcTransport>(path, false);
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    ASSERT_EQ(transport->open(0, first), IOKit::kIOReturnSuccess);
    ASSERT_EQ(transport->open(0, second), IOKit::kIOReturnSuccess);
    EXPECT_EQ(transport->open(1, second), IOKit::kIOReturnUnsupported);
    EXPECT_EQ(machine->device()->openConnections(), 2u);
    EXPECT_EQ(transport->close(first), IOKit::kIOReturnSuccess);
    EXPECT_EQ(transport->close(first), IOKit::MACH_SEND_INVALID_DEST);
    IOKit::SMCRecord input{};
    IOKit::SMCRecord output{};
    EXPECT_EQ(transport->call(first, IOKit::kSMCUserClientSelector, input, output), IOKit::MACH_SEND_INVALID_DEST);
    EXPECT_EQ(machine->device()->openConnections(), 1u);

    transport.reset();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (machine->device()->openConnections() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(machine->device()->openConnections(), 0u);
}

TEST_F(SocketSmcTransportTest, MalformedPeerIsDroppedOthersAreServed)
{
    auto server = serve(makeMachine());
    const int raw = SocketSmcProtocol::connectTo(path, 5);
    ASSERT_GE(raw, 0);
    const char garbage[] = {99, 0, 0, 0, 1, 0, 0, 0, 7};
    ASSERT_EQ(::send(raw, garbage, sizeof garbage, MSG_NOSIGNAL), static_cast<ssize_t>(sizeof garbage));
    char byte;
    EXPECT_EQ(::recv(raw, &byte, 1, 0), 0) << "the server hangs up";
    ::close(raw);

    Aerlo::SMC smc(registry(false));
    EXPECT_EQ(smc.getValue("F0Mn"), 1200);
}

TEST_F(SocketSmcTransportTest, OneSimulatorPerSocketAndLeftoversAreReplaced)
{
    auto server = serve(makeMachine());
    {
        Aerlo::SmcsimServer second(makeMachine(), {path, nobody});
        ConsoleCapture console;
        EXPECT_FALSE(second.start());
        EXPECT_EQ(console.errors(), "smcsim: another simulator is serving on " + path.string() + "\n");
    }
    Aerlo::SMC smc(registry(false));
    EXPECT_EQ(smc.getValue("F0Mn"), 1200) << "the first one still serves, token intact";
    server->stop();

    // A socket left by a simulator that died: bound, nobody listening.
    const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(dead, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(dead);
    ASSERT_TRUE(std::filesystem::exists(path));
    server = serve(makeMachine());
    EXPECT_TRUE(server->started());
}

} // namespace
