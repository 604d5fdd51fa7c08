#include "SimMachine.h"

#include "Classes/Sensors/SMC.h"
#include "Classes/Sensors/SMCDataType.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

#include <cmath>
#include <cstdlib>
#include <set>

using SMCSim::MachineProfile;
using SMCSim::SimSmcDevice;

namespace {

const std::vector<std::string> shippedProfiles{
    "imac-intel-1fan", "macpro-intel-4fan", "mba-intel-t2-1fan", "mba-m1-nofan", "mbp-intel-2fan", "mbp-m1pro-2fan",
    "mbp-m3max-2fan", "mbp-m4pro-2fan", "mini-intel-t2-1fan", "mini-m2-1fan", "mini-m4-1fan", "unknown-platform"};

const std::vector<std::string> shippedOverlays{"edge-values", "kernel-errors", "matching-fails",
                                               "no-keycount", "no-smc", "open-denied"};

// Keeps an environment variable for the test's life.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(MachineProfile, ShippedProfilesAreFound)
{
    EXPECT_EQ(MachineProfile::directory().filename(), "Machines");
    EXPECT_EQ(MachineProfile::availableNames(), shippedProfiles);
    EXPECT_TRUE(std::filesystem::exists(MachineProfile::directory() / (std::string(MachineProfile::defaultName) + ".json")));
}

// Every key of every profile reads through the client and decodes to what the device holds.
TEST(MachineProfile, EveryKeyOfEveryProfileReadsAndDecodes)
{
    for (const auto& name : shippedProfiles) {
        SCOPED_TRACE(name);
        SimMachine m(name);
        const auto profile = loadProfile(name);
        ConsoleCapture console;

        std::vector<std::string> tableKeys;
        for (const auto& entry : m.device->entries())
            tableKeys.push_back(entry.key);
        ASSERT_EQ(tableKeys.front(), "#KEY");
        EXPECT_EQ(m.smc->getAllKeys(), tableKeys);
        EXPECT_EQ(m.smc->getValue("#KEY"), double(tableKeys.size()));

        for (const auto& entry : m.device->entries()) {
            SCOPED_TRACE(entry.key);
            Aerlo::SMCVal value;
            value.key = entry.key;
            // A read the real firmware refused fails the same way.
            ASSERT_EQ(m.smc->read(value), entry.readFailure);
            if (entry.readRefused())
                continue;
            EXPECT_EQ(value.dataType, entry.type);
            EXPECT_EQ(value.dataSize, std::min<std::uint32_t>(entry.size, 32)); // the record holds 32 bytes
            const bool zero = entry.bytes == SMCSim::ValueBytes{};
            if (entry.type == "{fds") {
                EXPECT_TRUE(m.smc->getStringValue(entry.key));
            } else if (Aerlo::smcDataType(entry.type) && entry.type != "fp2e" && !zero) {
                const double stored = *SMCSim::ValueCodec::decode(entry.type, entry.bytes);
                const auto read = m.smc->getValue(entry.key);
                if (entry.key.starts_with('T') && stored <= Aerlo::SMC::noSensorTemperature) {
                    EXPECT_FALSE(read); // a temperature sensor the machine lacks
                    continue;
                }
                ASSERT_TRUE(read);
                EXPECT_DOUBLE_EQ(*read, stored);
            }
        }
        EXPECT_EQ(console.output(), "");

        // Fans: "FNum" and the speed keys each fan lists.
        EXPECT_EQ(m.device->value("FNum"), double(profile.fans.size()));
        for (const auto& fan : profile.fans) {
            const std::string prefix = "F" + std::to_string(fan.index);
            EXPECT_EQ(m.smc->getValue(prefix + "Mx"), fan.maxSpeed);
            EXPECT_EQ(m.smc->getValue(prefix + "Mn"), fan.minSpeed);
            EXPECT_NEAR(m.smc->getValue(prefix + "Ac").value_or(-1), fan.currentSpeed, 0.5);
        }
        // Facts for the system record.
        EXPECT_FALSE(profile.facts.modelIdentifier.empty());
        EXPECT_FALSE(profile.facts.cpuBrand.empty());
        EXPECT_GT(profile.facts.memoryBytes, 0u);
        EXPECT_GE(profile.facts.logicalCores, profile.facts.physicalCores);
        EXPECT_EQ(profile.facts.architecture == "x86_64", profile.platform == std::optional<std::string>("intel"));
    }
}

TEST(MachineProfile, PlatformsCarryTheirKeys)
{
    struct Case {
        const char* profile;
        std::optional<std::string> platform;
        std::size_t fans;
        std::vector<std::string> has;
        std::vector<std::string> hasNot;
    };
    const Case cases[] = {
        {"mbp-intel-2fan", "intel", 2, {"FS! ", "F0ID", "F1ID", "TC1C", "TC3C", "Th1H", "TB1T", "PSTR", "B0AC"}, {"F0Md", "Tp0P"}},
        {"mba-intel-t2-1fan", "intel", 1, {"F0Md", "F0Tg", "B0AC", "IBAC"}, {"FS! ", "F0ID"}},
        {"macpro-intel-4fan", "intel", 4, {"F0Md", "F3Md", "F3Ac", "Tp0P"}, {"FS! ", "F3ID", "B0AC"}},
        {"imac-intel-1fan", "intel", 1, {"FS! ", "F0ID", "PCPC"}, {"F0Md", "B0AC"}},
        {"mini-intel-t2-1fan", "intel", 1, {"F0Md", "TC1C", "TC3C"}, {"FS! ", "F0ID", "B0AC"}},
        {"mba-m1-nofan", "m1", 0, {"Tp09", "Tg05", "Tm02", "PDBR", "TaLP", "TB2T"}, {"F0Ac"}},
        // Apple silicon: the temperature keys each chip's report has, and not the ones it lacks.
        {"mbp-m1pro-2fan", "m1Pro", 2, {"F0Md", "F1Md", "Tp0P", "Tp0b", "TaLP", "TB1T"}, {"FS! ", "F0ID", "Tp1h"}},
        {"mini-m2-1fan", "m2", 1, {"F0ID", "Tp09", "Tg0f", "Te05"}, {"TB1T", "Tp1h", "Tg0j"}},
        {"mbp-m3max-2fan", "m3Max", 2, {"Te05", "Tf04", "Tf09", "Tf4E", "Tf14", "Tf2A", "Tp0V"}, {"Tc0a", "Tc0b", "Tg0G"}},
        {"mini-m4-1fan", "m4", 1, {"Tg0G", "Tg0H", "Tp0V", "Tp0e"}, {"Tg1U", "Tm0p", "TB1T"}},
        {"mbp-m4pro-2fan", "m4Pro", 2, {"Tg1U", "Tg1k", "Tp0e", "Tp0P"}, {"Tg0G", "Tp0V"}},
        {"unknown-platform", std::nullopt, 2, {"Tp0P", "TB1T"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        const auto profile = loadProfile(c.profile);
        EXPECT_EQ(profile.platform, c.platform);
        EXPECT_EQ(profile.fans.size(), c.fans);
        for (const auto& key : c.has)
            EXPECT_TRUE(profile.keys.find(key)) << key;
        for (const auto& key : c.hasNot)
            EXPECT_FALSE(profile.keys.find(key)) << key;
        EXPECT_EQ(profile.name, c.profile);
    }
}

TEST(MachineProfile, EveryOverlayAppliesToEveryProfile)
{
    for (const auto& name : shippedProfiles) {
        for (const auto& overlay : shippedOverlays) {
            const auto profile = MachineProfile::load(name + "+" + overlay);
            ASSERT_TRUE(profile) << name << "+" << overlay;
            EXPECT_EQ(profile->overlays, std::vector<std::string>{overlay});
        }
    }
    const auto both = MachineProfile::load("mbp-intel-2fan+no-keycount+kernel-errors");
    ASSERT_TRUE(both);
    EXPECT_FALSE(both->keys.find("#KEY"));
    EXPECT_EQ(both->device.missingKeyPolicy, SMCSim::MissingKeyPolicy::kernelError);
}

TEST(MachineProfile, EdgeValuesThroughTheClient)
{
    SimMachine m("mbp-m1pro-2fan+edge-values");
    ConsoleCapture console;
    EXPECT_FALSE(m.smc->getValue("TZ0C"));
    EXPECT_EQ(m.smc->getValue("IU1R"), 150.0);
    EXPECT_EQ(m.smc->getValue("VP0R"), 150.0);
    EXPECT_NEAR(*m.smc->getValue("VD0R"), 0.39, 1e-6);
    EXPECT_NEAR(*m.smc->getValue("ID0R"), 0.049, 1e-6);
    EXPECT_EQ(m.smc->getValue("TG0D"), 125.0);
    EXPECT_EQ(m.smc->getValue("MSU2"), double(0x12340000));
    EXPECT_FALSE(m.smc->getValue("MSF2"));
    EXPECT_FALSE(m.smc->getValue("MSUK"));
    EXPECT_EQ(m.smc->getStringValue("F0ID"), std::string("Left\n\0\0", 7));
    EXPECT_EQ(console.output(), "");

    // The scripted core: 60, then 125 from 5 s, then 5 from 6 s of device time.
    EXPECT_EQ(m.smc->getValue("TC9C"), 60.0);
    m.clock.advance(5);
    EXPECT_EQ(m.smc->getValue("TC9C"), 125.0);
    m.clock.advance(1);
    EXPECT_EQ(m.smc->getValue("TC9C"), 5.0);

    EXPECT_FALSE(m.smc->getValue("TA9P"));
    EXPECT_EQ(console.lines(), std::vector<std::string>{"Error read(TA9P): (iokit/common) general error"});

    // Index 7 is missing from the enumeration.
    const auto keys = m.smc->getAllKeys();
    const auto entries = m.device->entries();
    EXPECT_EQ(keys.size(), entries.size() - 1);
    EXPECT_EQ(std::find(keys.begin(), keys.end(), entries[7].key), keys.end());
}

// The firmware's attribute byte decides writes; recorded read failures and dynamic marks load as given.
TEST(MachineProfile, FirmwareAttributesAndRefusedReads)
{
    const auto profile = MachineProfile::parse(R"({"name": "t", "facts": {"modelIdentifier": "X1,1", "cpuBrand": "C",
        "osVersion": "1", "osBuild": "A", "architecture": "x86_64"}, "smc": {"dynamicKeys": "marked", "keys": [
        {"key": "F0Mn", "type": "flt ", "attributes": "84", "bytes": "0080E544"},
        {"key": "F0Tg", "type": "flt ", "attributes": "D4", "bytes": "0080E544", "dynamic": true},
        {"key": "AC-F", "type": "ui8 ", "attributes": "50", "readResult": "0x85"},
        {"key": "ACKG", "type": "hex_", "size": 118, "attributes": "54", "readResult": 255, "readFailure": "0xE00002C2"}]}})");
    ASSERT_TRUE(profile) << profile.error();
    EXPECT_TRUE(profile->markedDynamic);
    const auto* minimum = profile->keys.find("F0Mn");
    EXPECT_EQ(minimum->attributes(), 0x84);
    EXPECT_FALSE(minimum->writable);
    EXPECT_FALSE(minimum->dynamic);
    EXPECT_TRUE(profile->keys.find("F0Tg")->writable);
    EXPECT_TRUE(profile->keys.find("F0Tg")->dynamic);
    EXPECT_EQ(profile->keys.find("AC-F")->readResult, 0x85);
    EXPECT_EQ(profile->keys.find("ACKG")->readFailure, 0xE00002C2u);
    EXPECT_EQ(profile->keys.find("ACKG")->size, 118u);

    SimMachine m(profile->keys);
    ConsoleCapture console;
    std::array<std::uint8_t, 32> bytes{0x00, 0x00, 0x7A, 0x44}; // 1000
    EXPECT_EQ(m.smc->write("F0Mn", 4, bytes), 0u);
    EXPECT_EQ(m.device->exchanges().back().smcResult, SimSmcDevice::kSMCNotWritable);
    EXPECT_EQ(m.smc->getValue("F0Mn"), 1836);
    EXPECT_EQ(m.smc->write("F0Tg", 4, bytes), 0u);
    EXPECT_EQ(m.smc->getValue("F0Tg"), 1000);
    Aerlo::SMCVal info;
    info.key = "F0Mn";
    ASSERT_EQ(m.smc->read(info), 0u);
    EXPECT_EQ(m.device->exchanges(SimSmcDevice::kCommandKeyInfo).back().smcResult, 0);
    EXPECT_FALSE(m.smc->getValue("AC-F")); // SMC result 0x85, zero bytes: absent
    EXPECT_EQ(m.device->exchanges().back().smcResult, SimSmcDevice::kSMCNotReadable);
    EXPECT_FALSE(m.smc->getValue("ACKG"));
    EXPECT_EQ(console.lines(), std::vector<std::string>{"Error read(ACKG): (iokit/common) invalid argument"});
}

TEST(MachineProfile, BadProfilesAreRefusedWithAReason)
{
    const std::string facts = R"("facts": {"modelIdentifier": "X1,1", "cpuBrand": "C", "osVersion": "1", "osBuild": "A",
                                           "architecture": "arm64"})";
    struct Case {
        std::string json;
        std::string error;
    };
    const std::vector<Case> cases{
        {"{", "not valid JSON"},
        {"[]", "profile: expected an object"},
        {R"({"name": "x", "smc": {"keys": []}})", "profile: missing \"facts\""},
        {R"({"name": "x", )" + facts + "}", "profile: missing \"smc\" with \"keys\""},
        {R"({"name": "x", "platform": 3, )" + facts + R"(, "smc": {"keys": []}})", "platform: expected a platform name or null"},
        {R"({"name": "x", "facts": {"modelIdentifier": "X", "cpuBrand": "C", "osVersion": "1", "osBuild": "A", "architecture": "ppc"}, "smc": {"keys": []}})",
         "facts.architecture: expected \"x86_64\" or \"arm64\""},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": [{"key": "TC0PX", "type": "sp78"}]}})",
         "smc.keys[0].key: expected exactly four characters"},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": [{"key": "T\u4e2d0P", "type": "sp78"}]}})",
         "smc.keys[0].key: characters beyond U+00FF cannot be SMC bytes"},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": [{"key": "TC0P", "type": "sp78", "value": "hot"}]}})",
         "smc.keys[0].value: expected a number"},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": [{"key": "TC0P", "type": "{fds", "value": 1}]}})",
         "smc.keys[0].value: type \"{fds\" holds no number"},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": [{"key": "TC0P", "type": "sp78", "bytes": "1G"}]}})",
         "smc.keys[0].bytes: expected hex digits"},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": [{"key": "TC0P", "type": "sp78", "size": 256}]}})",
         "smc.keys[0].size: expected a size 0 to 255"},
        {R"({"name": "x", )" + facts + R"(, "fans": [{"type": "flt ", "min": 2000, "max": 1000, "current": 0, "keys": []}], "smc": {"keys": []}})",
         "fans[0]: \"min\" above \"max\""},
        {R"({"name": "x", )" + facts + R"(, "fans": [{"type": "flt ", "min": -1, "max": 1000, "current": 0, "keys": []}], "smc": {"keys": []}})",
         "fans[0].min: expected a number not below 0"},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": [{"key": "TC0P", "type": "sp78"}, {"key": "TC0P", "type": "sp78"}]}})",
         "smc.keys[1]: key \"TC0P\" listed twice"},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": [{"key": "TC0P", "type": "sp78", "attributes": "CG"}]}})",
         "smc.keys[0].attributes: expected a byte (0 to 255, or two hex digits)"},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": [{"key": "TC0P", "type": "sp78", "readResult": 300}]}})",
         "smc.keys[0].readResult: expected a byte (0 to 255, or two hex digits)"},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": [{"key": "TC0P", "type": "sp78", "dynamic": 1}]}})",
         "smc.keys[0].dynamic: expected true or false"},
        {R"({"name": "x", )" + facts + R"(, "smc": {"dynamicKeys": "all", "keys": []}})",
         "smc.dynamicKeys: expected \"byKind\" or \"marked\""},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": []}, "faults": [{"command": 9}]})", "faults[0]: missing \"code\""},
        {R"({"name": "x", )" + facts + R"(, "smc": {"keys": []}, "faults": [{"code": "0xZZ"}]})",
         "faults[0].code: expected a result code (a number or \"0x…\")"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        const auto parsed = MachineProfile::parse(c.json);
        EXPECT_FALSE(parsed);
        EXPECT_EQ(parsed.error(), c.error);
    }

    // A failed overlay leaves the profile as it was.
    auto profile = loadProfile("mbp-intel-2fan");
    EXPECT_EQ(profile.applyOverlay(R"({"name": "x", "smc": {"remove": ["#KEY"], "keys": [{"key": "NEW!"}]}})").error(),
              "smc.keys[0]: missing \"type\"");
    EXPECT_TRUE(profile.keys.find("#KEY"));
    EXPECT_TRUE(profile.overlays.empty());
}

