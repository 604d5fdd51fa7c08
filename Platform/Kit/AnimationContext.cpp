#include "Platform/Kit/AnimationContext.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Kit/AnimationClock.h"

#include <cmath>
#include <list>
#include <vector>

namespace Kit {

namespace {

struct Move {
    const void* target;
    std::string property;
    LayerValue from;
    LayerValue to;
    double start;
    double duration;
    TimingFunction timing;
    std::function<bool(const LayerValue&)> apply;
    std::function<void()> atEnd;
    bool done = false;
};

struct Engine {
    std::list<std::shared_ptr<Move>> moves;
    std::shared_ptr<Foundation::Timer> ticker;
    std::vector<AnimationContext*> stack;
    std::uint64_t generation = 0; // bumped by a reset: blocks scheduled before it do nothing

    void finish(const std::shared_ptr<Move>& move)
    {
        if (move->done)
            return;
        move->done = true;
        moves.remove(move);
        if (move->apply(move->to) && move->atEnd)
            move->atEnd();
        if (moves.empty() && ticker) {
            ticker->invalidate();
            ticker.reset();
        }
    }

    void tick()
    {
        const double now = AnimationClock::mediaTime();
        for (auto& move : std::vector<std::shared_ptr<Move>>(moves.begin(), moves.end())) {
            const double t = std::clamp((now - move->start) / move->duration, 0.0, 1.0);
            if (!move->apply(LayerValues::interpolate(move->from, move->to, move->timing.apply(t)))) {
                move->done = true;
                moves.remove(move);
            }
        }
        if (moves.empty() && ticker) {
            ticker->invalidate();
            ticker.reset();
        }
    }
};

Engine& engine()
{
    static Foundation::SharedInstance<Engine> e;
    return e.get();
}

} // namespace

AnimationContext& AnimationContext::current()
{
    auto& stack = engine().stack;
    if (!stack.empty())
        return *stack.back();
    static Foundation::SharedInstance<AnimationContext> outsideInstance(
        [](void* storage) { new (storage) AnimationContext(); });
    AnimationContext& outside = outsideInstance.get();
    outside.start_ = AnimationClock::mediaTime();
    return outside;
}

void AnimationContext::runAnimationGroup(const std::function<void(AnimationContext&)>& changes,
                                         std::function<void()> completion)
{
    AnimationContext context;
    context.start_ = AnimationClock::mediaTime();
    auto& e = engine();
    e.stack.push_back(&context);
    changes(context);
    e.stack.pop_back();
    if (!completion)
        return;
    const double duration = std::isfinite(context.duration_) && context.duration_ > 0 ? context.duration_ : 0;
    // Scheduled after the group's moves' own ends at the same time, so it sees their end values.
    const auto generation = e.generation;
    Foundation::RunLoop::main().perform(context.start_ + duration, [completion, generation] {
        if (engine().generation == generation)
            completion();
    });
}

void AnimationContext::animate(const void* target, const std::string& property, const LayerValue& from,
                               const LayerValue& to, std::function<bool(const LayerValue&)> apply,
                               std::function<void()> atEnd)
{
    auto& e = engine();
    // A new move of the same property replaces the running one where it stands.
    for (auto& move : std::vector<std::shared_ptr<Move>>(e.moves.begin(), e.moves.end()))
        if (move->target == target && move->property == property) {
            move->done = true;
            e.moves.remove(move);
        }
    const AnimationContext& context = current();
    const double duration = context.duration_;
    auto move = std::make_shared<Move>(Move {target, property, from, to, AnimationClock::mediaTime(), duration,
                                             context.timing_, std::move(apply), std::move(atEnd)});
    if (!(duration > 0) || !std::isfinite(duration)) {
        e.finish(move);
        return;
    }
    e.moves.push_back(move);
    move->apply(from);
    const auto generation = e.generation;
    Foundation::RunLoop::main().perform(move->start + duration, [move, generation] {
        if (engine().generation == generation)
            engine().finish(move);
    });
    if (!e.ticker) {
        e.ticker = std::make_shared<Foundation::Timer>(AnimationClock::frameInterval, true,
                                                       [](Foundation::Timer&) { engine().tick(); });
        Foundation::RunLoop::main().add(e.ticker, Foundation::RunLoop::Mode::common);
    }
}

bool AnimationContext::isAnimating() { return !engine().moves.empty(); }

void AnimationContext::resetForTesting()
{
    auto& e = engine();
    e.moves.clear();
    if (e.ticker)
        e.ticker->invalidate();
    e.ticker.reset();
    e.stack.clear();
    ++e.generation;
}

} // namespace Kit
