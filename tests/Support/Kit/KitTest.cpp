#include "tests/Support/Kit/KitTest.h"

#include "Platform/Kit/AnimationClock.h"
#include "Platform/Kit/AnimationContext.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Event.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/Snapshot.h"
#include "tests/Support/TestAccess.h"

#include <QApplication>

#include <filesystem>
#include <string>

namespace Kit::Testing {

namespace {

void messageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    // The offscreen plugin's notices about what it cannot do.
    static const char* const known[] = {"does not support raise()", "setting window opacity", "grabbing the keyboard",
        "propagateSizeHints()", "QPlatformNativeInterface::systemTrayWindowChanged", "setting window masks"};
    const std::string text = message.toStdString();
    for (const char* k : known)
        if (text.find(k) != std::string::npos)
            return;
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    ADD_FAILURE() << "Qt warning: " << text;
}

} // namespace

void ensureApplication()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "KitTests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    qInstallMessageHandler(messageHandler);
}

void KitTest::SetUp()
{
    ensureApplication();
    driver_ = std::make_unique<Foundation::ManualRunLoopDriver>();
    Snapshot::takeRecent();
    TestAccess::resetForTesting(AnimationClock::shared());
    TestAccess::resetForTesting<AnimationContext>();
    TestAccess::resetForTesting<Appearance>();
    TestAccess::setMouseLocationForTesting<Event>(std::nullopt);
    TestAccess::setApplicationActiveForTesting<Window>(std::nullopt);
    Screen::replaceProvider(nullptr);
}

void KitTest::TearDown()
{
    // A failed test leaves its renders in build/tests/artifacts/<Suite>.<Test>[-n].png.
    const auto renders = Snapshot::takeRecent();
    if (HasFailure()) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string base = std::string(info->test_suite_name()) + "." + info->name();
        for (std::size_t i = 0; i < renders.size(); ++i)
            EXPECT_TRUE(renders[i].writePNG(std::filesystem::path(AERLO_BINARY_DIR) / "tests" / "artifacts"
                / (base + (i ? "-" + std::to_string(i) : "") + ".png")));
    }
    TestAccess::resetForTesting(AnimationClock::shared());
    TestAccess::resetForTesting<AnimationContext>();
    Screen::replaceProvider(nullptr);
    TestAccess::setMouseLocationForTesting<Event>(std::nullopt);
    TestAccess::setApplicationActiveForTesting<Window>(std::nullopt);
    driver_.reset();
}

} // namespace Kit::Testing
