#include "Classes/Views/TutorialViewController.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/Views/PageView.h"
#include "QVToolsKit/QVURLManager.h"

namespace Aerlo {

void TutorialViewController::registerScene()
{
    Storyboard::registerInitialViewController<TutorialViewController>("TutorialViewController");
}

std::shared_ptr<TutorialViewController> TutorialViewController::make()
{
    return Storyboard::instantiateInitialViewController<TutorialViewController>("TutorialViewController");
}

void TutorialViewController::loadView()
{
    auto page =
        std::make_shared<PageView>(LocalizationTable::text("tutorial.title"), LocalizationTable::text("tutorial.body"));
    page->addButton(LocalizationTable::text("tutorial.video"), {this, &TutorialViewController::TutorialVideoButtonTap});
    page->addButton(LocalizationTable::text("tutorial.questions"),
                    {this, &TutorialViewController::QuestionsAndAnswersButtonTap});
    setView(page);
}

void TutorialViewController::TutorialVideoButtonTap(Kit::Control&) { QVToolsKit::QVURLManager::openURL(videoURL); }

void TutorialViewController::QuestionsAndAnswersButtonTap(Kit::Control&)
{
    QVToolsKit::QVURLManager::openURL(questionsURL);
}

} // namespace Aerlo
