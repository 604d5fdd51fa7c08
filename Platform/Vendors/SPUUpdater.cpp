#include "Platform/Vendors/SPUUpdater.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/UserDefaults.h"

namespace Vendors {

namespace {

std::string infoText(const Foundation::Bundle& bundle, std::string_view key)
{
    const auto value = bundle.object(key);
    return value.is_string() ? value.get<std::string>() : std::string();
}

} // namespace

SPUUpdater::SPUUpdater(Foundation::Bundle hostBundle, std::shared_ptr<SPUUserDriver> userDriver,
                       SPUUpdaterDelegate* delegate)
    : host_(std::move(hostBundle)), userDriver_(std::move(userDriver)), delegate_(delegate)
{
}

SPUUpdater::~SPUUpdater()
{
    *alive_ = false;
    if (schedule_)
        schedule_->invalidate();
}

std::optional<std::filesystem::path> SPUUpdater::feedPath() const
{
    std::string feed = infoText(host_, "SUFeedURL");
    if (feed.rfind("file://", 0) == 0)
        feed.erase(0, 7);
    if (feed.empty() || feed.front() != '/')
        return std::nullopt;
    return Foundation::Paths::resolve(feed);
}

Foundation::Result<void> SPUUpdater::startUpdater()
{
    if (infoText(host_, "SUFeedURL").empty()) {
        Foundation::Console::printError("The updater cannot start: the bundle names no feed (SUFeedURL).");
        return Foundation::Error("The bundle names no feed (SUFeedURL).");
    }
    started_ = true;
    return {};
}

void SPUUpdater::setAutomaticallyChecksForUpdates(bool automatic)
{
    automatic_ = automatic;
    if (schedule_)
        schedule_->invalidate();
    schedule_.reset();
    if (automatic && started_)
        schedule_ = Foundation::Timer::scheduledTimer(scheduledCheckInterval, true,
                                                      [this](Foundation::Timer&) { runCheck(false); });
}

void SPUUpdater::checkForUpdates() { check(true); }

void SPUUpdater::checkForUpdatesInBackground() { check(false); }

void SPUUpdater::check(bool userInitiated)
{
    if (!started_)
        return;
    Foundation::DispatchQueue::main().async([this, alive = alive_, userInitiated] {
        if (*alive)
            runCheck(userInitiated);
    });
}

void SPUUpdater::runCheck(bool userInitiated)
{
    const auto path = feedPath();
    const auto appcast = path ? SUAppcast::read(*path) : Foundation::Error("only local files are read");
    if (!appcast) {
        // One line, whatever the feed's address or its contents hold.
        const std::string description = Foundation::printableLine("The update feed \"" + infoText(host_, "SUFeedURL")
                                                                  + "\" cannot be read: " + appcast.error() + ".");
        Foundation::Console::printError(description);
        if (userInitiated && userDriver_)
            userDriver_->showUpdaterError(description);
        return;
    }
    if (delegate_)
        delegate_->didFinishLoadingAppcast(*this, *appcast);
    const std::string current = infoText(host_, "CFBundleVersion");
    const auto skipped = Foundation::UserDefaults::standard().string(skippedVersionKey);
    const SUAppcastItem* newest = nullptr;
    for (const SUAppcastItem& item : appcast->items)
        if (SUAppcast::versionOrdersBefore(current, item.versionString) && item.versionString != skipped
            && (!newest || SUAppcast::versionOrdersBefore(newest->versionString, item.versionString)))
            newest = &item;
    if (!newest) {
        if (delegate_)
            delegate_->updaterDidNotFindUpdate(*this);
        if (userInitiated && userDriver_)
            userDriver_->showUpdateNotFound();
        return;
    }
    const SUAppcastItem item = *newest;
    if (delegate_)
        delegate_->didFindValidUpdate(*this, item);
    if (userInitiated && userDriver_)
        answer(userDriver_->showUpdateFound(item, current), item);
}

void SPUUpdater::answer(SPUUserUpdateChoice choice, const SUAppcastItem& item)
{
    if (delegate_)
        delegate_->userDidMakeChoice(*this, static_cast<int>(choice), item, SPUUserUpdateState::notDownloaded);
    switch (choice) {
    case SPUUserUpdateChoice::skip:
        (void)Foundation::UserDefaults::standard().set(item.versionString, skippedVersionKey);
        if (delegate_)
            delegate_->userDidSkipThisVersion(*this, item);
        break;
    case SPUUserUpdateChoice::install:
        if ((!delegate_ || delegate_->willInstallUpdate(*this, item)) && userDriver_)
            userDriver_->showInstallingUnavailable(item);
        break;
    case SPUUserUpdateChoice::dismiss:
        break;
    }
}

} // namespace Vendors
