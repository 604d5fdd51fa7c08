#pragma once

#include "Classes/App/QVUpdateManager.h"
#include "Platform/Foundation/Paths.h"
#include "tests/Support/TestAccess.h"

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

// The update framework's dialogs: answers from a queue ("remind later" when it is empty), every call recorded.
class ScriptedUserDriver final : public Vendors::SPUUserDriver {
public:
    std::deque<Vendors::SPUUserUpdateChoice> choices;
    std::vector<std::string> calls;

    Vendors::SPUUserUpdateChoice showUpdateFound(const Vendors::SUAppcastItem& item, std::string_view current) override
    {
        calls.push_back("found " + item.versionString + " over " + std::string(current));
        if (choices.empty())
            return Vendors::SPUUserUpdateChoice::dismiss;
        const auto choice = choices.front();
        choices.pop_front();
        return choice;
    }
    void showUpdateNotFound() override { calls.push_back("not found"); }
    void showUpdaterError(std::string_view) override { calls.push_back("error"); }
    void showInstallingUnavailable(const Vendors::SUAppcastItem& item) override
    {
        calls.push_back("installs nothing " + item.versionString);
    }
};

// While it lives, the shared update manager's controller serves a bundle "Aerlo.app" under the root
// (build 240, feed "<root>/Library/appcast.json") with scripted dialogs.
class ScriptedUpdates {
public:
    ScriptedUpdates() : host_(Foundation::Paths::root() / "Updates/Aerlo.app")
    {
        std::filesystem::create_directories(host_ / "Contents");
        std::ofstream(host_ / "Contents/Info.json")
            << R"({"CFBundleName": "Aerlo", "CFBundleVersion": "240", "SUFeedURL": "/Library/appcast.json"})";
        TestAccess::setControllerFactoryForTesting<Aerlo::QVUpdateManager>([this](Aerlo::QVUpdateManager& manager) {
            return std::make_unique<Vendors::SPUStandardUpdaterController>(true, &manager, Foundation::Bundle(host_),
                                                                           driver);
        });
        TestAccess::resetForTesting<Aerlo::QVUpdateManager>();
    }
    ~ScriptedUpdates()
    {
        TestAccess::setControllerFactoryForTesting<Aerlo::QVUpdateManager>(nullptr);
        TestAccess::resetForTesting<Aerlo::QVUpdateManager>();
    }
    ScriptedUpdates(const ScriptedUpdates&) = delete;
    ScriptedUpdates& operator=(const ScriptedUpdates&) = delete;

    const std::filesystem::path& host() const { return host_; }
    static void feed(const std::string& json)
    {
        std::filesystem::create_directories(Foundation::Paths::root() / "Library");
        std::ofstream(Foundation::Paths::root() / "Library/appcast.json") << json;
    }

    std::shared_ptr<ScriptedUserDriver> driver = std::make_shared<ScriptedUserDriver>();

private:
    std::filesystem::path host_;
};
