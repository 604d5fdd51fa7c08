#include "SimMachine.h"

#include "Platform/SMC/MachError.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

#include <thread>

using Aerlo::SMC;
using Aerlo::SMCVal;
using SMCSim::SimSmcDevice;

namespace {

// Records the raw records the client sends, passing them on to a device.
class RecordingTransport : public IOKit::SMCTransport {
public:
    explicit RecordingTransport(std::shared_ptr<SimSmcDevice> device) : inner_(std::move(device), true) {}
    IOKit::kern_return_t open(std::uint32_t type, std::uint32_t& connection) override { return inner_.open(type, connection); }
    IOKit::kern_return_t call(std::uint32_t connection, std::uint32_t selector, const IOKit::SMCRecord& input,
                              IOKit::SMCRecord& output) override
    {
        sent.push_back(input);
        selectors.push_back(selector);
        return inner_.call(connection, selector, input, output);
    }
    IOKit::kern_return_t close(std::uint32_t connection) override { return inner_.close(connection); }

    std::vector<IOKit::SMCRecord> sent;
    std::vector<std::uint32_t> selectors;

private:
    SMCSim::SimSmcTransport inner_;
};

IOKit::SMCRecord record(std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes)
{
    IOKit::SMCRecord out{};
    for (const auto& [offset, value] : bytes)
        out[offset] = value;
    return out;
}

struct Recorded {
    Foundation::ManualClock clock;
    std::shared_ptr<SimSmcDevice> device;
    std::shared_ptr<RecordingTransport> transport;
    std::unique_ptr<SMC> smc;

    Recorded()
        : device(std::make_shared<SimSmcDevice>(smcTable({smcKey("TC0P", "sp78", {0x32, 0x80}, 2, true),
                                                          smcKey("XU32", "ui32", {0x12, 0x34, 0x56, 0x78})}),
                                                SMCSim::DeviceSettings{}, clock)),
          transport(std::make_shared<RecordingTransport>(device)),
          smc(std::make_unique<SMC>(IOKit::ServiceRegistry::withSMC(transport)))
    {
    }
};

} // namespace

TEST(SMCClient, GoldenRecordsOfEachCommand)
{
    Recorded r;
    SMCVal value;
    value.key = "TC0P";
    ASSERT_EQ(r.smc->read(value), 0u);
    std::array<std::uint8_t, 32> bytes{};
    bytes[0] = 0x1F;
    bytes[1] = 0x40;
    bytes[31] = 0x77;
    ASSERT_EQ(r.smc->write("TC0P", 2, bytes), 0u);
    EXPECT_FALSE(r.smc->keyAtIndex(0x0102)); // beyond the table, but the record went out

    ASSERT_EQ(r.transport->sent.size(), 4u);
    // Command 9: the key only (key code little-endian at 0).
    EXPECT_EQ(r.transport->sent[0], record({{0, 0x50}, {1, 0x30}, {2, 0x43}, {3, 0x54}, {42, 9}}));
    // Command 5: the same key with the size from command 9 at 28.
    EXPECT_EQ(r.transport->sent[1], record({{0, 0x50}, {1, 0x30}, {2, 0x43}, {3, 0x54}, {28, 2}, {42, 5}}));
    // Command 6: key, size and all 32 bytes; no data type.
    EXPECT_EQ(r.transport->sent[2],
              record({{0, 0x50}, {1, 0x30}, {2, 0x43}, {3, 0x54}, {28, 2}, {42, 6}, {48, 0x1F}, {49, 0x40}, {79, 0x77}}));
    // Command 8: the index at 44, key 0.
    EXPECT_EQ(r.transport->sent[3], record({{42, 8}, {44, 0x02}, {45, 0x01}}));
    for (auto selector : r.transport->selectors)
        EXPECT_EQ(selector, 2u);
}

