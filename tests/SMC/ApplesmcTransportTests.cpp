// The applesmc transport on fake driver trees of real key tables: the driver's refusals, the writes
// that have a route (and only those, within the fan's range), refused keys, the fans' restore.

#include "Classes/Sensors/SMC.h"
#include "Platform/SMC/ApplesmcTransport.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Platform/SMC/SysfsApplesmcFiles.h"
#include "tests/SMC/SimMachine.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/SMC/FakeApplesmcTree.h"
#include "tests/Support/SMC/FakeMacsmcHwmonTree.h"
#include "tests/Support/TempRoot.h"

#include <atomic>
#include <cerrno>
#include <fstream>
#include <map>
#include <thread>
#include <unistd.h>

using Aerlo::FanMode;
using Aerlo::SMC;
using Files = std::vector<std::string>;

namespace {

// An SMC client over the applesmc transport on the fake tree of a profile.
struct ApplesmcMachine {
    std::shared_ptr<SMCSim::FakeApplesmcTree> tree;
    std::shared_ptr<IOKit::ApplesmcTransport> transport;
    std::unique_ptr<SMC> smc;

    explicit ApplesmcMachine(const std::string& profile, SMCSim::FakeApplesmcTree::Options options = {},
                             bool privileged = true)
        : tree(std::make_shared<SMCSim::FakeApplesmcTree>(loadProfile(profile), options)),
          transport(std::make_shared<IOKit::ApplesmcTransport>(tree, privileged)),
          smc(std::make_unique<SMC>(IOKit::ServiceRegistry::withSMC(transport)))
    {
    }
};

} // namespace

TEST(FakeApplesmcTree, RefusesWhatTheDriverRefuses)
{
    SMCSim::FakeApplesmcTree tree(loadProfile("mbp-intel-2fan"));
    const auto count = tree.read("key_count").bytes;
    EXPECT_EQ(count, "719\n");
    EXPECT_EQ(tree.write("key_at_index", "719"), EINVAL);
    EXPECT_EQ(tree.write("key_at_index", "x"), EINVAL);
    EXPECT_EQ(tree.write("key_at_index", "718\n"), 0);
    EXPECT_EQ(tree.write("fan1_output", "16384"), EINVAL);
    EXPECT_EQ(tree.write("fan1_output", "3000"), 0);
    EXPECT_EQ(tree.read("fan1_output").bytes, "3000\n");
    EXPECT_EQ(tree.write("fan1_max", "3000"), EACCES);
    EXPECT_EQ(tree.write("fan3_output", "3000"), ENOENT);
    EXPECT_EQ(tree.read("fan1_label").bytes, "Left side  \n");

    // The type keeps its trailing space.
    for (std::uint32_t index = 0;; ++index) {
        ASSERT_EQ(tree.write("key_at_index", std::to_string(index)), 0);
        if (tree.read("key_at_index_name").bytes == "FNum\n") {
            EXPECT_EQ(tree.read("key_at_index_type").bytes, "ui8 \n");
            EXPECT_EQ(tree.read("key_at_index_data").bytes, std::string(1, '\2'));
            break;
        }
    }

    // "flt " fan keys: two bytes expected, four found, unless the driver knows T2 Macs.
    SMCSim::FakeApplesmcTree mainline(loadProfile("mba-intel-t2-1fan"));
    EXPECT_EQ(mainline.read("fan1_input").error, EINVAL);
    EXPECT_EQ(mainline.write("fan1_output", "3000"), EINVAL);
    SMCSim::FakeApplesmcTree patched(loadProfile("mba-intel-t2-1fan"), {.t2FanSupport = true});
    EXPECT_EQ(patched.read("fan1_input").bytes, "2702\n");

    SMCSim::FakeApplesmcTree user(loadProfile("mbp-intel-2fan"), {.root = false});
    EXPECT_EQ(user.write("key_at_index", "1"), EACCES);
}

