#pragma once

#include "Platform/Kit/Control.h"
#include "Platform/Kit/ViewController.h"

#include <memory>

namespace Aerlo {

// The tutorial page: a video tour and the questions and answers, each opened in the browser.
class TutorialViewController : public Kit::ViewController {
public:
    static constexpr const char* videoURL = "https://norvane.example.com/aerlo/tutorial/video";
    static constexpr const char* questionsURL = "https://docs.example.org/aerlo/questions";

    static void registerScene();
    static std::shared_ptr<TutorialViewController> make();

    void TutorialVideoButtonTap(Kit::Control& sender);
    void QuestionsAndAnswersButtonTap(Kit::Control& sender);

protected:
    void loadView() override;
};

} // namespace Aerlo
