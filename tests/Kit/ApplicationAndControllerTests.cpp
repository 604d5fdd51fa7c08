#include "Platform/Kit/Application.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/ViewController.h"
#include "Platform/Kit/WindowController.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/TestAccess.h"

#include <memory>
#include <string>
#include <vector>

using namespace Kit;

namespace {

class ApplicationAndControllerTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        TestAccess::resetForTesting<Application>();
    }
    void TearDown() override
    {
        TestAccess::resetForTesting<Application>();
        KitTest::TearDown();
    }
    std::vector<std::string> calls_;
};

TEST_F(ApplicationAndControllerTest, TerminateTellsTheDelegateOnceThenQuitsOnce)
{
    Application& application = Application::shared();
    application.setWillTerminate([this] { calls_.push_back("willTerminate"); });
    application.setQuitHandler([this] { calls_.push_back("quit"); });
    EXPECT_FALSE(application.isTerminating());
    application.terminate();
    application.terminate();
    application.runWillTerminateOnce();
    EXPECT_TRUE(application.isTerminating());
    EXPECT_EQ(calls_, (std::vector<std::string> {"willTerminate", "quit"}));
}

TEST_F(ApplicationAndControllerTest, TheLoopEndingByItselfStillTellsTheDelegateOnce)
{
    Application& application = Application::shared();
    application.setWillTerminate([this] { calls_.push_back("willTerminate"); });
    application.setQuitHandler([this] { calls_.push_back("quit"); });
    application.runWillTerminateOnce();
    application.terminate();
    EXPECT_EQ(calls_, (std::vector<std::string> {"willTerminate", "quit"}));
    EXPECT_EQ(application.activationPolicy(), ActivationPolicy::accessory);
    application.activate(true);
    EXPECT_EQ(application.activationCount(), 1);
}

class RecordingController : public ViewController {
public:
    explicit RecordingController(std::vector<std::string>& calls) : calls_(calls) {}
    void viewWillAppear() override { calls_.push_back("willAppear"); }
    void viewDidAppear() override { calls_.push_back("didAppear"); }
    void viewWillDisappear() override { calls_.push_back("willDisappear"); }

protected:
    void loadView() override
    {
        calls_.push_back("loadView");
        setView(std::make_shared<View>(Rect {0, 0, 240, 120}));
    }
    void viewDidLoad() override { calls_.push_back("viewDidLoad"); }

private:
    std::vector<std::string>& calls_;
};

TEST_F(ApplicationAndControllerTest, AViewLoadsOnceOnFirstUse)
{
    RecordingController controller(calls_);
    EXPECT_FALSE(controller.isViewLoaded());
    const auto view = controller.view();
    EXPECT_EQ(controller.view(), view);
    EXPECT_EQ(calls_, (std::vector<std::string> {"loadView", "viewDidLoad"}));
}

TEST_F(ApplicationAndControllerTest, AWindowControllerSizesItsWindowAndTellsItsContentWhenItShowsAndCloses)
{
    WindowController controller(std::make_unique<Window>(Rect {100, 100, 10, 10}, Window::borderless));
    controller.setContentViewController(std::make_shared<RecordingController>(calls_));
    EXPECT_EQ(controller.window()->contentSize(), (Size {240, 120}));
    EXPECT_EQ(controller.window()->contentView(), controller.contentViewController()->view());
    EXPECT_EQ(controller.window()->contentView()->frame().size, (Size {240, 120}));

    controller.close(); // not shown: nothing to tell
    controller.showWindow();
    EXPECT_TRUE(controller.isWindowVisible());
    controller.showWindow(); // already shown: it only comes forward
    controller.close();
    EXPECT_FALSE(controller.isWindowVisible());
    EXPECT_EQ(calls_, (std::vector<std::string> {"loadView", "viewDidLoad", "willAppear", "didAppear", "didAppear",
                                                 "willDisappear"}));
}

} // namespace
