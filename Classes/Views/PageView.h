#pragma once

#include "Platform/Kit/Control.h"
#include "Platform/Kit/View.h"

#include <memory>
#include <string>

namespace Kit {
class Button;
class TextField;
}

namespace Aerlo {

// The root view of a page of the settings window: the pane's size, a title and a line of text at the
// top, and a row of buttons under them.
class PageView : public Kit::View {
public:
    PageView(const std::string& title, const std::string& body);

    // A page's heading, placed at the top of a pane of the settings window.
    static std::shared_ptr<Kit::TextField> makeTitle(const std::string& title);

    // A push button in the row under the texts, after the ones added before.
    std::shared_ptr<Kit::Button> addButton(const std::string& title, Kit::Control::Action action);
    // The top of the free space under the button row.
    double contentTop() const { return buttonRowY_ - 16; }

private:
    std::shared_ptr<Kit::TextField> title_;
    double buttonRowY_;
    double nextButtonX_;
};

} // namespace Aerlo