TEST(MachineProfile, LoadFailuresPrintOneLine)
{
    ConsoleCapture console;
    EXPECT_FALSE(MachineProfile::load("no-such-mac"));
    EXPECT_FALSE(MachineProfile::load("mbp-intel-2fan+no-such-overlay"));
    const auto lines = console.errors();
    EXPECT_NE(lines.find("Machine profile no-such-mac: cannot read "), std::string::npos);
    EXPECT_NE(lines.find("Machine profile mbp-intel-2fan+no-such-overlay: cannot read "), std::string::npos);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2);
    EXPECT_EQ(console.output(), "");
}

TEST(MachineProfile, MachinesFolderAndTransportFromTheEnvironment)
{
    const auto dir = std::filesystem::temp_directory_path() / ("aerlo-machines-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(MachineProfile::directory() / "mba-m1-nofan.json", dir / "only.json",
                               std::filesystem::copy_options::overwrite_existing);
    {
        ScopedEnv machines("AERLO_MACHINES_DIR", dir.c_str());
        EXPECT_EQ(MachineProfile::availableNames(), std::vector<std::string>{"only"});

        ScopedEnv smc("AERLO_SMC", "inproc:only");
        EXPECT_EQ(IOKit::SMCEndpoint::specFromEnvironment(), "inproc:only");
        IOKit::ServiceRegistry::replaceDefaultRegistry(nullptr);
        TestAccess::resetForTesting<Aerlo::SMC>();
        EXPECT_EQ(Aerlo::SMC::shared().getValue("PDBR").value_or(0), float(0.4));
        TestAccess::resetForTesting<Aerlo::SMC>();
        IOKit::ServiceRegistry::replaceDefaultRegistry(nullptr);
    }
    std::filesystem::remove_all(dir);
    {
        ScopedEnv smc("AERLO_SMC", nullptr);
        EXPECT_EQ(IOKit::SMCEndpoint::specFromEnvironment(),
                  "socket:" + IOKit::SocketSmcProtocol::defaultSocketPath().string());
    }
    ConsoleCapture console;
    auto registry = IOKit::SMCEndpoint::makeRegistry("pigeon:/nowhere", false);
    EXPECT_EQ(console.errors(), "AERLO_SMC: no SMC transport for \"pigeon:/nowhere\"\n");
    Aerlo::SMC smc(registry);
    EXPECT_EQ(console.lines(), std::vector<std::string>{"Error IOIteratorNext(): (os/kern) successful"});
}
