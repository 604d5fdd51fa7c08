#include "Platform/Foundation/Process.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/DesktopAppearance.h"
#include "tests/KitDBus/FakePortal.h"
#include "tests/KitDBus/SessionBusTest.h"
#include "tests/Support/ScopedEnvironment.h"

#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

using namespace Kit;

namespace {

class DesktopAppearanceTest : public SessionBusTest {
protected:
    void SetUp() override
    {
        SessionBusTest::SetUp();
        // GNOME's settings in a key file of the test's own, written by the gsettings tool.
        config_ = std::make_unique<ScopedEnvironment>("XDG_CONFIG_HOME", (temp().path() / "config").c_str());
        backend_ = std::make_unique<ScopedEnvironment>("GSETTINGS_BACKEND", "keyfile");
    }
    void TearDown() override
    {
        backend_.reset();
        config_.reset();
        SessionBusTest::TearDown();
    }

    static void setGnomeScheme(const std::string& scheme)
    {
        Foundation::ProcessOptions options;
        Foundation::Process tool(AERLO_GSETTINGS, {"set", "org.gnome.desktop.interface", "color-scheme", scheme},
                                 options);
        ASSERT_TRUE(tool.run().ok());
        ASSERT_TRUE(tool.waitUntilExit(10.0));
        ASSERT_EQ(tool.terminationStatus(), 0) << tool.standardErrorText();
    }

    std::unique_ptr<ScopedEnvironment> config_;
    std::unique_ptr<ScopedEnvironment> backend_;
};

TEST_F(DesktopAppearanceTest, ThePortalsSchemeDecidesAndItsChangesFollowLive)
{
    setGnomeScheme("prefer-light");
    FakePortal portal(host(), 1);
    DesktopAppearance desktop;
    ASSERT_TRUE(spinUntil([&] { return desktop.source() == DesktopAppearance::Source::portal; }));
    EXPECT_TRUE(desktop.prefersDark());
    EXPECT_TRUE(Appearance::system().isDark());

    portal.setScheme(2);
    ASSERT_TRUE(spinUntil([&] { return !Appearance::system().isDark(); }));
    EXPECT_EQ(desktop.source(), DesktopAppearance::Source::portal);
    // No preference: GNOME's setting decides.
    setGnomeScheme("prefer-dark");
    portal.setScheme(0);
    ASSERT_TRUE(spinUntil([&] { return desktop.source() == DesktopAppearance::Source::gnome; }));
    EXPECT_TRUE(Appearance::system().isDark());
}

TEST_F(DesktopAppearanceTest, AnOlderPortalIsReadWithRead)
{
    FakePortal portal(host(), 1, false);
    DesktopAppearance desktop;
    ASSERT_TRUE(spinUntil([&] { return desktop.source() == DesktopAppearance::Source::portal; }));
    EXPECT_TRUE(Appearance::system().isDark());
}

TEST_F(DesktopAppearanceTest, WithoutAPortalGnomesSettingDecidesLiveThenThePalette)
{
    setGnomeScheme("prefer-dark");
    DesktopAppearance desktop;
    EXPECT_EQ(desktop.source(), DesktopAppearance::Source::gnome);
    EXPECT_TRUE(Appearance::system().isDark());

    setGnomeScheme("prefer-light");
    ASSERT_TRUE(spinUntil([&] { return !Appearance::system().isDark(); }));
    EXPECT_EQ(desktop.source(), DesktopAppearance::Source::gnome);

    // No preference: the application palette (light here).
    setGnomeScheme("default");
    ASSERT_TRUE(spinUntil([&] { return desktop.source() == DesktopAppearance::Source::palette; }));
    EXPECT_FALSE(Appearance::system().isDark());
    // A dark palette set on the application: dark.
    const QPalette light = QGuiApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    QGuiApplication::setPalette(dark);
    const bool followed = spinUntil([&] { return Appearance::system().isDark(); });
    QGuiApplication::setPalette(light);
    EXPECT_TRUE(followed);
}

} // namespace
