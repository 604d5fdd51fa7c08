#include "SimMachine.h"
#include "tests/Support/ConsoleCapture.h"

using Aerlo::FanMode;
using SMCSim::SimSmcDevice;

namespace {

SMCSim::KeyTable maskMachine(std::uint16_t mask)
{
    return smcTable({smcKey("FS! ", "ui16", {std::uint8_t(mask >> 8), std::uint8_t(mask)})});
}

std::vector<std::uint8_t> front(const SMCSim::Exchange& exchange, std::size_t count)
{
    return {exchange.bytes.begin(), exchange.bytes.begin() + static_cast<std::ptrdiff_t>(count)};
}

} // namespace

TEST(SMCWriters, ForcedMaskTransitionTable)
{
    // x, fan 0 forced, fan 0 automatic, fan 1 forced, fan 1 automatic; -1: nothing written.
    const int table[4][5] = {
        {0, 1, -1, 2, -1},
        {1, -1, 0, 3, -1},
        {2, 3, -1, -1, 0},
        {3, -1, 2, -1, 1},
    };
    for (const auto& row : table) {
        for (int column = 1; column < 5; ++column) {
            const int fan = column <= 2 ? 0 : 1;
            const FanMode mode = column % 2 == 1 ? FanMode::forced : FanMode::automatic;
            SCOPED_TRACE("x " + std::to_string(row[0]) + " fan " + std::to_string(fan) + " mode "
                         + std::to_string(int(mode)));
            SimMachine m(maskMachine(static_cast<std::uint16_t>(row[0])));
            ConsoleCapture console;
            m.smc->setFanMode(fan, mode);
            EXPECT_EQ(console.output(), "");
            const auto writes = m.device->exchanges(SimSmcDevice::kCommandWriteBytes);
            if (row[column] < 0) {
                EXPECT_TRUE(writes.empty());
                continue;
            }
            ASSERT_EQ(writes.size(), 1u);
            EXPECT_EQ(writes[0].key, "FS! ");
            EXPECT_EQ(writes[0].dataSize, 2u);
            EXPECT_EQ(front(writes[0], 3), (std::vector<std::uint8_t> {0, std::uint8_t(row[column]), 0}));
            EXPECT_EQ(m.device->value("FS! "), row[column]);
        }
    }
}

TEST(SMCWriters, MaskBitsOfOtherFansStay)
{
    struct Case {
        std::uint16_t mask;
        int fan;
        FanMode mode;
        std::uint16_t written;
    };
    const Case cases[] = {
        {1, 2, FanMode::forced, 5}, // fan 2 joins fan 0
        {0xF, 3, FanMode::automatic, 7}, // fan 3 leaves, 0-2 stay forced
        {4, 2, FanMode::automatic, 0},
        {0, 9, FanMode::forced, 0x200}, // the high byte carries fans 8 and 9
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.mask) + " fan " + std::to_string(c.fan));
        SimMachine m(maskMachine(c.mask));
        m.smc->setFanMode(c.fan, c.mode);
        const auto writes = m.device->exchanges(SimSmcDevice::kCommandWriteBytes);
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_EQ(front(writes[0], 2),
                  (std::vector<std::uint8_t> {std::uint8_t(c.written >> 8), std::uint8_t(c.written)}));
    }

    // A mask that is no number counts as 0.
    SimMachine m(smcTable({smcKey("FS! ", "flt ", {0x00, 0x00, 0xC0, 0x7F})}));
    m.smc->setFanMode(1, FanMode::forced);
    const auto writes = m.device->exchanges(SimSmcDevice::kCommandWriteBytes);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(front(writes[0], 2), (std::vector<std::uint8_t> {0, 2}));
}

TEST(SMCWriters, ModeKeyIsWrittenThenTheMaskStep)
{
    SimMachine m("mbp-m1pro-2fan");
    ConsoleCapture console;
    m.smc->setFanMode(0, FanMode::forced);
    // No "FS! " on this machine: the forced request still reads and writes it, quietly answered.
    EXPECT_EQ(m.writtenKeys(), (std::vector<std::string> {"F0Md", "FS! "}));
    const auto writes = m.device->exchanges(SimSmcDevice::kCommandWriteBytes);
    EXPECT_EQ(writes[0].dataSize, 1u);
    EXPECT_EQ(front(writes[0], 2), (std::vector<std::uint8_t> {1, 0}));
    EXPECT_EQ(writes[1].dataSize, 0u);
    EXPECT_EQ(writes[1].smcResult, SimSmcDevice::kSMCKeyNotFound);
    EXPECT_EQ(m.device->value("F0Md"), 1.0);
    EXPECT_EQ(console.output(), "");

    // Back to automatic: the mode byte only (the mask reads 0 and stays).
    m.device->resetLog();
    m.smc->setFanMode(0, FanMode::automatic);
    EXPECT_EQ(m.writtenKeys(), std::vector<std::string> {"F0Md"});
    EXPECT_EQ(m.device->value("F0Md"), 0.0);
}