TEST(ApplesmcTransport, OnlyRoutedWritesWithinTheFansRangeReachTheDriver)
{
    ApplesmcMachine mac("mbp-intel-2fan"); // fpe2 fans 2160…6156 and 2000…5700, "FS! "
    mac.smc->setFanSpeed(0, 3000);
    mac.smc->setFanMode(1, FanMode::forced);
    mac.smc->setFanMode(0, FanMode::forced);
    EXPECT_EQ(mac.tree->writtenFiles(), (Files {"fan1_output=3000", "fan2_manual=1", "fan1_manual=1"}));
    EXPECT_EQ(mac.smc->getValue("FS! "), 3);
    EXPECT_EQ(mac.smc->getValue("F0Tg"), 3000);
    mac.tree->clearWrites();
    mac.smc->resetFanControl(); // one bit per write
    EXPECT_EQ(mac.tree->writtenFiles(), (Files {"fan1_manual=0", "fan2_manual=0"}));
    mac.tree->clearWrites();

    EXPECT_EQ(mac.smc->writeFpe2("F0Tg", 6157), IOKit::kIOReturnBadArgument);
    EXPECT_EQ(mac.smc->writeFpe2("F0Tg", 2159), IOKit::kIOReturnBadArgument);
    EXPECT_EQ(mac.smc->writeFpe2("F0Mn", 2000), IOKit::kIOReturnBadArgument); // below the minimum read at open
    EXPECT_EQ(mac.smc->writeFpe2("F0Mn", 2500), IOKit::kIOReturnSuccess);
    EXPECT_EQ(mac.smc->writeFpe2("F0Mx", 5000), IOKit::kIOReturnNotPrivileged);
    EXPECT_EQ(mac.smc->writeFpe2("F2Tg", 3000), IOKit::kIOReturnSuccess); // no such key: nothing written
    EXPECT_EQ(mac.smc->write("TC0P", 2, {}), IOKit::kIOReturnNotPrivileged);
    std::array<std::uint8_t, 32> threeFans {0, 7};
    EXPECT_EQ(mac.smc->write("FS! ", 2, threeFans), IOKit::kIOReturnBadArgument);
    EXPECT_EQ(mac.tree->writtenFiles(), (Files {"fan1_min=2500"}));

    ApplesmcMachine user("mbp-intel-2fan", {}, false);
    EXPECT_EQ(user.smc->writeFpe2("F0Tg", 3000), IOKit::kIOReturnNotPrivileged);
    EXPECT_TRUE(user.tree->writes().empty());
}

TEST(ApplesmcTransport, T2FansGoThroughTheirModeKeyAndFloatTargets)
{
    ApplesmcMachine patched("mba-intel-t2-1fan", {.t2FanSupport = true}); // flt 2700…8000, "F0Md", no "FS! "
    patched.smc->setFanMode(0, FanMode::forced);
    patched.smc->setFanSpeed(0, 4000);
    EXPECT_EQ(patched.tree->writtenFiles(), (Files {"fan1_manual=1", "fan1_output=4000"}));
    EXPECT_EQ(patched.smc->getValue("F0Md"), 1);
    EXPECT_EQ(patched.smc->getValue("F0Tg"), 4000);

    // A mainline driver refuses the four-byte keys: the write fails, nothing changes.
    ConsoleCapture console;
    ApplesmcMachine mainline("mba-intel-t2-1fan");
    const auto before = mainline.smc->getValue("F0Tg");
    mainline.smc->setFanSpeed(0, 4000);
    EXPECT_EQ(mainline.tree->writes(),
              (std::vector<SMCSim::FakeApplesmcTree::Write> {{"fan1_output", "4000", EINVAL}}));
    EXPECT_EQ(mainline.smc->getValue("F0Tg"), before);
    EXPECT_EQ(console.lines(), (Files {"写入时出错: " + SMC::errorText(IOKit::kIOReturnBadArgument)}));
}

TEST(ApplesmcTransport, AKeyTheDriverCannotGiveIsAbsentAfterOneLine)
{
    ApplesmcMachine mac("mbp-intel-2fan");
    ConsoleCapture console;
    mac.tree->refuseData("TC0P", EINVAL);
    mac.tree->refuseData("TB0T", EIO);
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_FALSE(mac.smc->getValue("TC0P"));
        EXPECT_FALSE(mac.smc->getValue("TB0T"));
    }
    EXPECT_EQ(console.lines(), (Files {"Error read(TC0P): " + SMC::errorText(IOKit::kIOReturnBadArgument),
                                       "Error read(TB0T): " + SMC::errorText(IOKit::kIOReturnIOError)}));

    // A key that read before fails while the driver does, and reads again after.
    ASSERT_TRUE(mac.smc->getValue("TC0E"));
    console.clear();
    mac.tree->refuseData("TC0E", EIO);
    EXPECT_FALSE(mac.smc->getValue("TC0E"));
    EXPECT_FALSE(mac.smc->getValue("TC0E"));
    mac.tree->refuseData("TC0E", 0);
    EXPECT_TRUE(mac.smc->getValue("TC0E"));
    EXPECT_EQ(console.lines().size(), 2u);
}

