#include "SimMachine.h"

#include <cmath>

using SMCSim::KeyTable;
using SMCSim::SimSmcDevice;
using SMCSim::ValueCodec;

namespace {

// Talks to a device in raw records.
struct RawClient {
    SimSmcDevice& device;
    std::uint32_t connection = 0;

    RawClient(SimSmcDevice& d, bool privileged) : device(d) { EXPECT_EQ(device.open(0, privileged, connection), 0u); }

    IOKit::kern_return_t send(std::uint8_t command, const std::string& key, std::uint32_t dataSize = 0,
                              std::uint32_t index = 0, std::uint32_t selector = 2)
    {
        IOKit::SMCRecord in {};
        for (std::size_t i = 0; i < 4 && i < key.size(); ++i)
            in[3 - i] = static_cast<std::uint8_t>(key[i]);
        in[28] = static_cast<std::uint8_t>(dataSize);
        in[42] = command;
        in[44] = static_cast<std::uint8_t>(index);
        out.fill(0xEE);
        return device.call(connection, selector, in, out);
    }

    IOKit::SMCRecord out {};
};

} // namespace

TEST(SimSmcDevice, KeyTableStaysSortedAndCountsItself)
{
    KeyTable table;
    table.upsert(smcKey("TC0P", "sp78"));
    table.upsert(smcKey("#KEY", "ui32"));
    table.upsert(smcKey("F0Ac", "fpe2"));
    table.upsert(smcKey(std::string {'T', '\xB0', '0', 'P'}, "sp78"));
    std::vector<std::string> keys;
    for (const auto& e : table.entries())
        keys.push_back(e.key);
    EXPECT_EQ(keys, (std::vector<std::string> {"#KEY", "F0Ac", "TC0P", std::string {'T', '\xB0', '0', 'P'}}));
    EXPECT_EQ(table.value("#KEY"), 4.0);
    table.remove("F0Ac");
    EXPECT_EQ(table.value("#KEY"), 3.0);
    table.setAutoKeyCount(false);
    table.upsert(smcKey("BNum", "ui8 "));
    EXPECT_EQ(table.value("#KEY"), 3.0);
}

// Many keys at once (a real table's 1,190): merged in one pass, a later entry replacing an earlier one.
TEST(SimSmcDevice, KeyTableTakesManyKeysAtOnce)
{
    KeyTable table;
    table.upsert(smcKey("#KEY", "ui32"));
    table.upsert(smcKey("TC0P", "sp78", {0x30}));
    table.upsertAll({smcKey("TC0P", "sp78", {0x31}), smcKey("FNum", "ui8 ", {2}), smcKey("Tz9Z", "sp78"),
                     smcKey("AC-W", "si8 "), smcKey("FNum", "ui8 ", {4})});
    std::vector<std::string> keys;
    for (const auto& e : table.entries())
        keys.push_back(e.key);
    EXPECT_EQ(keys, (std::vector<std::string> {"#KEY", "AC-W", "FNum", "TC0P", "Tz9Z"}));
    EXPECT_EQ(table.value("#KEY"), 5.0);
    EXPECT_EQ(table.value("FNum"), 4.0);
    EXPECT_EQ(table.find("TC0P")->bytes[0], 0x31);
}

