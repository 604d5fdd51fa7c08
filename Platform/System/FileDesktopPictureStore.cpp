#include "Platform/System/FileDesktopPictureStore.h"

#include "Platform/Foundation/AtomicFile.h"
#include "Platform/Foundation/Paths.h"

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

namespace SystemPlatform {

namespace {

// The stored map; an unreadable or malformed file counts as empty.
nlohmann::ordered_json load(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return nlohmann::ordered_json::object();
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto json = nlohmann::ordered_json::parse(text, nullptr, false);
    return json.is_object() ? json : nlohmann::ordered_json::object();
}

} // namespace

FileDesktopPictureStore::FileDesktopPictureStore(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path FileDesktopPictureStore::defaultFile()
{
    return Foundation::Paths::library() / "Preferences" / "com.apple.desktop.json";
}

Foundation::Result<void> FileDesktopPictureStore::setPicture(const std::filesystem::path& picture,
                                                             const std::string& screenKey)
{
    auto json = load(file_);
    json[screenKey] = picture.string();
    std::error_code error;
    std::filesystem::create_directories(file_.parent_path(), error);
    return Foundation::AtomicFile::write(file_, json.dump(2) + "\n", 0644);
}

std::optional<std::filesystem::path> FileDesktopPictureStore::picture(const std::string& screenKey) const
{
    const auto json = load(file_);
    const auto found = json.find(screenKey);
    if (found == json.end() || !found->is_string())
        return std::nullopt;
    return std::filesystem::path(found->get<std::string>());
}

} // namespace SystemPlatform
