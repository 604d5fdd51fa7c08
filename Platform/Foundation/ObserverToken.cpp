#include "Platform/Foundation/ObserverToken.h"

#include <utility>

namespace Foundation {

ObserverToken::ObserverToken(std::function<void()> unregister) : unregister_(std::move(unregister)) {}

ObserverToken::~ObserverToken() { reset(); }

ObserverToken::ObserverToken(ObserverToken&& other) noexcept : unregister_(std::exchange(other.unregister_, {})) {}

ObserverToken& ObserverToken::operator=(ObserverToken&& other) noexcept
{
    if (this != &other) {
        reset();
        unregister_ = std::exchange(other.unregister_, {});
    }
    return *this;
}

void ObserverToken::reset()
{
    if (auto unregister = std::exchange(unregister_, {}))
        unregister();
}

bool ObserverToken::isActive() const { return static_cast<bool>(unregister_); }

} // namespace Foundation