TEST(SimSmcDevice, CommandsAndTheirFailures)
{
    SimSmcDevice device(
        smcTable({smcKey("TC0P", "sp78", {0x32, 0x80}, 2, false), smcKey("F0Tg", "fpe2", {}, 2, true)}));
    RawClient user(device, false);
    RawClient root(device, true);

    EXPECT_EQ(user.send(9, "TC0P"), 0u);
    EXPECT_EQ(user.out[28], 2);
    EXPECT_EQ((std::vector<std::uint8_t>(user.out.begin() + 32, user.out.begin() + 36)),
              (std::vector<std::uint8_t> {'8', '7', 'p', 's'}));
    EXPECT_EQ(user.out[36], 0x80); // readable, not writable

    // Reads give at most the asked size; the rest is zero.
    EXPECT_EQ(user.send(5, "TC0P", 1), 0u);
    EXPECT_EQ(user.out[48], 0x32);
    EXPECT_EQ(user.out[49], 0);

    // Missing key: quietly size 0 and SMC result 0x84, or a kernel error.
    EXPECT_EQ(user.send(9, "NONE"), 0u);
    EXPECT_EQ(user.out[28], 0);
    EXPECT_EQ(user.out[40], SimSmcDevice::kSMCKeyNotFound);
    device.setMissingKeyPolicy(SMCSim::MissingKeyPolicy::kernelError, IOKit::kIOReturnNotFound);
    EXPECT_EQ(user.send(5, "NONE", 2), IOKit::kIOReturnNotFound);
    device.setMissingKeyPolicy(SMCSim::MissingKeyPolicy::quiet);

    // Writes: privilege first, then writability, then size.
    EXPECT_EQ(user.send(6, "F0Tg", 2), IOKit::kIOReturnNotPrivileged);
    EXPECT_EQ(root.send(6, "TC0P", 2), 0u);
    EXPECT_EQ(root.out[40], SimSmcDevice::kSMCNotWritable);
    device.setStrictWrites(true);
    EXPECT_EQ(root.send(6, "TC0P", 2), IOKit::kIOReturnBadArgument);
    EXPECT_EQ(root.send(6, "F0Tg", 4), 0u);
    EXPECT_EQ(root.out[40], SimSmcDevice::kSMCBadSize);
    EXPECT_EQ(device.value("TC0P"), double(0x3280) / 256);

    // Key at index, unknown commands, selectors and connections.
    EXPECT_EQ(user.send(8, "", 0, 1), 0u);
    EXPECT_EQ((std::vector<std::uint8_t>(user.out.begin(), user.out.begin() + 4)),
              (std::vector<std::uint8_t> {'g', 'T', '0', 'F'})); // "F0Tg", little-endian
    EXPECT_EQ(user.send(8, "", 0, 3), IOKit::kIOReturnBadArgument);
    EXPECT_EQ(user.send(7, "TC0P"), IOKit::kIOReturnUnsupported);
    EXPECT_EQ(user.send(9, "TC0P", 0, 0, 3), IOKit::kIOReturnBadArgument);
    user.connection = 99;
    EXPECT_EQ(user.send(9, "TC0P"), IOKit::MACH_SEND_INVALID_DEST);

    // Counters and the log.
    EXPECT_EQ(device.exchangeCount(9), 4u);
    EXPECT_EQ(device.exchangeCount(6), 4u);
    EXPECT_EQ(device.exchangeCount(8), 2u);
    EXPECT_EQ(device.exchanges().back().result, IOKit::MACH_SEND_INVALID_DEST);
    EXPECT_EQ(device.openCount(), 2u);
    device.resetLog();
    EXPECT_EQ(device.exchangeCount(), 0u);
    EXPECT_TRUE(device.exchanges().empty());
}

namespace {

// A model that drives one key and records writes.
class Ramp : public SMCSim::DynamicValues {
public:
    std::optional<double> valueFor(std::string_view key, const KeyTable& keys, double now) override
    {
        if (key != "F0Ac")
            return std::nullopt;
        return keys.value("F0Tg").value_or(0) * std::min(now, 1.0);
    }
    void keyWritten(std::string_view key, const KeyTable&, double now) override
    {
        written.emplace_back(std::string(key), now);
    }
    std::vector<std::pair<std::string, double>> written;
};

} // namespace

TEST(SimSmcDevice, DynamicValuesDriveReadsAndSeeWrites)
{
    SimMachine m(smcTable({smcKey("F0Ac", "fpe2"), smcKey("F0Tg", "fpe2"), smcKey("TC0P", "sp78", {0x30, 0})}));
    auto ramp = std::make_shared<Ramp>();
    m.device->setDynamicValues(ramp);
    m.smc->setFanSpeed(0, 3000);
    ASSERT_EQ(ramp->written.size(), 1u);
    EXPECT_EQ(ramp->written[0], (std::pair<std::string, double> {"F0Tg", 0.0}));

    EXPECT_FALSE(m.smc->getValue("F0Ac")); // 0 rpm at time 0: all zero
    m.clock.advance(0.5);
    EXPECT_EQ(m.smc->getValue("F0Ac"), 1500.0);
    m.clock.advance(2);
    EXPECT_EQ(m.smc->getValue("F0Ac"), 3000.0);
    EXPECT_EQ(m.smc->getValue("TC0P"), 48.0); // keys the model leaves alone keep their bytes
}

TEST(SimSmcDevice, SignedFixedPointAsTheHardwareStoresIt)
{
    // The device stores negatives in two's complement, and the client reads them so.
    const auto bytes = ValueCodec::encode("sp78", -1.5);
    ASSERT_TRUE(bytes);
    EXPECT_EQ((*bytes)[0], 0xFE);
    EXPECT_EQ((*bytes)[1], 0x80);
    EXPECT_EQ(ValueCodec::decode("sp78", *bytes), -1.5);
    SimMachine m(smcTable({smcKey("IBAC", "sp78")}));
    EXPECT_TRUE(m.device->setBytes("IBAC", *bytes));
    EXPECT_EQ(m.smc->getValue("IBAC"), -1.5);

    // Values beyond a type's range are held at its ends; non-numbers are not stored.
    EXPECT_EQ(ValueCodec::decode("ui8 ", *ValueCodec::encode("ui8 ", 300)), 255.0);
    EXPECT_EQ(ValueCodec::decode("fpe2", *ValueCodec::encode("fpe2", -5)), 0.0);
    EXPECT_FALSE(ValueCodec::encode("flt ", std::nan("")));
    EXPECT_FALSE(ValueCodec::encode("{fds", 1));
    EXPECT_FALSE(ValueCodec::encodeText("{fds", "thirteen char"));
}
