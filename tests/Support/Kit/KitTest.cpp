#include "tests/Support/Kit/KitTest.h"

#include "Platform/Kit/AnimationClock.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Event.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/Window.h"

#include <QApplication>

#include <string>

namespace Kit::Testing {

namespace {

void messageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    // The offscreen plugin's notices about what it cannot do.
    static const char* const known[] = {"does not support raise()", "setting window opacity", "grabbing the keyboard",
        "propagateSizeHints()", "QPlatformNativeInterface::systemTrayWindowChanged"};
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
    AnimationClock::shared().resetForTesting();
    Appearance::resetForTesting();
    Event::setMouseLocationForTesting(std::nullopt);
    Window::setApplicationActiveForTesting(std::nullopt);
    Screen::setProvider(nullptr);
}

void KitTest::TearDown()
{
    AnimationClock::shared().resetForTesting();
    Screen::setProvider(nullptr);
    Event::setMouseLocationForTesting(std::nullopt);
    Window::setApplicationActiveForTesting(std::nullopt);
    driver_.reset();
}

} // namespace Kit::Testing
