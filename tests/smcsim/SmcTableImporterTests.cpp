// The importer of real key tables and the profiles built with it.
#include "Platform/SMC/MachineProfile.h"
#include "Platform/SMC/SimSmcDevice.h"
#include "Tools/smcimport/SmcImportTool.h"
#include "Tools/smcimport/SmcTableImporter.h"
#include "tests/Support/ConsoleCapture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

using Aerlo::SmcImportTool;
using Aerlo::SmcTableImporter;

namespace {

const std::filesystem::path tables = std::filesystem::path(AERLO_SOURCE_DIR) / "Tools/smcimport/Tables";

std::string readText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

SmcTableImporter::Table parsed(std::string_view text)
{
    auto table = SmcTableImporter::parse(text);
    EXPECT_TRUE(table) << table.error();
    return table ? *table : SmcTableImporter::Table {};
}

const char* const smallTable = "macOS 10.15.3 (19D49f)\n"
                               "Public keys (6):\n"
                               "[#KEY] type [ui32] 75693332 len [ 4] attr [80] -> 00000006\n"
                               "[AC-F] type [ui8 ] 75693820 len [ 1] attr [50] -> NOT READABLE, code 85\n"
                               "Unable to read smc value E00002C2\n"
                               "[ACKG] type [hex_] 6865785F len [118] attr [54] -> NOT READABLE, code FF\n"
                               "[KPST] type [ui8?] 75693800 len [ 1] attr [C0] -> 01\n"
                               "[TC0P] type [sp78] 73703738 len [ 2] attr [C0] -> 3180\n"
                               "[TH0x] type [sp78] 73703738 len [ 2] attr [C0] -> 8100\n"
                               "\n"
                               "Hidden keys (?):\n"
                               "[MSSN] type [ui16] 75693136 len [ 1] attr [C0] -> 80\n";

} // namespace

TEST(SmcTableImporter, ReadsEveryFieldOfATable)
{
    const auto table = parsed(smallTable);
    EXPECT_EQ(table.osVersion, "10.15.3");
    EXPECT_EQ(table.osBuild, "19D49f");
    ASSERT_EQ(table.keys.size(), 6u); // the probed hidden keys are not in the index
    const auto& unreadable = table.keys[1];
    EXPECT_EQ(unreadable.key, "AC-F");
    EXPECT_EQ(unreadable.attributes(), 0x50);
    EXPECT_TRUE(unreadable.writable); // a key the firmware takes writes for but does not read back
    EXPECT_EQ(unreadable.readResult, 0x85);
    EXPECT_EQ(unreadable.readFailure, 0u);
    const auto& tooLarge = table.keys[2];
    EXPECT_EQ(tooLarge.size, 118u);
    EXPECT_EQ(tooLarge.readResult, 0xFF);
    EXPECT_EQ(tooLarge.readFailure, 0xE00002C2u);
    EXPECT_EQ(table.keys[3].type, std::string("ui8\0", 4)); // the code, not the printed "ui8?"
    EXPECT_TRUE(table.keys[3].writable);
    EXPECT_EQ(table.keys[4].bytes[0], 0x31);
    EXPECT_EQ(table.keys[4].bytes[1], 0x80);
    EXPECT_EQ(table.keys[4].attributes(), 0xC0);

    EXPECT_EQ(parsed("OS X 10.11.6\nPublic keys (1):\n[FNum] type [ui8 ] 75693820 len [ 1] attr [80] -> 02\n").osBuild,
              "");
}