TEST(SMCClient, ReadIsKeyInformationThenBytesForTheSameKey)
{
    SimMachine m(smcTable({smcKey("XU32", "ui32", {0x12, 0x34, 0x56, 0x78})}));
    SMCVal value;
    value.key = "XU32";
    ASSERT_EQ(m.smc->read(value), 0u);
    EXPECT_EQ(value.dataSize, 4u);
    EXPECT_EQ(value.dataType, "ui32");
    EXPECT_EQ((std::vector<std::uint8_t>(value.bytes.begin(), value.bytes.begin() + 5)),
              (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0}));

    const auto log = m.device->exchanges();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].command, 9);
    EXPECT_EQ(log[1].command, 5);
    EXPECT_EQ(log[0].key, "XU32");
    EXPECT_EQ(log[1].key, "XU32");
    EXPECT_EQ(log[1].dataSize, 4u);
}

TEST(SMCClient, KeyInformationIsAskedOncePerConnection)
{
    SimMachine m(smcTable({smcKey("XU32", "ui32", {0x12, 0x34, 0x56, 0x78}), smcKey("TC0P", "sp78", {0x32, 0x80})}));
    const auto commands = [&] {
        std::vector<std::string> done;
        for (const auto& exchange : m.device->exchanges())
            done.push_back(std::to_string(exchange.command) + " " + exchange.key);
        m.device->resetLog();
        return done;
    };
    EXPECT_EQ(m.smc->getValue("XU32"), 0x12345678);
    EXPECT_EQ(m.smc->getValue("TC0P"), 50.5);
    EXPECT_EQ(m.smc->getValue("XU32"), 0x12345678);
    EXPECT_EQ(m.smc->getValue("XNON"), std::nullopt);
    EXPECT_EQ(m.smc->getValue("XNON"), std::nullopt);
    EXPECT_EQ(commands(), (std::vector<std::string>{"9 XU32", "5 XU32", "9 TC0P", "5 TC0P", "5 XU32", "9 XNON",
                                                    "5 XNON", "5 XNON"}));

    SMC second(m.registry);
    EXPECT_EQ(second.getValue("XU32"), 0x12345678);
    EXPECT_EQ(commands(), (std::vector<std::string>{"9 XU32", "5 XU32"})) << "a new connection asks again";
}

// A failed first exchange leaves the value as it was; a failed second one sets size and type only.
TEST(SMCClient, FailedExchangesOfARead)
{
    struct Case {
        std::uint8_t failing;
        std::uint32_t dataSize;
        std::string dataType;
        std::size_t exchanges;
    };
    for (const auto& c : {Case{9, 0, "", 1}, Case{5, 2, "sp78", 2}}) {
        SCOPED_TRACE(int(c.failing));
        SimMachine m(smcTable({smcKey("TC0P", "sp78", {0x32, 0x80})}));
        m.device->addFault({c.failing, "TC0P", std::nullopt, IOKit::kIOReturnIOError, 1});
        SMCVal value;
        value.key = "TC0P";
        value.bytes.fill(0xEE);
        EXPECT_EQ(m.smc->read(value), IOKit::kIOReturnIOError);
        EXPECT_EQ(value.dataSize, c.dataSize);
        EXPECT_EQ(value.dataType, c.dataType);
        EXPECT_EQ(value.bytes[0], 0xEE);
        EXPECT_EQ(value.bytes[1], 0xEE);
        EXPECT_EQ(m.device->exchangeCount(), c.exchanges);
    }
}

TEST(SMCClient, SizeAboveThirtyTwoIsClampedAndNeverOverflows)
{
    std::vector<std::uint8_t> pattern(32);
    for (std::size_t i = 0; i < 32; ++i)
        pattern[i] = static_cast<std::uint8_t>(i + 1);
    SimMachine m(smcTable({smcKey("MS40", "ch8*", pattern, 40)}));
    SMCVal value;
    value.key = "MS40";
    ASSERT_EQ(m.smc->read(value), 0u);
    EXPECT_EQ(value.dataSize, 32u);
    EXPECT_EQ(value.bytes[31], 32);
    EXPECT_EQ(m.device->exchanges()[1].dataSize, 32u);

    // A write bigger than the record is refused before any exchange.
    m.device->resetLog();
    EXPECT_EQ(m.smc->write("MS40", 40, value.bytes), IOKit::kIOReturnBadArgument);
    EXPECT_EQ(m.device->exchangeCount(), 0u);
}