TEST(ApplesmcTransport, RestoreClearsForcedFansAndPutsBackTheMinimumReadAtOpen)
{
    ApplesmcMachine mac("mbp-intel-2fan");
    mac.smc->setFanMode(1, FanMode::forced);
    ASSERT_EQ(mac.smc->writeFpe2("F0Mn", 3000), IOKit::kIOReturnSuccess);
    mac.tree->clearWrites();
    EXPECT_EQ(mac.transport->restoreFans(), (std::vector<int> {0, 1}));
    EXPECT_EQ(mac.tree->writtenFiles(), (Files {"fan1_min=2160", "fan2_manual=0"}));
    EXPECT_EQ(mac.smc->getValue("FS! "), 0);

    // A transport that wrote restores when it goes.
    mac.smc->setFanMode(0, FanMode::forced);
    mac.tree->clearWrites();
    const auto tree = mac.tree;
    mac = ApplesmcMachine("imac-intel-1fan");
    EXPECT_EQ(tree->writtenFiles(), (Files {"fan1_manual=0"}));
    EXPECT_EQ(tree->value("FS! "), 0);
}

TEST(SMCEndpointTest, TheRealDriverIsTheDefaultWhereItsDeviceExists)
{
    const std::string simulator = "socket:" + IOKit::SocketSmcProtocol::defaultSocketPath().string();
    EXPECT_EQ(IOKit::SMCEndpoint::specFor(nullptr, true), "applesmc");
    EXPECT_EQ(IOKit::SMCEndpoint::specFor("", true), "applesmc");
    EXPECT_EQ(IOKit::SMCEndpoint::specFor(nullptr, false), simulator);
    EXPECT_EQ(IOKit::SMCEndpoint::specFor("smcsim", true), simulator);
    EXPECT_EQ(IOKit::SMCEndpoint::specFor("inproc:mbp-intel-2fan", true), "inproc:mbp-intel-2fan");
    EXPECT_EQ(IOKit::SMCEndpoint::specFor(nullptr, false, true), "macsmc");
    EXPECT_EQ(IOKit::SMCEndpoint::specFor(nullptr, true, true), "applesmc");
    EXPECT_EQ(IOKit::SMCEndpoint::specFor("smcsim", false, true), simulator);
}

TEST(SysfsApplesmcFiles, TheHwmonFolderIsFoundByItsName)
{
    TempRoot root;
    for (const auto& [folder, name] : {std::pair {"hwmon0", "acpitz\n"}, {"hwmon1", "macsmc_hwmon\n"}}) {
        std::filesystem::create_directories(root.path() / folder);
        std::ofstream(root.path() / folder / "name") << name;
    }
    EXPECT_EQ(IOKit::SysfsApplesmcFiles::hwmonDirectory("macsmc_hwmon", root.path()), root.path() / "hwmon1");
    EXPECT_EQ(IOKit::SysfsApplesmcFiles::hwmonDirectory("macsmc", root.path()), std::nullopt);
}

