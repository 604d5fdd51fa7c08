#include "Platform/System/GSettingsDesktopPictureStore.h"

#include "Platform/Foundation/Process.h"

#include <cstdio>
#include <vector>

namespace SystemPlatform {

namespace {

constexpr const char* tool = "/usr/bin/gsettings";
constexpr const char* schema = "org.gnome.desktop.background";

bool unreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
           || c == '_' || c == '~' || c == '/';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

GSettingsDesktopPictureStore::GSettingsDesktopPictureStore(Environment environment)
    : environment_(std::move(environment))
{
}

GSettingsDesktopPictureStore::Answer
GSettingsDesktopPictureStore::gsettings(const std::vector<std::string>& arguments) const
{
    Foundation::ProcessOptions options;
    options.environmentOverrides = environment_;
    const auto result = Foundation::Process::run(tool, arguments, options);
    if (!result.launched)
        return {false, {}, result.launchError};
    std::string output = result.stdout_;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return {result.reason == Foundation::ProcessTerminationReason::exit && result.status == 0, output, result.stderr_};
}

bool GSettingsDesktopPictureStore::isAvailable() const { return gsettings({"list-keys", schema}).ok; }

std::string GSettingsDesktopPictureStore::literal(const std::filesystem::path& picture)
{
    std::string out = "'file://";
    for (const unsigned char c : picture.string()) {
        if (unreserved(c)) {
            out += static_cast<char>(c);
        } else {
            char encoded[4];
            std::snprintf(encoded, sizeof encoded, "%%%02X", c);
            out += encoded;
        }
    }
    return out + "'";
}

std::optional<std::filesystem::path> GSettingsDesktopPictureStore::pathFromLiteral(std::string_view literal)
{
    if (literal.size() >= 2 && literal.front() == '\'' && literal.back() == '\'')
        literal = literal.substr(1, literal.size() - 2);
    if (!literal.starts_with("file://"))
        return std::nullopt;
    literal.remove_prefix(7);
    std::string out;
    for (std::size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] != '%') {
            out += literal[i];
            continue;
        }
        const int high = i + 1 < literal.size() ? hexValue(literal[i + 1]) : -1;
        const int low = i + 2 < literal.size() ? hexValue(literal[i + 2]) : -1;
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (out.empty() || out.front() != '/')
        return std::nullopt;
    return std::filesystem::path(out);
}

Foundation::Result<void> GSettingsDesktopPictureStore::setPicture(const std::filesystem::path& picture,
                                                                  const std::string&)
{
    const std::string value = literal(picture);
    const auto light = gsettings({"set", schema, "picture-uri", value});
    if (!light.ok)
        return Foundation::Error("gsettings could not set the desktop picture: " + light.error);
    // Older desktops have no dark picture; the light one is what counts.
    (void)gsettings({"set", schema, "picture-uri-dark", value});
    // Without a session bus gsettings succeeds and keeps nothing.
    if (this->picture({}) != picture)
        return Foundation::Error("The desktop did not keep the picture \"" + picture.string() + "\"");
    return {};
}

std::optional<std::filesystem::path> GSettingsDesktopPictureStore::picture(const std::string&) const
{
    const auto answer = gsettings({"get", schema, "picture-uri"});
    if (!answer.ok)
        return std::nullopt;
    return pathFromLiteral(answer.output);
}

} // namespace SystemPlatform
