#include "Platform/Vendors/UI/SPUStandardUserDriver.h"

#include "Platform/Kit/Alert.h"

namespace Vendors {

namespace {

void inform(const std::string& message, const std::string& information, Kit::AlertStyle style)
{
    Kit::Alert alert;
    alert.setMessageText(message);
    alert.setInformativeText(information);
    alert.setAlertStyle(style);
    alert.addButton("OK");
    (void)alert.runModal();
}

} // namespace

SPUStandardUserDriver::SPUStandardUserDriver(Foundation::Bundle hostBundle, SPUStandardUserDriverDelegate* delegate)
    : host_(std::move(hostBundle)), delegate_(delegate)
{
}

std::string SPUStandardUserDriver::hostName() const
{
    const auto name = host_.object("CFBundleName");
    return name.is_string() ? name.get<std::string>() : host_.bundlePath().stem().string();
}

SPUUserUpdateChoice SPUStandardUserDriver::showUpdateFound(const SUAppcastItem& item, std::string_view currentVersion)
{
    Kit::Alert alert;
    alert.setMessageText("A new version of " + hostName() + " is available!");
    std::string information = hostName() + " " + item.displayVersionString + " (" + item.versionString
                              + ") is available; you have build " + std::string(currentVersion) + ".";
    if (item.itemDescription)
        information += "\n\n" + *item.itemDescription;
    alert.setInformativeText(information);
    alert.setAlertStyle(Kit::AlertStyle::informational);
    alert.addButton("Install Update");
    alert.addButton("Skip This Version");
    alert.addButton("Remind Me Later");
    switch (alert.runModal()) {
    case Kit::AlertFirstButtonReturn:
        return SPUUserUpdateChoice::install;
    case Kit::AlertSecondButtonReturn:
        return SPUUserUpdateChoice::skip;
    default:
        return SPUUserUpdateChoice::dismiss;
    }
}

void SPUStandardUserDriver::showUpdateNotFound()
{
    inform("You're up to date!", hostName() + " is the newest version available.", Kit::AlertStyle::informational);
}

void SPUStandardUserDriver::showUpdaterError(std::string_view description)
{
    inform("Update Error!", std::string(description), Kit::AlertStyle::warning);
}

void SPUStandardUserDriver::showInstallingUnavailable(const SUAppcastItem& item)
{
    std::string information = "This build checks a local feed only: it downloads and installs nothing.";
    if (item.fileURL)
        information += " Version " + item.displayVersionString + " can be had from " + *item.fileURL + ".";
    inform("Updates are not installed here", information, Kit::AlertStyle::informational);
}

} // namespace Vendors
