#pragma once

#include "Platform/Kit/Image.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/ModalResponse.h"
#include "Platform/Kit/StateValue.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Kit {

class View;
class Window;

enum class AlertStyle : int { warning = 0, informational = 1, critical = 2 };

// A button of an alert, and the alert's suppression check box.
struct AERLO_KIT_EXPORT AlertButton {
    std::string title;
    std::string keyEquivalent;
    StateValue state = StateValue::off;
};

// A modal message: message text, informative text, style, buttons (the first is the default), an optional
// suppression check box and an optional accessory view. It is shown through the shared AlertPresenter:
// Qt dialogs in the application, scripted answers in tests. Button i answers 1000 + i; an alert without
// buttons shows one "OK" button. Main thread only.
class AERLO_KIT_EXPORT Alert {
public:
    static constexpr const char* defaultButtonTitle = "OK";
    static constexpr const char* defaultSuppressionTitle = "Do not show this message again";

    const std::string& messageText() const { return messageText_; }
    void setMessageText(std::string text) { messageText_ = std::move(text); }
    const std::string& informativeText() const { return informativeText_; }
    void setInformativeText(std::string text) { informativeText_ = std::move(text); }
    AlertStyle alertStyle() const { return style_; }
    void setAlertStyle(AlertStyle style) { style_ = style; }

    // Appends a button; the reference stays valid until the next addButton. The first answers Return, one
    // titled "Cancel" answers Esc.
    AlertButton& addButton(std::string title);
    const std::vector<AlertButton>& buttons() const { return buttons_; }
    std::vector<AlertButton>& buttons() { return buttons_; }
    // What the user sees: the buttons, or the single default one when there are none.
    std::vector<std::string> shownButtonTitles() const;
    // The shown button Esc chooses: the one whose key equivalent is Esc, else the only one; none otherwise.
    std::optional<std::size_t> cancelButtonIndex() const;

    bool showsSuppressionButton() const { return showsSuppressionButton_; }
    void setShowsSuppressionButton(bool shows) { showsSuppressionButton_ = shows; }
    AlertButton& suppressionButton() { return suppressionButton_; }
    const AlertButton& suppressionButton() const { return suppressionButton_; }

    bool showsHelp() const { return showsHelp_; }
    void setShowsHelp(bool shows) { showsHelp_ = shows; }
    const std::string& helpAnchor() const { return helpAnchor_; }
    void setHelpAnchor(std::string anchor) { helpAnchor_ = std::move(anchor); }

    // The image beside the texts; none: the style's own symbol.
    const Image& icon() const { return icon_; }
    void setIcon(Image icon) { icon_ = std::move(icon); }

    // Shown below the texts; the alert does not own it.
    View* accessoryView() const { return accessoryView_; }
    void setAccessoryView(View* view) { accessoryView_ = view; }

    // Shows the alert and waits for the answer. The main run loop is in its modal mode meanwhile, so timers
    // of the default mode do not fire.
    ModalResponse runModal();
    // Shows the alert attached to `window` and returns at once; `completion` gets the answer later, on the
    // main queue. The alert must live until then.
    void beginSheetModal(Window* window, std::function<void(ModalResponse)> completion);

private:
    std::string messageText_;
    std::string informativeText_;
    AlertStyle style_ = AlertStyle::warning;
    std::vector<AlertButton> buttons_;
    bool showsSuppressionButton_ = false;
    AlertButton suppressionButton_ {defaultSuppressionTitle, {}, StateValue::off};
    bool showsHelp_ = false;
    std::string helpAnchor_;
    View* accessoryView_ = nullptr;
    Image icon_;
};

} // namespace Kit
