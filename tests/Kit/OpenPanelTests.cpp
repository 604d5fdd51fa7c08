#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/OpenPanel.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/ScriptedOpenPanelPresenter.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Kit;

namespace {

class OpenPanelTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        OpenPanelPresenter::replaceShared(presenter_);
    }
    void TearDown() override
    {
        EXPECT_EQ(presenter_->unusedAnswers(), 0u);
        OpenPanelPresenter::replaceShared(nullptr);
        KitTest::TearDown();
    }

    std::shared_ptr<ScriptedOpenPanelPresenter> presenter_ = std::make_shared<ScriptedOpenPanelPresenter>();
};

// Records the run loop's mode while the panel is up.
class ModeRecorder final : public OpenPanelPresenter {
public:
    ModalResponse run(OpenPanel&) override
    {
        mode = Foundation::RunLoop::main().currentMode();
        return ModalResponseCancel;
    }
    Foundation::RunLoop::Mode mode = Foundation::RunLoop::Mode::default_;
};

} // namespace

TEST_F(OpenPanelTest, OKGivesTheChosenFilesInOrderAndCancelGivesNone)
{
    presenter_->enqueue(std::vector<std::filesystem::path> {"/tmp/b.json", "/tmp/a.json"});
    presenter_->enqueue(std::nullopt);
    OpenPanel panel;
    panel.title = "Import";
    panel.allowsMultipleSelection = true;
    panel.allowedFileTypes = std::vector<std::string> {};
    EXPECT_EQ(panel.runModal(), ModalResponseOK);
    EXPECT_EQ(panel.urls(), (std::vector<std::filesystem::path> {"/tmp/b.json", "/tmp/a.json"}));
    EXPECT_EQ(panel.runModal(), ModalResponseCancel);
    EXPECT_TRUE(panel.urls().empty());

    ASSERT_EQ(presenter_->shown().size(), 2u);
    EXPECT_EQ(presenter_->shown()[0].title, "Import");
    // An empty list of types stays a list (not "any type").
    ASSERT_TRUE(presenter_->shown()[0].allowedFileTypes.has_value());
    EXPECT_TRUE(presenter_->shown()[0].allowedFileTypes->empty());
    EXPECT_EQ(presenter_->failures(), 0);
}

TEST_F(OpenPanelTest, APanelRunsInTheModalModeAndUnansweredOnesAreCancelled)
{
    auto recorder = std::make_shared<ModeRecorder>();
    OpenPanelPresenter::replaceShared(recorder);
    OpenPanel panel;
    EXPECT_EQ(panel.runModal(), ModalResponseCancel);
    EXPECT_EQ(recorder->mode, Foundation::RunLoop::Mode::modal);
    EXPECT_EQ(Foundation::RunLoop::main().currentMode(), Foundation::RunLoop::Mode::default_);

    OpenPanelPresenter::replaceShared(presenter_);
    EXPECT_EQ(panel.runModal(), ModalResponseCancel);
    EXPECT_EQ(presenter_->failures(), 1);
}

TEST_F(OpenPanelTest, TheDefaultPresenterRunsAQtFileDialogForThePanel)
{
    OpenPanelPresenter::replaceShared(nullptr);
    OpenPanel panel;
    panel.title = "Import";
    panel.canChooseFiles = false;
    panel.canChooseDirectories = true;
    QString title;
    bool directories = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            title = dialog->windowTitle();
            directories = dialog->fileMode() == QFileDialog::Directory;
            dialog->reject();
        }
    });
    EXPECT_EQ(panel.runModal(), ModalResponseCancel);
    EXPECT_EQ(title, "Import");
    EXPECT_TRUE(directories);
}