TEST(SmcTableImporter, RefusesALineThatDoesNotParseWithItsNumber)
{
    const std::string head =
        "macOS 10.15.3 (19D49f)\nPublic keys (2):\n[#KEY] type [ui32] 75693332 len [ 4] attr [80] -> 00000002\n";
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"[TC0P] type [sp78] 73703738 len [ 2] attr [C0] -> 31G0", "line 4: bad hex in the value"},
        {"[TC0P] type [sp78] 73703738 len [ 2] attr [C0] -> 318", "line 4: bad hex in the value"},
        {"[TC0P] type [sp78] 73703738 len [ 2] attr [C0] -> 318000", "line 4: size 2 but 3 value bytes"},
        {"[MSSN] type [si8 ] 73693820 len [ 1] attr [D0] -> 801201", "line 4: size 1 but 3 value bytes"},
        {"[#KEY] type [ui32] 75693332 len [ 4] attr [80] -> 00000002", "line 4: key \"#KEY\" listed twice"},
        {"[TC0P] type [sp78] 7370373Z len [ 2] attr [C0] -> 3180", "line 4: bad hex in the type code"},
        {"[TC0P] type [sp78] 73703738 len [ x] attr [C0] -> 3180", "line 4: bad size \" x\""},
        {"[TC0P] type [sp78] 73703738 len [ 2] attr [CG] -> 3180", "line 4: bad hex in the attributes"},
        {"[TC0] type [sp78] 73703738 len [ 2] attr [C0] -> 3180", "line 4: expected a four-character key in brackets"},
        {"[TC0P] type [sp78] 73703738 len [ 2] attr [C0] -> NOT READABLE, code",
         "line 4: expected \", code XX\" after NOT READABLE"},
        {"Unable to read smc value E00002C2\n[TC0P] type [sp78] 73703738 len [ 2] attr [C0] -> 3180",
         "line 5: a value after \"Unable to read smc value\""},
        {"[TC0P] type [sp78] 73703738 len [ 2] attr [C0] -> 3180\n[TC0Q] type [sp78] 73703738 len [ 2] attr [C0] -> 3180",
         "the table says 2 public keys but lists 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto table = SmcTableImporter::parse(head + c.line + "\n");
        ASSERT_FALSE(table);
        EXPECT_EQ(table.error(), c.error);
    }
}

// The tool leaves no profile behind when the table is refused, and prints one line.
TEST(SmcTableImporter, ARefusedTableWritesNothing)
{
    const auto dir = std::filesystem::temp_directory_path() / ("smcimport-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto table = dir / "MacBookPro11,4.txt";
    const auto output = dir / "profile.json";
    std::ofstream(table) << "Public keys (2):\n[#KEY] type [ui32] 75693332 len [ 4] attr [80] -> 00000002\n"
                            "[TC0P] type [sp78] 73703738 len [ 2] attr [C0] -> 31\n";
    ConsoleCapture console;
    EXPECT_EQ(SmcImportTool::run({table.string(), "--name", "bad", "--output", output.string()}), 1);
    EXPECT_EQ(console.errors(), "smcimport: " + table.string() + ": line 3: size 2 but 1 value bytes\n");
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);

    // A model whose facts are unknown and not given: refused too.
    std::ofstream(table) << "Public keys (1):\n[FNum] type [ui8 ] 75693820 len [ 1] attr [80] -> 00\n";
    console.clear();
    EXPECT_EQ(
        SmcImportTool::run({table.string(), "--name", "bad", "--model", "MacBookPro99,1", "--output", output.string()}),
        1);
    EXPECT_EQ(console.errors(), "smcimport: the facts of MacBookPro99,1 are not known: give cpuBrand, physicalCores, "
                                "logicalCores and memoryBytes\n");
    EXPECT_FALSE(std::filesystem::exists(output));
    std::filesystem::remove_all(dir);
}

