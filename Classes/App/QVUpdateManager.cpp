#include "Classes/App/QVUpdateManager.h"

#include "Classes/Configure/Global/BundleInfo.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/LockedValue.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Kit/Alert.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/KeyCode.h"
#include "Platform/System/Workspace.h"
#include "QVToolsKit/QVSystemVersionUtil.h"

namespace Aerlo {

namespace {

using Foundation::Console;
using Foundation::printableLine;

constexpr std::string_view choiceLine = "updater(_:userDidMake:forUpdate:state:) 用户点击 ";

Foundation::SharedInstance<QVUpdateManager>& instance()
{
    static Foundation::SharedInstance<QVUpdateManager> shared;
    return shared;
}

Foundation::LockedValue<QVUpdateManager::ControllerFactory>& controllerFactory()
{
    static Foundation::SharedInstance<Foundation::LockedValue<QVUpdateManager::ControllerFactory>> factory;
    return factory.get();
}

} // namespace

QVUpdateManager& QVUpdateManager::shared() { return instance().get(); }

void QVUpdateManager::resetForTesting(bool withoutController)
{
    instance().resetForTesting(
        [withoutController](void* storage) { new (storage) QVUpdateManager(!withoutController); });
}

void QVUpdateManager::setControllerFactoryForTesting(ControllerFactory factory)
{
    controllerFactory().set(std::move(factory));
}

QVUpdateManager::QVUpdateManager() : QVUpdateManager(true) {}

QVUpdateManager::QVUpdateManager(bool withController)
{
    if (!withController)
        return;
    const ControllerFactory factory = controllerFactory().get();
    updateController_ =
        factory ? factory(*this) : std::make_unique<Vendors::SPUStandardUpdaterController>(true, this, this);
}

void QVUpdateManager::checkForUpdates(const void* sender)
{
    if (updateController_)
        updateController_->checkForUpdates(sender);
}

void QVUpdateManager::startBackgroundChecks()
{
    if (!updateController_)
        return;
    updateController_->updater().setAutomaticallyChecksForUpdates(true);
    updateController_->updater().checkForUpdatesInBackground();
}

bool QVUpdateManager::checkSupportedOSVersion()
{
    if (!QVToolsKit::QVSystemVersionUtil::isAtLeast(unsupportedOSVersion))
        return true;
    Kit::Alert alert;
    alert.setMessageText(LocalizationTable::text("Kind tips"));
    alert.setInformativeText(localizedStringArguments("OS Expire Tips", {appDisplayName()}));
    alert.addButton(LocalizationTable::text("Click to update"));
    alert.setAlertStyle(Kit::AlertStyle::warning);
    (void)alert.runModal();
    if (const auto url = Foundation::URL::string(downloadAddress))
        (void)SystemPlatform::Workspace::shared().open(*url);
    Kit::Application::shared().terminate();
    return false;
}

void QVUpdateManager::didFinishLoadingAppcast(Vendors::SPUUpdater&, const Vendors::SUAppcast& appcast)
{
    if (appcast.items.empty())
        return;
    const Vendors::SUAppcastItem& first = appcast.items.front();
    Console::print("updater(_:didFinishLoading:) 获取xml文件成功: 标题："
                   + printableLine(first.title.value_or("无标题")) + ", 版本：" + printableLine(first.versionString));
}

void QVUpdateManager::didFindValidUpdate(Vendors::SPUUpdater&, const Vendors::SUAppcastItem& item)
{
    Console::print("updater(_:didFindValidUpdate:) 有可用升级:");
    Console::print("Version: " + printableLine(item.displayVersionString));
    Console::print("Build number: " + printableLine(item.versionString));
    Console::print(item.fileURL ? "Url: " + printableLine(*item.fileURL) : std::string("Url: 未知"));
    Console::print("Note: " + printableLine(item.itemDescription.value_or("无")));
}

void QVUpdateManager::updaterDidNotFindUpdate(Vendors::SPUUpdater&) { Console::print("暂无更新"); }

void QVUpdateManager::userDidMakeChoice(Vendors::SPUUpdater&, int choice, const Vendors::SUAppcastItem&,
                                        Vendors::SPUUserUpdateState)
{
    static constexpr std::string_view choices[] = {"跳过这个版本", "安装更新", "稍后提醒"};
    if (choice >= 0 && choice < 3)
        Console::print(std::string(choiceLine) + std::string(choices[choice]));
}

void QVUpdateManager::userDidSkipThisVersion(Vendors::SPUUpdater&, const Vendors::SUAppcastItem& item)
{
    Console::print("用户跳过了版本：" + printableLine(item.versionString));
}

bool QVUpdateManager::willInstallUpdate(Vendors::SPUUpdater&, const Vendors::SUAppcastItem&)
{
    Kit::Alert alert;
    alert.setMessageText("有新版本可用");
    alert.setInformativeText("是否现在安装更新？");
    alert.addButton("安装更新");
    alert.addButton("稍后").keyEquivalent = Kit::KeyCharacters::escape;
    alert.setAlertStyle(Kit::AlertStyle::informational);
    return alert.runModal() == Kit::AlertFirstButtonReturn;
}

} // namespace Aerlo
