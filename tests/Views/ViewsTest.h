#pragma once

#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <memory>
#include <optional>

namespace Aerlo::Testing {

// A Kit test with its own settings root and an on-screen window whose content view holds the views
// under test.
class ViewsTest : public Kit::Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        root_.emplace();
        TestAccess::resetForTesting<Foundation::UserDefaults>();
    }
    void TearDown() override
    {
        window_.reset();
        TestAccess::resetForTesting<Foundation::UserDefaults>();
        root_.reset();
        KitTest::TearDown();
    }

    // A shown window of the size with an empty content view.
    Kit::View& makeWindow(Kit::Size size)
    {
        window_ = std::make_unique<Kit::Window>(Kit::Rect {100, 100, size.width, size.height}, Kit::Window::borderless);
        window_->setContentView(std::make_shared<Kit::View>(Kit::Rect {0, 0, size.width, size.height}));
        window_->orderFront();
        return *window_->contentView();
    }
    Kit::Window& window() { return *window_; }

    static Foundation::UserDefaults& defaults() { return Foundation::UserDefaults::standard(); }

private:
    std::optional<TempRoot> root_;
    std::unique_ptr<Kit::Window> window_;
};

} // namespace Aerlo::Testing
