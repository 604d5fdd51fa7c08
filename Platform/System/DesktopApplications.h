#pragma once

#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SystemPlatform {

// The applications the desktop's entries describe, under the XDG data folders: which one starts a given
// executable, with its name in the user's language and its icon's file. Reads the folders on every call.
class AERLO_SYSTEM_EXPORT DesktopApplications {
public:
    struct Application {
        std::string localizedName;
        std::filesystem::path iconFile; // empty when the entry names none that exists
    };

    // $XDG_DATA_HOME (else ~/.local/share), then each folder of $XDG_DATA_DIRS (else /usr/local/share and
    // /usr/share): the order in which an entry's id shadows the same id further on.
    static std::vector<std::filesystem::path> dataFolders();
    // The first visible application entry whose Exec program resolves (absolute, else through $PATH) to
    // `executable`. Its Name[<language>] for the first of `languages` it has, else its Name.
    static std::optional<Application> forExecutable(const std::filesystem::path& executable,
                                                    const std::vector<std::string>& languages);
    // An entry's Icon= value as a file: an absolute path as itself; a theme name as the largest bitmap
    // of the hicolor theme under <data folder>/icons, else <data folder>/pixmaps/<name>.png.
    static std::optional<std::filesystem::path> iconFile(std::string_view icon);
    // The Name[...] suffixes for the application's language ("zh-Hans" gives zh_CN, zh_Hans, zh).
    static std::vector<std::string> entryLanguages(std::string_view localization);
};

} // namespace SystemPlatform
