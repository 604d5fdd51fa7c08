#pragma once

#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Foundation/TestAccess.h"
#include "Platform/Kit/KitExport.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Kit {

// A named look, light or dark. Kit keeps the application's appearance, the system's, the effective
// one (the application's when set, else the system's) and the appearance that dynamic colours
// resolve against while something draws.
class AERLO_KIT_EXPORT Appearance {
public:
    static constexpr std::string_view aquaName = "NSAppearanceNameAqua";
    static constexpr std::string_view darkAquaName = "NSAppearanceNameDarkAqua";
    static constexpr std::string_view vibrantLightName = "NSAppearanceNameVibrantLight";
    static constexpr std::string_view vibrantDarkName = "NSAppearanceNameVibrantDark";
    static constexpr std::string_view highContrastAquaName = "NSAppearanceNameAccessibilityHighContrastAqua";
    static constexpr std::string_view highContrastDarkAquaName = "NSAppearanceNameAccessibilityHighContrastDarkAqua";
    static constexpr std::string_view highContrastVibrantLightName =
        "NSAppearanceNameAccessibilityHighContrastVibrantLight";
    static constexpr std::string_view highContrastVibrantDarkName =
        "NSAppearanceNameAccessibilityHighContrastVibrantDark";

    // An unknown name counts as a light appearance of its own.
    explicit Appearance(std::string name);
    static Appearance aqua();
    static Appearance darkAqua();

    const std::string& name() const { return name_; }
    bool isDark() const;
    friend bool operator==(const Appearance&, const Appearance&) = default;

    // The exact name when listed, else the first listed name of the same family (light or dark);
    // never one across light and dark.
    std::optional<std::string> bestMatch(const std::vector<std::string>& names) const;

    // The application's own appearance (none: follow the system).
    static std::optional<Appearance> application();
    static void setApplication(std::optional<Appearance> appearance);
    // The system's appearance: until told otherwise, dark aqua when the global domain's style is dark,
    // else aqua (decided when Kit's appearance state is first used, and on a reset).
    static Appearance system();
    static void setSystem(const Appearance& appearance);
    static Appearance effectiveApplication();
    // Called after the effective application appearance changed. Any thread that changes it.
    [[nodiscard]] static Foundation::ObserverToken observeEffectiveApplication(std::function<void()> callback);

    // The appearance dynamic colours resolve against: the one a scope set, else the application's.
    static Appearance current();
    class CurrentScope {
    public:
        explicit CurrentScope(const Appearance& appearance);
        ~CurrentScope();
        CurrentScope(const CurrentScope&) = delete;
        CurrentScope& operator=(const CurrentScope&) = delete;

    private:
        bool hadPrevious_;
        std::string previous_;
    };

private:
    std::string name_;

    friend struct ::TestAccess;
    // Back to the global domain's appearance, no application appearance, no drawing scope (tests).
    static void resetForTesting();
};

} // namespace Kit