TEST(SMCWriters, EveryFansModeByteIsWrittenFromZero)
{
    // A Mac Pro's four fans each have a mode byte and there is no mask.
    SimMachine m("macpro-intel-4fan");
    for (int fan = 0; fan < 4; ++fan) {
        SCOPED_TRACE(fan);
        m.device->resetLog();
        m.smc->setFanMode(fan, FanMode::forced);
        const std::string key = "F" + std::to_string(fan) + "Md";
        EXPECT_EQ(m.writtenKeys(), (std::vector<std::string> {key, "FS! "}));
        EXPECT_EQ(m.device->value(key), 1.0);
        EXPECT_EQ(m.smc->getValue(key), 1.0);
        m.smc->setFanMode(fan, FanMode::automatic);
        EXPECT_EQ(m.smc->getValue(key), 0.0);
    }
}

TEST(SMCWriters, ModeFailuresPrintAndStop)
{
    {
        SimMachine m("mbp-m1pro-2fan");
        m.device->addFault({6, "F0Md", std::nullopt, IOKit::kIOReturnIOError, -1});
        ConsoleCapture console;
        m.smc->setFanMode(0, FanMode::forced);
        EXPECT_EQ(console.lines(), std::vector<std::string> {"Error write: (iokit/common) I/O error"});
        for (const auto& e : m.device->exchanges())
            EXPECT_NE(e.key, "FS! ");
    }
    {
        SimMachine m("mbp-m1pro-2fan+kernel-errors");
        ConsoleCapture console;
        m.smc->setFanMode(1, FanMode::forced);
        EXPECT_EQ(console.lines(),
                  (std::vector<std::string> {"Error read(FS! ): (iokit/common) data was not found",
                                             "Error read fan mode: (iokit/common) data was not found"}));
        EXPECT_EQ(m.writtenKeys(), std::vector<std::string> {"F1Md"});
    }
    {
        SimMachine m(maskMachine(0), false);
        ConsoleCapture console;
        m.smc->setFanMode(0, FanMode::forced);
        EXPECT_EQ(console.lines(), std::vector<std::string> {"Error write: (iokit/common) privilege violation"});
        EXPECT_EQ(m.device->value("FS! "), 0.0);
    }
    {
        SimMachine m(maskMachine(0));
        ConsoleCapture console;
        m.smc->setFanMode(10, FanMode::forced);
        m.smc->setFanMode(-1, FanMode::forced);
        m.smc->setFanMode(0, static_cast<FanMode>(2));
        EXPECT_EQ(console.lines(), (std::vector<std::string> {"Refused fan index 10: fans are numbered 0 to 9",
                                                              "Refused fan index -1: fans are numbered 0 to 9",
                                                              "Refused fan mode 2: expected 0 or 1"}));
        EXPECT_EQ(m.device->exchangeCount(), 0u);
    }
}

TEST(SMCWriters, FanSpeedLimitAndEncodings)
{
    {
        // No maximum key: 4000 is the limit.
        SimMachine m(smcTable({smcKey("F0Tg", "fpe2", {0x10, 0x00})}));
        ConsoleCapture console;
        m.smc->setFanSpeed(0, 4001);
        EXPECT_EQ(console.lines(), std::vector<std::string> {"新风扇转速 (4001) 超过了最大转速 (4000)"});
        EXPECT_TRUE(m.writtenKeys().empty());
        m.smc->setFanSpeed(0, 4000);
        EXPECT_EQ(m.writtenKeys(), std::vector<std::string> {"F0Tg"});
        m.device->resetLog();
        m.smc->setFanSpeed(0, 2000);
        EXPECT_EQ(front(m.device->exchanges(6).at(0), 4), (std::vector<std::uint8_t> {0x1F, 0x40, 0, 0}));
    }
    {
        SimMachine m(smcTable({smcKey("F1Tg", "flt "), smcKey("F1Mx", "flt ", {0x00, 0x80, 0xBB, 0x45})})); // 6000
        ConsoleCapture console;
        m.smc->setFanSpeed(1, 2000);
        EXPECT_EQ(front(m.device->exchanges(6).at(0), 4), (std::vector<std::uint8_t> {0x00, 0x00, 0xFA, 0x44}));
        m.smc->setFanSpeed(1, 6000);
        EXPECT_EQ(m.device->value("F1Tg"), 6000.0);
        m.smc->setFanSpeed(1, 6001);
        EXPECT_EQ(console.lines(), std::vector<std::string> {"新风扇转速 (6001) 超过了最大转速 (6000)"});
        EXPECT_EQ(m.device->exchangeCount(6), 2u);
    }
    {
        // Another type is written back as read.
        SimMachine m(smcTable({smcKey("F0Tg", "ui16", {0x07, 0xD0})}));
        m.smc->setFanSpeed(0, 3000);
        EXPECT_EQ(front(m.device->exchanges(6).at(0), 3), (std::vector<std::uint8_t> {0x07, 0xD0, 0}));
    }
}

