#include "Platform/Foundation/Timer.h"

#include "Platform/Foundation/RunLoop.h"

#include <utility>

namespace Foundation {

Timer::Timer(double interval, bool repeats, Block block)
    : interval_(interval > 0 ? interval : 0.0001), repeats_(repeats), block_(std::move(block)),
      anchor_(RunLoop::main().clock().now() + interval_)
{
}

std::shared_ptr<Timer> Timer::scheduledTimer(double interval, bool repeats, Block block)
{
    auto timer = std::make_shared<Timer>(interval, repeats, std::move(block));
    RunLoop::main().add(timer, RunLoop::Mode::default_);
    return timer;
}

void Timer::invalidate() { RunLoop::main().invalidate(*this); }

bool Timer::isValid() const { return RunLoop::main().isValid(*this); }

double Timer::fireDate() const { return RunLoop::main().fireDate(*this); }

void Timer::setFireDate(double date) { RunLoop::main().setFireDate(*this, date); }

double Timer::timeInterval() const { return repeats_ ? interval_ : 0.0; }

} // namespace Foundation
