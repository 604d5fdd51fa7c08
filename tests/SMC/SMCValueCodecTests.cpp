#include "Classes/Sensors/SMCDataType.h"
#include "SimMachine.h"
#include "tests/Support/ConsoleCapture.h"

#include <cmath>
#include <limits>

using Aerlo::SMCDataType;
using SMCSim::SimSmcDevice;
using SMCSim::ValueCodec;

namespace {

std::array<std::uint8_t, 32> bytes32(std::initializer_list<std::uint8_t> front)
{
    std::array<std::uint8_t, 32> bytes {};
    std::copy(front.begin(), front.end(), bytes.begin());
    return bytes;
}

// A value as the type can hold it: single precision for "flt ", the fixed-point step for the others.
double quantized(const std::string& type, double value)
{
    if (type == "flt ")
        return static_cast<float>(value);
    if (type.starts_with("sp") || type.starts_with("fp")) {
        const int fraction = std::stoi(type.substr(3), nullptr, 16);
        return std::ldexp(std::nearbyint(std::ldexp(value, fraction)), -fraction);
    }
    return value;
}

const std::vector<std::string> numericTypes {"ui8 ", "ui16", "ui32", "sp1e", "sp3c", "sp5b", "sp5a", "sp69",
                                             "sp78", "sp87", "sp96", "spb4", "spf0", "flt ", "fpe2"};

} // namespace

TEST(SMCValueCodec, RawValuesInCaseOrderAndExactMatch)
{
    const std::vector<std::string> raw {"ui8 ", "ui16", "ui32", "sp1e", "sp3c", "sp5b", "sp5a", "sp69", "sp78",
                                        "sp87", "sp96", "spb4", "spf0", "flt ", "fpe2", "fp2e", "{fds"};
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto type = static_cast<SMCDataType>(i);
        EXPECT_EQ(Aerlo::rawValue(type), raw[i]);
        EXPECT_EQ(Aerlo::smcDataType(raw[i]), type);
    }
    for (const char* other : {"UI8 ", "ui8", "flt", "FLT ", "sp78 ", "hex_", ""})
        EXPECT_FALSE(Aerlo::smcDataType(other)) << other;
}

TEST(SMCValueCodec, DecodesEveryTypeOfTheTable)
{
    struct Case {
        SMCDataType type;
        std::array<std::uint8_t, 32> bytes;
        std::optional<double> value;
    };
    const Case cases[] = {
        {SMCDataType::ui8, bytes32({0xFF, 0x01}), 255},
        {SMCDataType::ui16, bytes32({0x12, 0x34, 0x56}), 0x1234},
        {SMCDataType::ui32, bytes32({0x12, 0x34, 0x56, 0x78}), 0x12345678},
        {SMCDataType::ui32, bytes32({0xFF, 0xFF, 0xFF, 0xFF}), 4294967295.0},
        {SMCDataType::sp1e, bytes32({0x60, 0x00}), 1.5},
        {SMCDataType::sp3c, bytes32({0x18, 0x00}), 1.5},
        {SMCDataType::sp5b, bytes32({0x0C, 0x00}), 1.5},
        {SMCDataType::sp5a, bytes32({0x06, 0x00}), 1.5},
        {SMCDataType::sp69, bytes32({0x03, 0x00}), 1.5},
        {SMCDataType::sp78, bytes32({0x80, 0x00}), -128.0}, // two's complement
        {SMCDataType::sp78, bytes32({0x7F, 0xFF}), 127.99609375},
        {SMCDataType::sp78, bytes32({0x32, 0x40}), 50.25},
        {SMCDataType::sp78, bytes32({0xFE, 0x80}), -1.5},
        {SMCDataType::sp78, bytes32({0xFE, 0x10}), -1.9375}, // a discharging battery's current
        {SMCDataType::sp78, bytes32({0x81, 0x00}), -127.0}, // the firmware's "no sensor"
        {SMCDataType::sp78, bytes32({0xFF, 0xFF}), -0.00390625},
        {SMCDataType::sp1e, bytes32({0xA0, 0x00}), -1.5},
        {SMCDataType::sp5a, bytes32({0xFA, 0x00}), -1.5},
        {SMCDataType::spb4, bytes32({0xFF, 0xE8}), -1.5},
        {SMCDataType::sp87, bytes32({0x00, 0xC0}), 1.5},
        {SMCDataType::sp96, bytes32({0x00, 0x60}), 1.5},
        {SMCDataType::spb4, bytes32({0x00, 0x18}), 1.5},
        {SMCDataType::spf0, bytes32({0x01, 0x02}), 258},
        {SMCDataType::spf0, bytes32({0xFF, 0xFF}), -1},
        {SMCDataType::spf0, bytes32({0x80, 0x00}), -32768},
        {SMCDataType::flt, bytes32({0x00, 0x00, 0xFA, 0x44}), 2000},
        {SMCDataType::flt, bytes32({0x00, 0x00, 0xC0, 0xBF}), -1.5},
        {SMCDataType::fpe2, bytes32({0x1F, 0x40}), 2000},
        {SMCDataType::fpe2, bytes32({0x1F, 0x43}), 2000}, // the two low bits are dropped
        {SMCDataType::fpe2, bytes32({0xFF, 0xFC}), 16383},
        {SMCDataType::fp2e, bytes32({0x40, 0x00}), std::nullopt},
        {SMCDataType::fds, bytes32({0, 0, 0, 0, 'F', 'a', 'n'}), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(Aerlo::rawValue(c.type)) + " " + std::to_string(c.value.value_or(-1)));
        EXPECT_EQ(Aerlo::decodeSMCValue(c.type, c.bytes), c.value);
    }
    const auto infinity = Aerlo::decodeSMCValue(SMCDataType::flt, bytes32({0x00, 0x00, 0x80, 0x7F}));
    ASSERT_TRUE(infinity);
    EXPECT_TRUE(std::isinf(*infinity));
}