TEST(SMCWriters, FanSpeedRefusalsAndFailures)
{
    struct Case {
        const char* name;
        SMCSim::KeyTable keys;
        bool privileged;
        int fan;
        int rpm;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases {
        {"negative", smcTable({smcKey("F0Tg", "flt ")}), true, 0, -5, {"Refused fan speed -5: below 0"}},
        {"beyond fpe2",
         smcTable({smcKey("F0Tg", "fpe2"), smcKey("F0Mx", "flt ", {0x00, 0x40, 0x9C, 0x46})}),
         true,
         0,
         16384,
         {"Refused fan speed 16384: above 16383, the fpe2 limit"}},
        {"infinite maximum is 4000",
         smcTable({smcKey("F0Tg", "flt "), smcKey("F0Mx", "flt ", {0x00, 0x00, 0x80, 0x7F})}),
         true,
         0,
         4001,
         {"新风扇转速 (4001) 超过了最大转速 (4000)"}},
        {"fan index", smcTable({}), true, 12, 100, {"Refused fan index 12: fans are numbered 0 to 9"}},
        {"unprivileged",
         smcTable({smcKey("F0Tg", "flt ")}),
         false,
         0,
         1000,
         {"写入时出错: (iokit/common) privilege violation"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimMachine m(c.keys, c.privileged);
        ConsoleCapture console;
        m.smc->setFanSpeed(c.fan, c.rpm);
        EXPECT_EQ(console.lines(), c.lines);
        EXPECT_EQ(m.device->value("F0Tg").value_or(0), 0.0);
    }
    SimMachine m(smcTable({}));
    m.device->setMissingKeyPolicy(SMCSim::MissingKeyPolicy::kernelError, IOKit::kIOReturnNotFound);
    ConsoleCapture console;
    m.smc->setFanSpeed(0, 1000);
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"Error read(F0Mx): (iokit/common) data was not found",
                                                          "读取风扇值时出错: (iokit/common) data was not found"}));
}

TEST(SMCWriters, ResetAndFixedPointWriters)
{
    SimMachine m(smcTable({smcKey("FS! ", "ui16", {0, 3}), smcKey("F0Mn", "fpe2")}));
    m.smc->resetFanControl();
    auto writes = m.device->exchanges(6);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].key, "FS! ");
    EXPECT_EQ(writes[0].dataSize, 2u);
    EXPECT_EQ(writes[0].bytes, SMCSim::ValueBytes {});

    EXPECT_EQ(m.smc->writeFpe2("F0Mn", 2000), 0u);
    EXPECT_EQ(front(m.device->exchanges(6).back(), 3), (std::vector<std::uint8_t> {0x1F, 0x40, 0}));
    EXPECT_EQ(m.smc->writeFpe2("F0Mn", 16383), 0u);
    EXPECT_EQ(front(m.device->exchanges(6).back(), 2), (std::vector<std::uint8_t> {0xFF, 0xFC}));

    m.device->resetLog();
    ConsoleCapture console;
    EXPECT_EQ(m.smc->writeFpe2("F0Mn", 16384), IOKit::kIOReturnBadArgument);
    EXPECT_EQ(m.smc->writeFpe2("F0Mn", -1), IOKit::kIOReturnBadArgument);
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"Refused value 16384 for F0Mn: outside 0 to 16383",
                                                          "Refused value -1 for F0Mn: outside 0 to 16383"}));
    EXPECT_EQ(m.device->exchangeCount(), 0u);

    SimMachine user(smcTable({smcKey("FS! ", "ui16")}), false);
    console.clear();
    user.smc->resetFanControl();
    EXPECT_EQ(console.lines(), std::vector<std::string> {"Error write: (iokit/common) privilege violation"});
}

