#pragma once

#include "Platform/Kit/OpenPanel.h"
#include "Platform/Kit/OpenPanelPresenter.h"

#include <deque>
#include <optional>
#include <vector>

namespace Kit {

// Answers open panels from a queue (OK with files, or cancel: no files) and records the panels (tests). A
// panel with no answer left is cancelled and recorded as a failure.
class ScriptedOpenPanelPresenter final : public OpenPanelPresenter {
public:
    void enqueue(std::optional<std::vector<std::filesystem::path>> chosen) { answers_.push_back(std::move(chosen)); }
    ModalResponse run(OpenPanel& panel) override;

    // Copies of the panels as they were shown.
    const std::vector<OpenPanel>& shown() const { return shown_; }
    std::size_t unusedAnswers() const { return answers_.size(); }
    int failures() const { return failures_; }

private:
    std::deque<std::optional<std::vector<std::filesystem::path>>> answers_;
    std::vector<OpenPanel> shown_;
    int failures_ = 0;
};

} // namespace Kit
