#include "Platform/Kit/ScriptedAlertPresenter.h"

#include "Platform/Foundation/DispatchQueue.h"

namespace Kit {

AlertScript AlertScript::button(int index, std::optional<std::string> expectMessageText)
{
    AlertScript script;
    script.expectMessageText = std::move(expectMessageText);
    script.response = AlertFirstButtonReturn + index;
    return script;
}

AlertScript AlertScript::escapeKey(std::optional<std::string> expectMessageText)
{
    AlertScript script;
    script.expectMessageText = std::move(expectMessageText);
    script.escape = true;
    return script;
}

ScriptedAlertPresenter::ScriptedAlertPresenter(std::vector<AlertScript> scripts)
    : scripts_(std::make_move_iterator(scripts.begin()), std::make_move_iterator(scripts.end()))
{
}

void ScriptedAlertPresenter::enqueue(AlertScript script) { scripts_.push_back(std::move(script)); }

ModalResponse ScriptedAlertPresenter::runModal(Alert& alert) { return answer(alert, false, nullptr); }

void ScriptedAlertPresenter::beginSheet(Alert& alert, Window* window, std::function<void(ModalResponse)> completion)
{
    const ModalResponse response = answer(alert, true, window);
    if (completion)
        Foundation::DispatchQueue::main().async(
            [completion = std::move(completion), response] { completion(response); });
}

ModalResponse ScriptedAlertPresenter::answer(Alert& alert, bool asSheet, Window* window)
{
    shown_.push_back({alert.messageText(), alert.informativeText(), alert.alertStyle(), alert.shownButtonTitles(),
                      alert.showsSuppressionButton(), alert.suppressionButton().title, alert.accessoryView(),
                      alert.icon().isValid(), asSheet, window, Foundation::RunLoop::main().currentMode()});
    if (scripts_.empty()) {
        failures_.push_back("an alert with no script left: \"" + alert.messageText() + "\"");
        return AlertFirstButtonReturn;
    }
    AlertScript script = std::move(scripts_.front());
    scripts_.pop_front();
    if (script.expectMessageText && *script.expectMessageText != alert.messageText())
        failures_.push_back("expected the alert \"" + *script.expectMessageText + "\", shown \"" + alert.messageText()
                            + "\"");
    if (script.whileShown)
        script.whileShown();
    if (alert.showsSuppressionButton())
        alert.suppressionButton().state = script.suppression ? StateValue::on : StateValue::off;
    if (script.escape) {
        const std::optional<std::size_t> cancel = alert.cancelButtonIndex();
        if (cancel)
            return AlertFirstButtonReturn + static_cast<ModalResponse>(*cancel);
        failures_.push_back("Esc on an alert without a cancel button: \"" + alert.messageText() + "\"");
        return AlertFirstButtonReturn;
    }
    return script.response;
}

} // namespace Kit
