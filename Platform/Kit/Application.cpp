#include "Platform/Kit/Application.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/QtBridge.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include <atomic>
#include <cstdlib>

namespace Kit {

namespace {

std::atomic<Application* (*)(void*)> principalMaker {nullptr};

Foundation::SharedInstance<Application>& instance()
{
    static Foundation::SharedInstance<Application> shared([](void* storage) {
        const auto maker = principalMaker.load();
        // The slot takes the object at the storage's address: the subclass's Application part must be there.
        if (!maker)
            new (storage) Application();
        else if (maker(storage) != storage)
            std::abort();
    });
    return shared;
}

} // namespace

Application& Application::shared() { return instance().get(); }

void Application::setPrincipalMaker(Maker maker) { principalMaker.store(maker); }

void Application::resetForTesting() { instance().resetForTesting(); }

void Application::runWillTerminateOnce()
{
    if (toldDelegate_)
        return;
    toldDelegate_ = true;
    if (willTerminate_)
        willTerminate_();
}

void Application::terminate()
{
    if (terminating_)
        return;
    terminating_ = true;
    runWillTerminateOnce();
    if (quit_)
        quit_();
    else if (QCoreApplication::instance())
        QCoreApplication::exit(0);
}

void Application::activate(bool)
{
    ++activations_;
    if (QWidget* window = QApplication::activeWindow())
        window->raise();
}

void Application::setApplicationIconImage(const Image& image)
{
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(QtBridge::image(image))));
}

void Application::setDesktopEntryName(std::string_view name)
{
    QGuiApplication::setDesktopFileName(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

} // namespace Kit
