#include "Platform/Kit/AlertPresenter.h"

#include "Platform/Kit/QtAlertPresenter.h"
#include "Platform/Kit/ScriptedAlertPresenter.h"
#include "Platform/Kit/SharedPresenter.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace Kit {

namespace {

// AERLO_ALERT_RESPONSES="1000,1001": scripted answers for a headless run.
std::shared_ptr<AlertPresenter> makeDefault()
{
    const char* responses = std::getenv("AERLO_ALERT_RESPONSES");
    if (!responses)
        return std::make_shared<QtAlertPresenter>();
    std::vector<AlertScript> scripts;
    std::string_view list(responses);
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        ModalResponse response = AlertFirstButtonReturn;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), response);
        AlertScript script;
        if (error == std::errc() && end == item.data() + item.size())
            script.response = response;
        scripts.push_back(std::move(script));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return std::make_shared<ScriptedAlertPresenter>(std::move(scripts));
}

SharedPresenter<AlertPresenter>& instance()
{
    static SharedPresenter<AlertPresenter> shared(makeDefault);
    return shared;
}

} // namespace

std::shared_ptr<AlertPresenter> AlertPresenter::shared()
{
    return instance().get();
}

void AlertPresenter::replaceShared(std::shared_ptr<AlertPresenter> presenter)
{
    instance().replace(std::move(presenter));
}

} // namespace Kit
