#include "Classes/Sensors/SMCKeyData.h"

#include <gtest/gtest.h>
#include <vector>

using Aerlo::SMCKeyData;

namespace {

std::vector<int> nonZeroOffsets(const SMCKeyData::Bytes& bytes)
{
    std::vector<int> offsets;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] != 0)
            offsets.push_back(static_cast<int>(i));
    return offsets;
}

} // namespace

TEST(SMCKeyData, EveryFieldAtItsOffsetLittleEndian)
{
    struct Case {
        const char* field;
        void (*set)(SMCKeyData&);
        std::vector<int> offsets;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<Case> cases {
        {"key", [](SMCKeyData& d) { d.key = 0x54433050; }, {0, 1, 2, 3}, {0x50, 0x30, 0x43, 0x54}},
        {"version.major", [](SMCKeyData& d) { d.version.major = 1; }, {4}, {1}},
        {"version.minor", [](SMCKeyData& d) { d.version.minor = 2; }, {5}, {2}},
        {"version.build", [](SMCKeyData& d) { d.version.build = 3; }, {6}, {3}},
        {"version.reserved", [](SMCKeyData& d) { d.version.reserved = 4; }, {7}, {4}},
        {"version.release", [](SMCKeyData& d) { d.version.release = 0x0506; }, {8, 9}, {6, 5}},
        {"powerLimits.version", [](SMCKeyData& d) { d.powerLimits.version = 0x0708; }, {12, 13}, {8, 7}},
        {"powerLimits.length", [](SMCKeyData& d) { d.powerLimits.length = 0x090A; }, {14, 15}, {0x0A, 9}},
        {"powerLimits.cpuLimit",
         [](SMCKeyData& d) { d.powerLimits.cpuLimit = 0x0B0C0D0E; },
         {16, 17, 18, 19},
         {0x0E, 0x0D, 0x0C, 0x0B}},
        {"powerLimits.gpuLimit", [](SMCKeyData& d) { d.powerLimits.gpuLimit = 0x11; }, {20}, {0x11}},
        {"powerLimits.memoryLimit", [](SMCKeyData& d) { d.powerLimits.memoryLimit = 0x12000000; }, {27}, {0x12}},
        {"dataSize", [](SMCKeyData& d) { d.dataSize = 0x0102; }, {28, 29}, {2, 1}},
        {"dataType", [](SMCKeyData& d) { d.dataType = 0x73703738; }, {32, 33, 34, 35}, {0x38, 0x37, 0x70, 0x73}},
        {"dataAttributes", [](SMCKeyData& d) { d.dataAttributes = 0x80; }, {36}, {0x80}},
        {"result", [](SMCKeyData& d) { d.result = 0x84; }, {40}, {0x84}},
        {"status", [](SMCKeyData& d) { d.status = 0x13; }, {41}, {0x13}},
        {"command", [](SMCKeyData& d) { d.command = 9; }, {42}, {9}},
        {"data32", [](SMCKeyData& d) { d.data32 = 0x00010203; }, {44, 45, 46}, {3, 2, 1}},
        {"bytes",
         [](SMCKeyData& d) {
             d.bytes[0] = 0xAA;
             d.bytes[31] = 0xBB;
         },
         {48, 79},
         {0xAA, 0xBB}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        SMCKeyData data;
        c.set(data);
        const auto bytes = data.serialise();
        EXPECT_EQ(nonZeroOffsets(bytes), c.offsets);
        for (std::size_t i = 0; i < c.offsets.size(); ++i)
            EXPECT_EQ(bytes[static_cast<std::size_t>(c.offsets[i])], c.bytes[i]);
        // Parsing gives the same record back.
        EXPECT_EQ(SMCKeyData::parse(bytes).serialise(), bytes);
    }
}

TEST(SMCKeyData, ParseReadsEveryField)
{
    SMCKeyData::Bytes bytes {};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i + 1);
    const auto data = SMCKeyData::parse(bytes);
    EXPECT_EQ(data.key, 0x04030201u);
    EXPECT_EQ(data.version.release, 0x0A09);
    EXPECT_EQ(data.dataSize, 0x201F1E1Du);
    EXPECT_EQ(data.dataType, 0x24232221u);
    EXPECT_EQ(data.dataAttributes, 37);
    EXPECT_EQ(data.result, 41);
    EXPECT_EQ(data.status, 42);
    EXPECT_EQ(data.command, 43);
    EXPECT_EQ(data.data32, 0x302F2E2Du);
    EXPECT_EQ(data.bytes[0], 49);
    EXPECT_EQ(data.bytes[31], 80);
    // Padding is not carried: serialising gives zeros there.
    const auto again = data.serialise();
    EXPECT_EQ(again[10], 0);
    EXPECT_EQ(again[11], 0);
    EXPECT_EQ(again[37], 0);
    EXPECT_EQ(again[43], 0);
}
