#include "Platform/Kit/QtRunLoopDriver.h"

#include "Platform/Foundation/RunLoop.h"

#include <QThread>

#include <algorithm>
#include <cmath>

namespace Kit {

QtRunLoopDriver::QtRunLoopDriver()
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &context_, [this] { service(); });
    Foundation::RunLoop::main().setDriver(this);
    wake();
}

QtRunLoopDriver::~QtRunLoopDriver() { Foundation::RunLoop::main().setDriver(nullptr); }

void QtRunLoopDriver::wake()
{
    // Inside a pass, at its own loop level, the pass takes the next date when it ends. A nested loop (a
    // modal session a block runs) needs the wake.
    if (QThread::currentThread() == context_.thread() && servicingLevel_ == QThread::currentThread()->loopLevel())
        return;
    if (wakePending_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            wakePending_ = false;
            service();
        },
        Qt::QueuedConnection);
}

void QtRunLoopDriver::service()
{
    auto& loop = Foundation::RunLoop::main();
    // Only what is due now: blocks scheduled meanwhile wait for the next pass, so Qt's events keep flowing.
    const double now = loop.clock().now();
    const int outer = servicingLevel_;
    servicingLevel_ = QThread::currentThread()->loopLevel();
    while (loop.runNextEvent(now)) {}
    servicingLevel_ = outer;
    const auto next = loop.nextEventTime();
    if (!next) {
        timer_.stop();
        return;
    }
    const double delay = std::max(0.0, *next - loop.clock().now());
    timer_.start(static_cast<int>(std::min(std::ceil(delay * 1000.0), 86400000.0)));
}

} // namespace Kit
