#include "Platform/Kit/Appearance.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/UserDefaults.h"

#include <map>
#include <memory>
#include <mutex>

namespace Kit {

namespace {

struct AppearanceState {
    std::mutex mutex;
    std::optional<Appearance> application;
    Appearance system =
        Foundation::UserDefaults::globalInterfaceStyleIsDark() ? Appearance::darkAqua() : Appearance::aqua();
    std::map<std::uint64_t, std::shared_ptr<std::function<void()>>> observers;
    std::uint64_t nextObserver = 1;
};

Foundation::SharedInstance<AppearanceState>& state()
{
    static Foundation::SharedInstance<AppearanceState> instance;
    return instance;
}

thread_local std::optional<Appearance> drawingAppearance;

// Runs `change` and tells the observers when the effective appearance moved.
template <class Change>
void changeAndNotify(Change change)
{
    auto& s = state().get();
    std::vector<std::shared_ptr<std::function<void()>>> toCall;
    {
        std::lock_guard lock(s.mutex);
        const Appearance before = s.application.value_or(s.system);
        change(s);
        if (s.application.value_or(s.system) == before)
            return;
        for (auto& [id, callback] : s.observers)
            toCall.push_back(callback);
    }
    for (auto& callback : toCall)
        (*callback)();
}

} // namespace

Appearance::Appearance(std::string name) : name_(std::move(name)) {}

Appearance Appearance::aqua() { return Appearance(std::string(aquaName)); }
Appearance Appearance::darkAqua() { return Appearance(std::string(darkAquaName)); }

bool Appearance::isDark() const
{
    return name_ == darkAquaName || name_ == vibrantDarkName || name_ == highContrastDarkAquaName
           || name_ == highContrastVibrantDarkName;
}

std::optional<std::string> Appearance::bestMatch(const std::vector<std::string>& names) const
{
    for (const auto& n : names)
        if (n == name_)
            return n;
    for (const auto& n : names)
        if (Appearance(n).isDark() == isDark())
            return n;
    return std::nullopt;
}

std::optional<Appearance> Appearance::application()
{
    auto& s = state().get();
    std::lock_guard lock(s.mutex);
    return s.application;
}

void Appearance::setApplication(std::optional<Appearance> appearance)
{
    changeAndNotify([&](AppearanceState& s) { s.application = std::move(appearance); });
}

Appearance Appearance::system()
{
    auto& s = state().get();
    std::lock_guard lock(s.mutex);
    return s.system;
}

void Appearance::setSystem(const Appearance& appearance)
{
    changeAndNotify([&](AppearanceState& s) { s.system = appearance; });
}

Appearance Appearance::effectiveApplication()
{
    auto& s = state().get();
    std::lock_guard lock(s.mutex);
    return s.application.value_or(s.system);
}

Foundation::ObserverToken Appearance::observeEffectiveApplication(std::function<void()> callback)
{
    auto& s = state().get();
    std::lock_guard lock(s.mutex);
    const auto id = s.nextObserver++;
    s.observers[id] = std::make_shared<std::function<void()>>(std::move(callback));
    return Foundation::ObserverToken([id] {
        auto& st = state().get();
        std::lock_guard l(st.mutex);
        st.observers.erase(id);
    });
}

Appearance Appearance::current() { return drawingAppearance ? *drawingAppearance : effectiveApplication(); }

Appearance::CurrentScope::CurrentScope(const Appearance& appearance)
    : hadPrevious_(drawingAppearance.has_value()), previous_(drawingAppearance ? drawingAppearance->name() : "")
{
    drawingAppearance = appearance;
}

Appearance::CurrentScope::~CurrentScope()
{
    if (hadPrevious_)
        drawingAppearance = Appearance(previous_);
    else
        drawingAppearance.reset();
}

void Appearance::resetForTesting()
{
    auto& s = state().get();
    {
        std::lock_guard lock(s.mutex);
        s.application.reset();
        s.system = Foundation::UserDefaults::globalInterfaceStyleIsDark() ? darkAqua() : aqua();
    }
    drawingAppearance.reset();
}

} // namespace Kit
