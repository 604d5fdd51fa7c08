#pragma once

#include "Platform/Foundation/RunLoopDriver.h"
#include "Platform/Kit/KitExport.h"

#include <QObject>
#include <QTimer>

#include <atomic>

namespace Kit {

// Runs the main run loop inside Qt's event loop: a single-shot timer waits for the next due event,
// and wakes from other threads are posted to the Qt thread. Create it on the thread of the
// QCoreApplication, which becomes the main thread. The run loop keeps its clock (the system clock).
// Modal sessions enter the modal mode themselves (RunLoop::main().enterMode(RunLoop::Mode::modal)).
class AERLO_KIT_EXPORT QtRunLoopDriver final : public Foundation::RunLoopDriver {
public:
    QtRunLoopDriver();
    ~QtRunLoopDriver() override;
    QtRunLoopDriver(const QtRunLoopDriver&) = delete;
    QtRunLoopDriver& operator=(const QtRunLoopDriver&) = delete;

    void wake() override;

private:
    void service();

    QObject context_;
    QTimer timer_;
    std::atomic<bool> wakePending_ {false};
    // The Qt loop level of the pass running (main thread only; -1 outside one).
    int servicingLevel_ = -1;
};

} // namespace Kit
