#include "tests/KitX11/X11TestSupport.h"

#include "Platform/Foundation/Process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <string>

namespace X11TestSupport {

bool waitUntil(const std::function<bool()>& condition, double seconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() > seconds * 1000)
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

bool clickAt(QPoint globalPoint)
{
    const auto result =
        Foundation::Process::run("/usr/bin/xdotool", {"mousemove", "--sync", std::to_string(globalPoint.x()),
                                                      std::to_string(globalPoint.y()), "click", "1"});
    return result.launched && result.status == 0;
}

} // namespace X11TestSupport
