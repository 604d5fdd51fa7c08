#include "Platform/Kit/WorkspaceIcon.h"
#include "Platform/System/DiskArbitration.h"
#include "QVToolsKit/UI/QVDiskVolumeManager.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

using QVToolsKit::QVDiskVolumeManager;
using QVToolsKit::VolumeInfo;
using SystemPlatform::DiskArbitration;
using SystemPlatform::MountedVolume;
using SystemPlatform::VolumeResourceValues;

namespace {

VolumeResourceValues readable(const std::string& name, bool removable, bool internal)
{
    VolumeResourceValues values;
    values.name = name;
    values.totalCapacity = 2'000'000'000'000;
    values.availableCapacity = 500'000'000'000;
    values.isRemovable = removable;
    values.isLocal = true;
    values.localizedFormatDescription = "ExFAT";
    values.isEjectable = removable;
    values.isInternal = internal;
    values.isHidden = false;
    return values;
}

MountedVolume volume(const std::string& name, VolumeResourceValues values)
{
    return MountedVolume{"/Volumes/" + name, name, std::nullopt, std::move(values)};
}

std::vector<std::string> names(const std::vector<VolumeInfo>& volumes)
{
    std::vector<std::string> list;
    for (const auto& v : volumes)
        list.push_back(v.name);
    return list;
}

class DiskVolumes : public ::testing::Test {
protected:
    void TearDown() override { TestAccess::resetForTesting<DiskArbitration>(); }
};

} // namespace

TEST_F(DiskVolumes, RemovableVolumesAreListedApartFromEveryOtherReadableOne)
{
    auto noFormat = readable("NoFormat", true, false);
    noFormat.localizedFormatDescription.reset();
    auto hidden = readable("Hidden", false, true);
    hidden.isHidden = true;
    auto noFree = readable("NoFree", false, true);
    noFree.availableCapacity.reset();
    auto noLocal = readable("NoLocal", true, false);
    noLocal.isLocal.reset();
    DiskArbitration::setVolumes(std::vector<MountedVolume>{
        volume("Stick", readable("Stick", true, false)),
        volume("Internal", readable("Internal", false, true)),
        volume("NoFormat", noFormat),
        volume("External", readable("External", false, false)),
        volume("Hidden", hidden),
        volume("Card", readable("Card", true, true)),
        volume("NoFree", noFree),
        volume("NoLocal", noLocal),
        volume("Backup", readable("Backup", false, false)),
    });

    auto& manager = QVDiskVolumeManager::shared();
    EXPECT_EQ(names(manager.getRemovableVolumes()), (std::vector<std::string>{"Stick", "Card"}));
    EXPECT_EQ(names(manager.getInternalVolumes()), (std::vector<std::string>{"Internal", "External", "Backup"}));

    const VolumeInfo stick = manager.getRemovableVolumes().front();
    EXPECT_EQ(stick.volumeType, "ExFAT");
    EXPECT_EQ(stick.capacity, 2'000'000'000'000);
    EXPECT_EQ(stick.available, 500'000'000'000);
    EXPECT_TRUE(stick.removable);
    EXPECT_TRUE(stick.isEjectable);
    EXPECT_FALSE(stick.isInternal);
    EXPECT_TRUE(stick.image.isValid());
    EXPECT_FALSE(manager.getInternalVolumes()[1].isInternal);
}

TEST_F(DiskVolumes, NoVolumeListGivesEmptyLists)
{
    DiskArbitration::setVolumeListFailure(true);
    EXPECT_TRUE(QVDiskVolumeManager::shared().getRemovableVolumes().empty());
    EXPECT_TRUE(QVDiskVolumeManager::shared().getInternalVolumes().empty());
}

TEST_F(DiskVolumes, TheSimulatedMacShowsItsBootVolumeAndHidesTheDataVolume)
{
    const auto internal = QVDiskVolumeManager::shared().getInternalVolumes();
    ASSERT_EQ(internal.size(), 1u);
    EXPECT_EQ(internal[0].volumeType, "APFS");
    EXPECT_TRUE(internal[0].isInternal);
    EXPECT_GT(internal[0].capacity, 0);
    EXPECT_GE(internal[0].available, 0);
    EXPECT_LE(internal[0].available, internal[0].capacity);
    EXPECT_TRUE(QVDiskVolumeManager::shared().getRemovableVolumes().empty());
}

TEST_F(DiskVolumes, SizesAreWrittenInGigabytesOrTerabytes)
{
    const struct {
        std::int64_t bytes;
        const char* text;
    } cases[] = {
        {0, "Zero KB"},
        {999'000'000, "1 GB"},
        {500'277'792'768, "500.28 GB"},
        {2'000'000'000'000, "2 TB"},
        {3'456'789'000'000'000, "3,456.79 TB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QVDiskVolumeManager::shared().string(c.bytes), c.text) << c.bytes;
}

TEST_F(DiskVolumes, TheWorkspaceIconIsAGenericDriveForAnyPath)
{
    const Kit::Image icon = Kit::WorkspaceIcon::iconForFile("/no/such/volume");
    ASSERT_TRUE(icon.isValid());
    EXPECT_EQ(icon.size().width, 32);
    EXPECT_EQ(icon.pixelsWide(), 64);
    EXPECT_GT(icon.colourAt({16, 16}).alphaComponent(), 0.9);
    EXPECT_LT(icon.colourAt({0.5, 0.5}).alphaComponent(), 0.1);
    EXPECT_TRUE(Kit::WorkspaceIcon::iconForFile("").isValid());
    const auto folder = std::filesystem::path(AERLO_BINARY_DIR) / "test-renders/QVToolsKit";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(icon.writePNG(folder / "generic-drive.png"));
}