TEST(SMCWriters, CheckedAndRetryingWriters)
{
    SimMachine m(smcTable({smcKey("F0Md", "ui8 ", {0}), smcKey("XB04", "ui32", {9, 8, 7, 6})}));
    EXPECT_TRUE(m.smc->writeFanKeyChecked("XB04", 0x55));
    EXPECT_EQ(front(m.device->exchanges(6).back(), 4), (std::vector<std::uint8_t> {0x55, 8, 7, 6}));

    // A key that is missing (size 0) gives false without a write.
    m.device->resetLog();
    EXPECT_FALSE(m.smc->writeFanKeyChecked("NONE", 1));
    EXPECT_EQ(m.device->exchangeCount(6), 0u);

    // One failed write is retried once.
    m.device->addFault({6, "F0Md", std::nullopt, IOKit::kIOReturnIOError, 1});
    EXPECT_TRUE(m.smc->writeWithRetry("F0Md", 1));
    EXPECT_EQ(m.device->exchangeCount(6), 2u);
    EXPECT_EQ(m.device->value("F0Md"), 1.0);

    m.device->resetLog();
    m.device->addFault({6, "F0Md", std::nullopt, IOKit::kIOReturnIOError, -1});
    EXPECT_FALSE(m.smc->writeWithRetry("F0Md", 0));
    EXPECT_EQ(m.device->exchangeCount(6), 2u);
    m.device->clearFaults();

    m.device->resetLog();
    ConsoleCapture console;
    EXPECT_FALSE(m.smc->writeWithRetry("F0Md", 256));
    EXPECT_FALSE(m.smc->writeFanKeyChecked("F0Md", -1));
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"Refused value 256 for F0Md: outside 0 to 255",
                                                          "Refused value -1 for F0Md: outside 0 to 255"}));
    EXPECT_EQ(m.device->exchangeCount(), 0u);
}

TEST(SMCWriters, FanKeyBytes)
{
    SimMachine m(smcTable({smcKey("F0Tg", "flt "), smcKey("XB08", "ui32", {1, 2, 3, 4})}));
    EXPECT_TRUE(m.smc->writeFanKey("XB08", {0xAA, 0xBB}));
    EXPECT_EQ(front(m.device->exchanges(6).back(), 4), (std::vector<std::uint8_t> {0xAA, 0xBB, 3, 4}));
    EXPECT_FALSE(m.smc->writeFanKey("NONE", {1}));

    m.smc->writeFanKeyBytes(0, 2000);
    EXPECT_EQ(front(m.device->exchanges(6).back(), 4), (std::vector<std::uint8_t> {0x00, 0x00, 0xFA, 0x44}));
    EXPECT_EQ(m.device->value("F0Tg"), 2000.0);

    m.device->resetLog();
    ConsoleCapture console;
    m.smc->writeFanKeyBytes(0, -1);
    EXPECT_EQ(console.lines(), std::vector<std::string> {"Refused fan speed -1: below 0"});
    EXPECT_EQ(m.device->exchangeCount(), 0u);
}

TEST(SMCWriters, BatteryKeys)
{
    // The Intel machine with the charge key later machines have.
    const auto chargeKey = smcKey("CH0B", "hex_", {0}, 1, true);
    SimMachine m("mbp-intel-2fan");
    m.device->upsertKey(chargeKey);
    ConsoleCapture console;
    EXPECT_TRUE(m.smc->probeChargeKey());
    EXPECT_EQ(m.smc->readByteValue("CH0B"), 0);
    EXPECT_EQ(m.smc->readByteValue("BNum"), 1);
    EXPECT_FALSE(m.smc->readByteValue("TC0P"));
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"intValue 0", "intValue 1"}));

    console.clear();
    m.smc->writeBytesValue("CH0B", 2);
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"设置电池状态数值 2", "bytes 2"}));
    EXPECT_EQ(m.device->value("CH0B"), 2.0);

    // Another type: the line, then the bytes as read go back.
    console.clear();
    m.device->resetLog();
    const auto before = m.device->value("TC0P");
    ASSERT_TRUE(before);
    m.smc->writeBytesValue("TC0P", 7);
    EXPECT_EQ(console.lines(), std::vector<std::string> {"设置电池状态数值 7"});
    EXPECT_EQ(m.writtenKeys(), std::vector<std::string> {"TC0P"});
    EXPECT_EQ(m.device->value("TC0P"), before); // the bytes as read went back

    console.clear();
    m.device->resetLog();
    m.smc->writeBytesValue("CH0B", 300);
    EXPECT_EQ(console.lines(),
              (std::vector<std::string> {"设置电池状态数值 300", "Refused value 300 for CH0B: outside 0 to 255"}));
    EXPECT_TRUE(m.writtenKeys().empty());

    SimMachine user("mbp-intel-2fan", false);
    user.device->upsertKey(chargeKey);
    console.clear();
    user.smc->writeBytesValue("CH0B", 1);
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"设置电池状态数值 1", "bytes 1",
                                                          "Error read fan value: (iokit/common) privilege violation"}));

    SimMachine apple("mbp-m1pro-2fan+kernel-errors");
    console.clear();
    EXPECT_FALSE(apple.smc->probeChargeKey());
    EXPECT_FALSE(apple.smc->readByteValue("CH0B"));
    apple.smc->writeBytesValue("CH0B", 1);
    EXPECT_EQ(console.lines(), std::vector<std::string>(3, "Error read fan value: (iokit/common) data was not found"));
}