// Device encoding → client decoding, for values across each type's range including its ends.
TEST(SMCValueCodec, DeviceValuesReadBackThroughTheClient)
{
    struct Case {
        const char* type;
        std::vector<double> values;
    };
    const Case cases[] = {
        {"ui8 ", {1, 42, 255}},
        {"ui16", {1, 2000, 65535}},
        {"ui32", {1, 70000, 4294967295.0}},
        {"sp1e", {-2, -std::ldexp(1, -14), std::ldexp(1, -14), 1.05, 1.99993896484375}},
        {"sp3c", {-8, -0.9, std::ldexp(1, -12), 0.9, 7.999755859375}},
        {"sp5b", {-16, -4.2, std::ldexp(1, -11), 4.2, 15.99951171875}},
        {"sp5a", {-32, -20.1, std::ldexp(1, -10), 20.1, 31.9990234375}},
        {"sp69", {-64, -12.25, std::ldexp(1, -9), 12.25, 63.998046875}},
        {"sp78", {-128, -1.9375, std::ldexp(1, -8), 52.5, 127.99609375}},
        {"sp87", {-256, -1.25, std::ldexp(1, -7), 150.0, 255.9921875}},
        {"sp96", {-512, -38.5, std::ldexp(1, -6), 38.5, 511.984375}},
        {"spb4", {-2048, -18.5, std::ldexp(1, -4), 18.5, 2047.9375}},
        {"spf0", {-32768, -3, 1, 3, 32767}},
        {"flt ", {1e-30, -12.5, 2000.0, 3.4e38}},
        {"fpe2", {1, 2000, 16383}},
    };
    for (const auto& c : cases) {
        for (const double value : c.values) {
            SCOPED_TRACE(std::string(c.type) + " " + std::to_string(value));
            const auto encoded = ValueCodec::encode(c.type, value);
            ASSERT_TRUE(encoded);
            SimMachine m(smcTable({smcKey("XVAL", c.type)}));
            EXPECT_TRUE(m.device->setBytes("XVAL", *encoded));
            const auto read = m.smc->getValue("XVAL");
            ASSERT_TRUE(read);
            EXPECT_DOUBLE_EQ(*read, quantized(c.type, value));
        }
    }
}

// Client decoding → device encoding gives the bytes back, for every bit pattern of the 16-bit types.
TEST(SMCValueCodec, ClientValuesEncodeBackToTheSameBytes)
{
    for (const auto& type : numericTypes) {
        const auto dataType = Aerlo::smcDataType(type);
        ASSERT_TRUE(dataType);
        const std::uint32_t step = type == "ui32" || type == "flt " ? 0x01010101 : type == "ui8 " ? 1 : 0x0101;
        for (std::uint64_t raw = 1; raw < (type == "ui8 "                              ? 0x100ull
                                           : type.starts_with("ui3") || type == "flt " ? 0xFFFFFFFFull
                                                                                       : 0x10000ull);
             raw += step) {
            std::array<std::uint8_t, 32> bytes {};
            const std::size_t width = *ValueCodec::defaultSize(type);
            for (std::size_t i = 0; i < width; ++i)
                bytes[i] = static_cast<std::uint8_t>(raw >> (8 * (width - 1 - i)));
            if (type == "fpe2")
                bytes[1] &= 0xFC; // fpe2 keeps whole numbers only
            const auto decoded = Aerlo::decodeSMCValue(*dataType, bytes);
            ASSERT_TRUE(decoded);
            if (type == "flt " && !std::isfinite(*decoded))
                continue;
            const auto encoded = ValueCodec::encode(type, *decoded);
            ASSERT_TRUE(encoded) << type;
            ASSERT_EQ(*encoded, bytes) << type << " " << raw;
        }
    }
}

