#include "Platform/Vendors/UI/RUDuzodize.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/UserDefaults.h"

#include <cstdlib>
#include <map>

namespace Vendors {

namespace {

const Language languages[supportedLanguageOptionCount] = {
    {"en", "English", "🇺🇸"},
    {"zh-Hans", "简体中文", "🇨🇳"},
    {"zh-Hant", "繁體中文", "🇭🇰"},
    {"ja", "日本語", "🇯🇵"},
    {"ko", "한국어", "🇰🇷"},
    {"ru", "Русский", "🇷🇺"},
    {"pt-BR", "Português (Brasil)", "🇧🇷"},
    {"nl", "Nederlands", "🇳🇱"},
    {"sv", "Svenska", "🇸🇪"},
    {"tr", "Türkçe", "🇹🇷"},
    {"pl", "Polski", "🇵🇱"},
    {"de", "Deutsch", "🇩🇪"},
    {"fr", "Français", "🇫🇷"},
    {"da", "Dansk", "🇩🇰"},
    {"es", "Español", "🇪🇸"},
    {"it", "Italiano", "🇮🇹"},
    {"fi", "Suomi", "🇫🇮"},
    {"nb", "Norsk", "🇳🇴"},
    {"pt", "Português", "🇵🇹"},
};

struct State {
    bool showFlagEmoji = false;
    std::vector<Language> model;
    std::map<int, RUDuzodize::Observer> observers;
    int nextObserver = 0;
};

State& state()
{
    static Foundation::SharedInstance<State> shared;
    return shared.get();
}

// "zh_CN.UTF-8" → "zh-CN".
std::string normalised(std::string code)
{
    if (const auto cut = code.find_first_of(".@"); cut != std::string::npos)
        code.resize(cut);
    for (char& c : code)
        if (c == '_')
            c = '-';
    return code;
}

// The model's language for a code: the same code, else Chinese for any "zh", else the same language
// part ("de-AT" → "de").
long indexForCode(const std::string& wanted)
{
    const std::vector<Language>& model = state().model;
    const std::string code = normalised(wanted);
    const std::string part = code.substr(0, code.find('-'));
    long samePart = -1;
    for (std::size_t i = 0; i < model.size(); ++i) {
        if (model[i].code == code)
            return static_cast<long>(i);
        if (part == "zh" && model[i].code == "zh-Hans" && samePart < 0)
            samePart = static_cast<long>(i);
        else if (part != "zh" && model[i].code.substr(0, model[i].code.find('-')) == part && samePart < 0)
            samePart = static_cast<long>(i);
    }
    return samePart;
}

} // namespace

bool RUDuzodize::showFlagEmoji() { return state().showFlagEmoji; }
void RUDuzodize::setShowFlagEmoji(bool show) { state().showFlagEmoji = show; }

Language RUDuzodize::language(SupportedLanguageOption option)
{
    const auto index = static_cast<int>(option);
    return index >= 0 && index < supportedLanguageOptionCount ? languages[index] : languages[0];
}

void RUDuzodize::configureSupportedLanguages(const std::vector<SupportedLanguageOption>& options)
{
    std::vector<Language> model;
    for (const SupportedLanguageOption option : options) {
        Language next = language(option);
        bool known = false;
        for (const Language& l : model)
            known = known || l.code == next.code;
        if (!known)
            model.push_back(std::move(next));
    }
    state().model = std::move(model);
}

const std::vector<Language>& RUDuzodize::supportedLanguagesModel() { return state().model; }

std::string RUDuzodize::title(const Language& language)
{
    return state().showFlagEmoji ? language.flagEmoji + " " + language.name : language.name;
}

long RUDuzodize::currentLanguageIndex()
{
    if (const auto stored = Foundation::UserDefaults::standard().array(Foundation::Bundle::appleLanguagesKey);
        stored && !stored->empty())
        if (const std::string* code = stored->front().asString(); code && !code->empty())
            if (const long index = indexForCode(*code); index >= 0)
                return index;
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            if (const long index = indexForCode(value); index >= 0)
                return index;
            break;
        }
    }
    return indexForCode("en");
}

std::string RUDuzodize::currentLanguageName()
{
    const long index = currentLanguageIndex();
    return index < 0 ? std::string() : title(state().model[static_cast<std::size_t>(index)]);
}

bool RUDuzodize::choose(const Language& language)
{
    return Foundation::UserDefaults::standard().set(Foundation::PropertyListValue::Array {language.code},
                                                    Foundation::Bundle::appleLanguagesKey);
}

Foundation::ObserverToken RUDuzodize::observeLanguageAction(Observer observer)
{
    const int id = state().nextObserver++;
    state().observers.emplace(id, std::move(observer));
    return Foundation::ObserverToken([id] { state().observers.erase(id); });
}

void RUDuzodize::post(LanguageAction action)
{
    // An observer may unregister (or register another) while it runs.
    const auto observers = state().observers;
    for (const auto& [id, observer] : observers)
        if (state().observers.count(id) && observer)
            observer(action);
}

std::size_t RUDuzodize::observerCount() { return state().observers.size(); }

void RUDuzodize::resetForTesting()
{
    state().showFlagEmoji = false;
    state().model.clear();
}

} // namespace Vendors
