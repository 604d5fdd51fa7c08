#pragma once

#include <functional>

namespace Kit {

// A control's or menu item's target and action: the action is called with the sender. The target is not
// owned (as the platform's targets are weak, the owner clears it before it goes).
template <class Sender>
class TargetAction {
public:
    using Handler = std::function<void(Sender&)>;

    TargetAction() = default;
    // An action without a target (a closure).
    TargetAction(Handler handler) : handler_(std::move(handler)) {}
    // A member function of `target`; `Argument` is the sender's type or one derived from it.
    template <class Target, class Argument>
    TargetAction(Target* target, void (Target::*method)(Argument&))
        : target_(target),
          handler_([target, method](Sender& sender) { (target->*method)(static_cast<Argument&>(sender)); })
    {
    }

    const void* target() const { return target_; }
    void setTarget(const void* target) { target_ = target; }
    bool hasAction() const { return static_cast<bool>(handler_); }
    void setHandler(Handler handler) { handler_ = std::move(handler); }

    // Calls the action; false when there is none.
    bool send(Sender& sender) const
    {
        if (!handler_)
            return false;
        // A copy: the action may replace itself.
        const Handler handler = handler_;
        handler(sender);
        return true;
    }

private:
    const void* target_ = nullptr;
    Handler handler_;
};

} // namespace Kit