TEST(SMCValueCodec, AllZeroIsAbsentExceptForTheMaskAndEveryFansMode)
{
    SimMachine m(
        smcTable({smcKey("FS! ", "ui16"), smcKey("F0Md", "ui8 "), smcKey("F1Md", "ui8 "), smcKey("F2Md", "ui8 "),
                  smcKey("BNum", "ui8 "), smcKey("TC0P", "sp78"), smcKey("XFLT", "flt ")}));
    ConsoleCapture console;
    EXPECT_EQ(m.smc->getValue("FS! "), 0.0);
    EXPECT_EQ(m.smc->getValue("F0Md"), 0.0);
    EXPECT_EQ(m.smc->getValue("F1Md"), 0.0);
    EXPECT_EQ(m.smc->getValue("F2Md"), 0.0);
    EXPECT_FALSE(m.smc->getValue("BNum"));
    EXPECT_FALSE(m.smc->getValue("TC0P"));
    EXPECT_FALSE(m.smc->getValue("XFLT"));
    EXPECT_EQ(console.output(), "");
}

TEST(SMCValueCodec, QuietAbsencesAndTheReadFailureLine)
{
    SimMachine m(smcTable({smcKey("MSF2", "fp2e", {0x60, 0x00}), smcKey("MSUK", "zz9x", {1, 2}, 2),
                           smcKey("XU32", "ui32", {0x12, 0x34}, 2), smcKey("XZER", "ui8 ", {}, 0)}));
    ConsoleCapture console;
    EXPECT_FALSE(m.smc->getValue("MSF2"));
    EXPECT_FALSE(m.smc->getValue("MSUK"));
    EXPECT_FALSE(m.smc->getValue("XZER"));
    EXPECT_FALSE(m.smc->getValue("NONE")); // missing key answered with size 0
    // A ui32 that reports size 2 decodes its two bytes and two zeros.
    EXPECT_EQ(m.smc->getValue("XU32"), double(0x12340000));
    EXPECT_EQ(console.output(), "");

    m.device->setMissingKeyPolicy(SMCSim::MissingKeyPolicy::kernelError, IOKit::kIOReturnNotFound);
    EXPECT_FALSE(m.smc->getValue("NONE"));
    EXPECT_EQ(console.lines(), std::vector<std::string> {"Error read(NONE): (iokit/common) data was not found"});
}

TEST(SMCValueCodec, StringValues)
{
    auto fds = [](std::string_view name) {
        std::vector<std::uint8_t> bytes(4, 0);
        bytes.insert(bytes.end(), name.begin(), name.end());
        return smcKey("", "{fds", bytes, 16);
    };
    auto named = [&](std::string key, std::string_view name) {
        auto entry = fds(std::move(name));
        entry.key = std::move(key);
        return entry;
    };
    SimMachine m(
        smcTable({named("F0ID", "Left side   "), named("F1ID", std::string_view("\x09\xA0Left\n\0\0 \xA0\x09", 12)),
                  named("F2ID", "  \xA0\xB0        "), smcKey("MSF2", "fp2e", {0x60, 0x00}),
                  smcKey("MSTB", std::string {'s', '\xB0', '7', '8'}, {0x32, 0x00}, 2), smcKey("F3ID", "{fds")}));
    ConsoleCapture console;
    EXPECT_EQ(m.smc->getStringValue("F0ID"), "Left side");
    // Tab, space and no-break space go from both ends; the line feed and NULs stay.
    EXPECT_EQ(m.smc->getStringValue("F1ID"), std::string("Left\n\0\0", 7));
    // Other Latin-1 characters come back as UTF-8.
    EXPECT_EQ(m.smc->getStringValue("F2ID"), "\u00b0");
    EXPECT_FALSE(m.smc->getStringValue("F3ID")); // all zero
    EXPECT_FALSE(m.smc->getStringValue("NONE")); // size 0
    EXPECT_EQ(console.output(), "");

    EXPECT_FALSE(m.smc->getStringValue("MSF2"));
    EXPECT_FALSE(m.smc->getStringValue("MSTB"));
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"unsupported data type fp2e for key: MSF2",
                                                          "unsupported data type s\u00b078 for key: MSTB"}));
    console.clear();
    m.device->setMissingKeyPolicy(SMCSim::MissingKeyPolicy::kernelError, IOKit::kIOReturnNotFound);
    EXPECT_FALSE(m.smc->getStringValue("NONE"));
    EXPECT_EQ(console.lines(), std::vector<std::string> {"Error read(): (iokit/common) data was not found"});
}

