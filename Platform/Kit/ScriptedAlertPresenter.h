#pragma once

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/Alert.h"
#include "Platform/Kit/AlertPresenter.h"
#include "Platform/Kit/KitExport.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Kit {

// One answer of a ScriptedAlertPresenter.
struct AERLO_KIT_EXPORT AlertScript {
    // When set, the alert's message text must be this one.
    std::optional<std::string> expectMessageText;
    ModalResponse response = AlertFirstButtonReturn;
    // The suppression check box's state when the alert ends (only when it shows one).
    bool suppression = false;
    // Runs while the alert is up (inside the modal mode for runModal).
    std::function<void()> whileShown;
    // The user presses Esc: the answer is the cancel button's (an alert without one records a failure).
    bool escape = false;

    // The answer of button `index` (0 is the first).
    static AlertScript button(int index, std::optional<std::string> expectMessageText = std::nullopt);
    static AlertScript escapeKey(std::optional<std::string> expectMessageText = std::nullopt);
};

// What the presenter was shown.
struct AERLO_KIT_EXPORT ShownAlert {
    std::string messageText;
    std::string informativeText;
    AlertStyle style = AlertStyle::warning;
    std::vector<std::string> buttons; // as shown: "OK" alone when the alert has none
    bool showsSuppressionButton = false;
    std::string suppressionTitle;
    View* accessoryView = nullptr;
    bool hasIcon = false;
    bool asSheet = false;
    Window* window = nullptr;
    Foundation::RunLoop::Mode mode = Foundation::RunLoop::Mode::default_; // the run loop's mode while shown
};

// Answers alerts from a queue of scripts and records every alert (tests; headless runs). An alert with no
// script left, or with another message text than its script expects, is recorded as a failure; it is then
// answered with its first button.
class AERLO_KIT_EXPORT ScriptedAlertPresenter final : public AlertPresenter {
public:
    ScriptedAlertPresenter() = default;
    explicit ScriptedAlertPresenter(std::vector<AlertScript> scripts);

    void enqueue(AlertScript script);

    ModalResponse runModal(Alert& alert) override;
    // Records and answers at once; the completion runs on the main queue.
    void beginSheet(Alert& alert, Window* window, std::function<void(ModalResponse)> completion) override;

    const std::vector<ShownAlert>& shown() const { return shown_; }
    size_t unusedScripts() const { return scripts_.size(); }
    const std::vector<std::string>& failures() const { return failures_; }

private:
    ModalResponse answer(Alert& alert, bool asSheet, Window* window);

    std::deque<AlertScript> scripts_;
    std::vector<ShownAlert> shown_;
    std::vector<std::string> failures_;
};

} // namespace Kit