// Every shipped Intel profile holds exactly its source table: keys, types, sizes, attributes, bytes and
// refused reads.
TEST(SmcTableImporter, ShippedIntelProfilesAreTheirTables)
{
    const struct {
        const char* profile;
        const char* table;
        std::size_t keys;
        std::size_t fans;
    } cases[] = {
        {"mbp-intel-2fan", "MacBookPro11,4", 719, 2}, {"mba-intel-t2-1fan", "MacBookAir8,1", 616, 1},
        {"macpro-intel-4fan", "MacPro7,1", 1190, 4},  {"imac-intel-1fan", "iMac18,3", 769, 1},
        {"mini-intel-t2-1fan", "Macmini8,1", 526, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        const auto table = parsed(readText(tables / (std::string(c.table) + ".txt")));
        const auto profile = SMCSim::MachineProfile::load(c.profile);
        ASSERT_TRUE(profile);
        EXPECT_EQ(profile->facts.modelIdentifier, c.table);
        EXPECT_EQ(profile->fans.size(), c.fans);
        EXPECT_TRUE(profile->markedDynamic);
        ASSERT_EQ(table.keys.size(), c.keys);
        ASSERT_EQ(profile->keys.size(), c.keys);
        for (const auto& expected : table.keys) {
            SCOPED_TRACE(expected.key);
            const SMCSim::KeyEntry* entry = profile->keys.find(expected.key);
            ASSERT_TRUE(entry);
            EXPECT_EQ(entry->type, expected.type);
            EXPECT_EQ(entry->size, expected.size);
            EXPECT_EQ(entry->attributes(), expected.attributes());
            EXPECT_EQ(entry->writable, expected.writable);
            EXPECT_EQ(entry->readResult, expected.readResult);
            EXPECT_EQ(entry->readFailure, expected.readFailure);
            EXPECT_EQ(entry->bytes, expected.bytes);
        }
    }
}

TEST(SmcTableImporter, MarksWhatTheThermalModelDrives)
{
    const auto profile = SMCSim::MachineProfile::load("mbp-intel-2fan");
    ASSERT_TRUE(profile);
    const auto dynamic = [&](const char* key) {
        const SMCSim::KeyEntry* entry = profile->keys.find(key);
        EXPECT_TRUE(entry) << key;
        return entry && entry->dynamic;
    };
    // Fans' live keys and the mask; catalogue temperatures, powers, voltages, currents; the battery current.
    for (const char* key :
         {"F0Ac", "F0Tg", "F1Ac", "F1Tg", "FS! ", "TC0P", "TC1C", "Th1H", "PSTR", "VD0R", "IC0R", "IBAC", "B0AC"})
        EXPECT_TRUE(dynamic(key)) << key;
    // Ranges, names, keys the catalogue does not show and fixed facts keep the table's bytes.
    for (const char* key : {"F0Mn", "F0Mx", "F0ID", "TCXC", "Ts0P", "PZ0E", "#KEY", "FNum", "B0AV"})
        EXPECT_FALSE(dynamic(key)) << key;

    EXPECT_TRUE(SmcImportTool::catalogued("TC4C")); // "TC%C"
    EXPECT_TRUE(SmcImportTool::catalogued("Tp0P")); // Intel only
    EXPECT_FALSE(SmcImportTool::catalogued("Tp09")); // Apple silicon only
    EXPECT_FALSE(SmcImportTool::catalogued("TCXC"));
}

TEST(SmcTableImporter, AppleSiliconReportsGiveTemperatureKeys)
{
    const auto keys = SmcTableImporter::parseTemperatures("  TC10  [flt ]  (bytes 62 d5 5d 42)\n"
                                                          "  TB0T  [flt ]  28.699997 (bytes 98 99 e5 41)\n"
                                                          "  TG0A  [ioft]  28.5 (bytes 00 80 1c 00 00 00 00 00)\n");
    ASSERT_TRUE(keys) << keys.error();
    ASSERT_EQ(keys->size(), 3u);
    EXPECT_EQ((*keys)[1].key, "TB0T");
    EXPECT_NEAR(*SMCSim::ValueCodec::decode("flt ", (*keys)[1].bytes), 28.7, 1e-5);
    EXPECT_EQ((*keys)[2].size, 8u);

    const struct {
        const char* text;
        const char* error;
    } bad[] = {
        {"  TC10  [flt ]  (bytes 62 d5 5d)\n", "line 1: type \"flt \" takes 4 bytes, not 3"},
        {"\n  TC10  [flt ]  (bytes 62 d5 5d 4x)\n", "line 2: bad hex in the bytes"},
        {"  TC10  [flt ]  (bytes 62 d5 5d 42)\n  TC10  [flt ]  (bytes 62 d5 5d 42)\n",
         "line 2: key \"TC10\" listed twice"},
        {"  PC10  [flt ]  (bytes 62 d5 5d 42)\n", "line 1: expected a \"T…\" key and its type in brackets"},
        {"  TC10  [flt ]  62 d5 5d 42\n", "line 1: expected \"(bytes …)\""},
    };
    for (const auto& c : bad) {
        const auto refused = SmcTableImporter::parseTemperatures(c.text);
        ASSERT_FALSE(refused) << c.text;
        EXPECT_EQ(refused.error(), c.error);
    }
}
