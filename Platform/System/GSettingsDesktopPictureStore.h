#pragma once

#include "Platform/System/DesktopPictureStore.h"
#include "Platform/System/SystemExport.h"

#include <map>
#include <string_view>
#include <vector>

namespace SystemPlatform {

// The desktop's own picture setting through gsettings ("org.gnome.desktop.background", "picture-uri" and
// "picture-uri-dark"): one picture for every screen. A picture counts as kept only when it reads back.
class AERLO_SYSTEM_EXPORT GSettingsDesktopPictureStore : public DesktopPictureStore {
public:
    using Environment = std::map<std::string, std::optional<std::string>>;

    // `environment` is applied over the inherited one (tests use the keyfile backend).
    explicit GSettingsDesktopPictureStore(Environment environment = {});
    // Whether gsettings runs and knows the schema.
    bool isAvailable() const;

    Foundation::Result<void> setPicture(const std::filesystem::path& picture, const std::string& screenKey) override;
    std::optional<std::filesystem::path> picture(const std::string& screenKey) const override;

    // "'file://…'" with every byte outside unreserved characters and "/" percent-encoded, so that no quote
    // or backslash reaches gsettings' parser; and back.
    static std::string literal(const std::filesystem::path& picture);
    static std::optional<std::filesystem::path> pathFromLiteral(std::string_view literal);

private:
    struct Answer {
        bool ok = false;
        std::string output;
        std::string error;
    };
    Answer gsettings(const std::vector<std::string>& arguments) const;

    Environment environment_;
};

} // namespace SystemPlatform