TEST(SMCClient, KeysMustBeFourBytes)
{
    SimMachine m(smcTable({}));
    for (const std::string key : {"", "TC0", "TC0PP", "F10Md"}) {
        SCOPED_TRACE(key);
        SMCVal value;
        value.key = key;
        EXPECT_EQ(m.smc->read(value), IOKit::kIOReturnBadArgument);
        EXPECT_EQ(m.smc->write(key, 1, {}), IOKit::kIOReturnBadArgument);
    }
    EXPECT_EQ(m.device->exchangeCount(), 0u);
}

TEST(SMCClient, KeyCodesRoundTripEveryByte)
{
    EXPECT_EQ(SMC::keyCode("TC0P"), 0x54433050u);
    EXPECT_EQ(SMC::keyString(0x54433050), "TC0P");
    EXPECT_EQ(SMC::keyString(0), std::string(4, '\0'));
    for (int byte = 0; byte < 256; ++byte) {
        for (int position = 0; position < 4; ++position) {
            std::string key = "TC0P";
            key[static_cast<std::size_t>(position)] = static_cast<char>(byte);
            ASSERT_EQ(SMC::keyString(SMC::keyCode(key)), key);
        }
    }
}

TEST(SMCClient, EnumeratedHighByteKeysAndTypesStayLatin1)
{
    const std::string key{'T', '\xB0', '\x80', 'X'};
    SimMachine m(smcTable({smcKey(key, std::string{'s', '\xB0', '7', '8'}, {0x32, 0x00}, 2)}));
    const auto keys = m.smc->getAllKeys();
    ASSERT_EQ(keys.size(), 2u);
    SMCVal value;
    value.key = keys[1];
    ASSERT_EQ(value.key, key);
    ASSERT_EQ(m.smc->read(value), 0u);
    EXPECT_EQ(value.dataType, (std::string{'s', '\xB0', '7', '8'}));
    EXPECT_EQ(SMC::latin1ToUTF8(value.dataType), "s\u00b078");

    // A zero byte in a type gives a NUL character in place.
    m.device->upsertKey(smcKey("XNUL", std::string("ui8\0", 4), {7}, 1));
    value = SMCVal();
    value.key = "XNUL";
    ASSERT_EQ(m.smc->read(value), 0u);
    EXPECT_EQ(value.dataType, std::string("ui8\0", 4));
}

TEST(SMCClient, OpeningFailuresPrintTheirLineAndLeaveNoConnection)
{
    struct Case {
        const char* overlay;
        const char* line;
    };
    const Case cases[] = {
        {"matching-fails", "Error IOServiceGetMatchingServices(): (iokit/common) general error"},
        {"no-smc", "Error IOIteratorNext(): (os/kern) successful"},
        {"open-denied", "Error IOServiceOpen(): (iokit/common) privilege violation"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.overlay);
        ConsoleCapture console;
        SimMachine m(std::string("mbp-intel-2fan+") + c.overlay);
        EXPECT_EQ(console.lines(), std::vector<std::string>{c.line});
        EXPECT_EQ(m.smc->conn, 0u);
        EXPECT_EQ(m.registry->liveObjects(), 0u);

        console.clear();
        EXPECT_FALSE(m.smc->getValue("TC0P"));
        EXPECT_EQ(console.lines(), std::vector<std::string>{"Error read(TC0P): (ipc/send) invalid destination port"});
        EXPECT_EQ(m.device->exchangeCount(), 0u);
    }
}

TEST(SMCClient, TearDownPrintsOnlyAFailedClose)
{
    SimMachine m(smcTable({}));
    EXPECT_NE(m.smc->conn, 0u);
    {
        ConsoleCapture console;
        m.smc.reset();
        EXPECT_EQ(console.output(), "");
        EXPECT_EQ(m.device->closeCount(), 1u);
    }
    m.device->setCloseFailure(IOKit::kIOReturnIOError);
    m.smc = std::make_unique<SMC>(m.registry);
    {
        ConsoleCapture console;
        m.smc.reset();
        EXPECT_EQ(console.lines(), std::vector<std::string>{"error close smc connection: (iokit/common) I/O error"});
    }
    // close() itself prints nothing and returns the code.
    m.smc = std::make_unique<SMC>(m.registry);
    ConsoleCapture console;
    EXPECT_EQ(m.smc->close(), IOKit::kIOReturnIOError);
    EXPECT_EQ(console.output(), "");
}