TEST(SMCValueCodec, AllKeysInSMCOrderAskingEachIndexOnce)
{
    SimMachine m(
        smcTable({smcKey("TC0P", "sp78", {1, 0}), smcKey("F0Ac", "fpe2", {1, 0}), smcKey("BNum", "ui8 ", {1})}));
    EXPECT_EQ(m.smc->getAllKeys(), (std::vector<std::string> {"#KEY", "BNum", "F0Ac", "TC0P"}));

    // "#KEY" = 3 asks for exactly the indexes 0, 1 and 2.
    m.device->editKeys([](SMCSim::KeyTable& keys) {
        keys.setAutoKeyCount(false);
        EXPECT_TRUE(keys.setValue("#KEY", 3));
    });
    m.device->resetLog();
    EXPECT_EQ(m.smc->getAllKeys(), (std::vector<std::string> {"#KEY", "BNum", "F0Ac"}));
    std::vector<std::uint32_t> asked;
    for (const auto& e : m.device->exchanges(SimSmcDevice::kCommandKeyAtIndex))
        asked.push_back(e.index);
    EXPECT_EQ(asked, (std::vector<std::uint32_t> {0, 1, 2}));

    // A failing index and indexes beyond the table are skipped without a line.
    m.device->editKeys([](SMCSim::KeyTable& keys) { EXPECT_TRUE(keys.setValue("#KEY", 6)); });
    m.device->addFault({8, std::nullopt, 1u, IOKit::kIOReturnIOError, -1});
    ConsoleCapture console;
    EXPECT_EQ(m.smc->getAllKeys(), (std::vector<std::string> {"#KEY", "F0Ac", "TC0P"}));
    EXPECT_EQ(console.output(), "");
}

TEST(SMCValueCodec, AllKeysWithoutAUsableCount)
{
    struct Case {
        const char* name;
        std::function<void(SimSmcDevice&)> setUp;
        std::vector<std::string> lines;
    };
    const std::string noCount = "错误：未找到键的数量";
    const Case cases[] = {
        {"missing, quiet", [](SimSmcDevice& d) { EXPECT_TRUE(d.removeKey("#KEY")); }, {noCount}},
        {"missing, kernel error",
         [](SimSmcDevice& d) {
             EXPECT_TRUE(d.removeKey("#KEY"));
             d.setMissingKeyPolicy(SMCSim::MissingKeyPolicy::kernelError, IOKit::kIOReturnNotFound);
         },
         {"Error read(#KEY): (iokit/common) data was not found", noCount}},
        {"zero",
         [](SimSmcDevice& d) {
             d.editKeys([](auto& k) {
                 k.setAutoKeyCount(false);
                 EXPECT_TRUE(k.setValue("#KEY", 0));
             });
         },
         {noCount}},
        {"not a number",
         [](SimSmcDevice& d) {
             d.editKeys([](auto& k) {
                 k.setAutoKeyCount(false);
                 k.upsert(smcKey("#KEY", "flt ", {0x00, 0x00, 0xC0, 0x7F}));
             });
         },
         {noCount}},
        {"infinite",
         [](SimSmcDevice& d) {
             d.editKeys([](auto& k) {
                 k.setAutoKeyCount(false);
                 k.upsert(smcKey("#KEY", "flt ", {0x00, 0x00, 0x80, 0x7F}));
             });
         },
         {noCount}},
        {"negative",
         [](SimSmcDevice& d) {
             d.editKeys([](auto& k) {
                 k.setAutoKeyCount(false);
                 k.upsert(smcKey("#KEY", "flt ", {0x00, 0x00, 0x80, 0xBF}));
             });
         },
         {noCount}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimMachine m(smcTable({smcKey("TC0P", "sp78", {1, 0})}));
        c.setUp(*m.device);
        m.device->resetLog();
        ConsoleCapture console;
        EXPECT_TRUE(m.smc->getAllKeys().empty());
        EXPECT_EQ(console.lines(), c.lines);
        EXPECT_EQ(m.device->exchangeCount(SimSmcDevice::kCommandKeyAtIndex), 0u);
    }
}

TEST(SMCValueCodec, HugeCountIsCapped)
{
    SimMachine m(smcTable({smcKey("TC0P", "sp78", {1, 0})}));
    m.device->editKeys([](SMCSim::KeyTable& keys) {
        keys.setAutoKeyCount(false);
        EXPECT_TRUE(keys.setValue("#KEY", 4294967295.0));
    });
    m.device->resetLog();
    EXPECT_EQ(m.smc->getAllKeys(), (std::vector<std::string> {"#KEY", "TC0P"}));
    EXPECT_EQ(m.device->exchangeCount(SimSmcDevice::kCommandKeyAtIndex), Aerlo::SMC::maxKeyCount);
}
