#pragma once

#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Foundation/TestAccess.h"

#include <functional>
#include <string>
#include <vector>

namespace Vendors {

// The languages the language chooser knows, in its fixed order.
enum class SupportedLanguageOption {
    english,
    simplifiedChinese,
    traditionalChinese,
    japanese,
    korean,
    russian,
    brazilianPortuguese,
    dutch,
    swedish,
    turkish,
    polish,
    german,
    french,
    danish,
    spanish,
    italian,
    finnish,
    norwegian,
    portuguese,
};
inline constexpr int supportedLanguageOptionCount = 19;

// One language as the chooser shows it: its code, its name in itself, its flag.
struct Language {
    std::string code;
    std::string name;
    std::string flagEmoji;
    friend bool operator==(const Language&, const Language&) = default;
};

// What the chooser's sheet ended with.
enum class LanguageAction { reselect, changed };

// The language chooser: the application configures the languages it offers; the user's choice is stored
// under "AppleLanguages" in the standard suite, which localisation reads at the next start. Main thread.
class RUDuzodize {
public:
    static bool showFlagEmoji();
    static void setShowFlagEmoji(bool show);
    static void configureSupportedLanguages(const std::vector<SupportedLanguageOption>& options);
    static const std::vector<Language>& supportedLanguagesModel();
    static Language language(SupportedLanguageOption option);

    // An item's title: the flag, one space and the name; the name alone without flags.
    static std::string title(const Language& language);
    // The index in the model of the stored choice, else of the environment's language, else of English;
    // -1 when the model offers none of them.
    static long currentLanguageIndex();
    // The current language's title (the items' form); empty when the model lacks it.
    static std::string currentLanguageName();
    // Stores `language` as the first choice.
    [[nodiscard]] static bool choose(const Language& language);

    using Observer = std::function<void(LanguageAction)>;
    [[nodiscard]] static Foundation::ObserverToken observeLanguageAction(Observer observer);
    static void post(LanguageAction action);
    static std::size_t observerCount();

private:
    friend struct ::TestAccess;
    static void resetForTesting();
};

} // namespace Vendors