TEST(SMCClient, SharedInstanceIsOneAndResettable)
{
    SimMachine m("mbp-m1pro-2fan");
    TestAccess::resetForTesting<SMC>(m.registry);
    SMC& first = SMC::shared();
    EXPECT_EQ(&first, &SMC::shared());
    EXPECT_NE(first.conn, 0u);
    EXPECT_TRUE(first.getValue("F0Mx"));
    {
        ConsoleCapture console;
        m.device->setCloseFailure(IOKit::kIOReturnIOError);
        TestAccess::resetForTesting<SMC>();
        EXPECT_EQ(console.output(), ""); // the shared instance is never torn down with a line
    }
    m.device->setCloseFailure(0);
}

TEST(SMCClient, WritesNeedAPrivilegedConnection)
{
    SimMachine m("mbp-intel-2fan", false);
    EXPECT_TRUE(m.smc->getValue("TC0P"));
    std::array<std::uint8_t, 32> bytes{};
    EXPECT_EQ(m.smc->write("FS! ", 2, bytes), IOKit::kIOReturnNotPrivileged);
    EXPECT_EQ(IOKit::machErrorString(IOKit::kIOReturnNotPrivileged), "(iokit/common) privilege violation");
}

TEST(SMCClient, ExchangesFromSeveralThreadsStayWhole)
{
    SimMachine m("mbp-m1pro-2fan");
    constexpr int reads = 200;
    auto reader = [&](const char* key) {
        for (int i = 0; i < reads; ++i)
            ASSERT_TRUE(m.smc->getValue(key));
    };
    std::thread a(reader, "Tp01");
    std::thread b(reader, "F0Mx");
    a.join();
    b.join();
    const auto log = m.device->exchanges();
    ASSERT_EQ(log.size(), 2u * reads + 2);
    // Per thread, command 9 once, then command 5 for the same key with the size it gave.
    std::map<std::thread::id, std::vector<SMCSim::Exchange>> byThread;
    for (const auto& e : log)
        byThread[e.thread].push_back(e);
    ASSERT_EQ(byThread.size(), 2u);
    for (const auto& [thread, exchanges] : byThread) {
        EXPECT_EQ(exchanges.front().command, 9);
        for (std::size_t i = 1; i < exchanges.size(); ++i) {
            EXPECT_EQ(exchanges[i].command, 5);
            EXPECT_EQ(exchanges[i].key, exchanges.front().key);
            EXPECT_EQ(exchanges[i].dataSize, 4u);
            EXPECT_EQ(exchanges[i].result, 0u);
        }
    }
}

TEST(SMCClient, MachErrorTexts)
{
    const std::pair<IOKit::kern_return_t, const char*> table[] = {
        {0, "(os/kern) successful"},
        {0xE00002BC, "(iokit/common) general error"},
        {0xE00002C0, "(iokit/common) no such device"},
        {0xE00002C1, "(iokit/common) privilege violation"},
        {0xE00002C2, "(iokit/common) invalid argument"},
        {0xE00002C7, "(iokit/common) unsupported function"},
        {0xE00002CA, "(iokit/common) I/O error"},
        {0xE00002CD, "(iokit/common) device not open"},
        {0xE00002F0, "(iokit/common) data was not found"},
        {0x10000003, "(ipc/send) invalid destination port"},
        {0xE0000999, "(iokit/common) unknown error code 0xe0000999"},
    };
    for (const auto& [code, text] : table)
        EXPECT_EQ(SMC::errorText(code), text);
}

TEST(SMCClient, FanKeysAreFPlusIndexPlusSuffix)
{
    using Suffix = SMC::FanKeySuffix;
    const std::pair<std::string, std::string> cases[] = {
        {SMC::fanKey(0, Suffix::actualSpeed), "F0Ac"},  {SMC::fanKey(1, Suffix::minimumSpeed), "F1Mn"},
        {SMC::fanKey(2, Suffix::maximumSpeed), "F2Mx"}, {SMC::fanKey(3, Suffix::targetSpeed), "F3Tg"},
        {SMC::fanKey(9, Suffix::mode), "F9Md"},         {SMC::fanKey(0, Suffix::identifier), "F0ID"},
    };
    for (const auto& [built, expected] : cases)
        EXPECT_EQ(built, expected);
}