TEST(ApplesmcTransport, HwmonChannelsReadInTheirKeysUnits)
{
    // Channel files as the driver gives them: milli-degrees, microwatts, whole RPM.
    struct Files : IOKit::ApplesmcFiles {
        Contents read(std::string_view name) override
        {
            static const std::map<std::string_view, std::string> files {
                {"name", "macsmc_hwmon\n"},     {"temp1_label", "NAND Flash Temperature\n"},
                {"temp1_input", "-1250\n"},     {"temp2_label", "Something Else\n"},
                {"temp2_input", "40000\n"},     {"power1_label", "Total System Power\n"},
                {"power1_input", "12500000\n"}, {"fan1_input", "1206\n"},
                {"fan1_max", "5779\n"}};
            const auto found = files.find(name);
            return found == files.end() ? Contents {ENOENT, {}} : Contents {0, found->second};
        }
        int write(std::string_view, std::string_view) override { return EACCES; }
    };
    SMC smc(IOKit::ServiceRegistry::withSMC(std::make_shared<IOKit::ApplesmcTransport>(
        std::make_shared<Files>(), true, IOKit::ApplesmcTransport::Driver::macsmcHwmon)));
    EXPECT_EQ(smc.getValue("TH0x"), -1.25);
    EXPECT_EQ(smc.getValue("PSTR"), 12.5);
    EXPECT_EQ(smc.getValue("F0Ac"), 1206);
    EXPECT_EQ(smc.getValue("F0Mx"), 5779);
    EXPECT_EQ(smc.getValue("F0Mn"), std::nullopt);
    EXPECT_EQ(smc.getValue("FNum"), 1);
    // A label no device tree gives names no key.
    EXPECT_EQ(smc.getAllKeys(), (std::vector<std::string> {"#KEY", "F0Ac", "F0Mx", "FNum", "PSTR", "TH0x"}));
    EXPECT_EQ(smc.writeFpe2("F0Tg", 2000), IOKit::kIOReturnNotPrivileged);
}

TEST(ApplesmcTransport, HwmonChannelsAreFoundByTheKernelsLabelsOfEitherRevision)
{
    const auto profile = loadProfile("mbp-m1pro-2fan");
    for (const auto labels : {SMCSim::FakeMacsmcHwmonTree::Labels::first, SMCSim::FakeMacsmcHwmonTree::Labels::later}) {
        SMC smc(IOKit::ServiceRegistry::withSMC(
            std::make_shared<IOKit::ApplesmcTransport>(std::make_shared<SMCSim::FakeMacsmcHwmonTree>(profile, labels),
                                                       false, IOKit::ApplesmcTransport::Driver::macsmcHwmon)));
        for (const char* key : {"TB0T", "TCHP", "TW0P", "VD0R"}) {
            SCOPED_TRACE(key);
            const auto expected = profile.keys.value(key);
            ASSERT_TRUE(expected);
            const auto read = smc.getValue(key);
            ASSERT_TRUE(read);
            EXPECT_NEAR(*read, *expected, 1e-3);
        }
    }
}

TEST(ApplesmcTransport, ReadsFromManyThreadsNeverTakeAnotherKeysIndex)
{
    ApplesmcMachine mac("mbp-intel-2fan");
    const auto minimum = mac.smc->getValue("F0Mn");
    const auto maximum = mac.smc->getValue("F1Mx");
    ASSERT_TRUE(minimum && maximum && *minimum != *maximum);
    std::atomic<int> wrong {0};
    std::vector<std::thread> readers;
    for (int thread = 0; thread < 4; ++thread)
        readers.emplace_back([&, thread] {
            const char* key = thread % 2 ? "F1Mx" : "F0Mn";
            const auto expected = thread % 2 ? maximum : minimum;
            for (int read = 0; read < 300; ++read)
                wrong += mac.smc->getValue(key) != expected;
        });
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(wrong, 0);
}

TEST(SysfsApplesmcFiles, WholeReadsAndWritesWithTheKernelsErrno)
{
    TempRoot root;
    const auto device = root.path() / "applesmc.768";
    std::filesystem::create_directories(device);
    EXPECT_FALSE(IOKit::SysfsApplesmcFiles::deviceExists(device));
    std::ofstream(device / "key_count") << "719\n";
    std::ofstream(device / "key_at_index") << "0\n";
    EXPECT_TRUE(IOKit::SysfsApplesmcFiles::deviceExists(device));

    IOKit::SysfsApplesmcFiles files(device);
    EXPECT_EQ(files.read("key_count").bytes, "719\n");
    EXPECT_EQ(files.read("fan1_input").error, ENOENT);
    EXPECT_EQ(files.write("key_at_index", "12"), 0);
    EXPECT_EQ(files.read("key_at_index").bytes, "12"); // one write(2) of exactly the text
    EXPECT_EQ(files.write("fan1_output", "2000"), ENOENT);
    std::filesystem::permissions(device / "key_count", std::filesystem::perms::owner_read);
    if (::geteuid() != 0) {
        EXPECT_EQ(files.write("key_count", "1"), EACCES);
    }
}
