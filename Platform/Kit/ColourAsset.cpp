#include "Platform/Kit/ColourAsset.h"

#include "Platform/Foundation/Bundle.h"

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

namespace Kit {

namespace {

std::optional<Colour> componentsOf(const nlohmann::json& value)
{
    if (!value.is_array() || value.size() != 4)
        return std::nullopt;
    double c[4];
    for (std::size_t i = 0; i < 4; ++i) {
        if (!value[i].is_number())
            return std::nullopt;
        c[i] = value[i].get<double>();
    }
    return Colour(c[0], c[1], c[2], c[3]);
}

std::map<std::string, Colour, std::less<>> loadAssets()
{
    std::map<std::string, Colour, std::less<>> assets;
    std::ifstream file(Foundation::Bundle::main().resourcePath() / "Colors.json", std::ios::binary);
    if (!file)
        return assets;
    std::stringstream text;
    text << file.rdbuf();
    const nlohmann::json table = nlohmann::json::parse(text.str(), nullptr, false);
    if (!table.is_object())
        return assets;
    for (const auto& [name, entry] : table.items()) {
        if (!entry.is_object() || !entry.contains("light") || !entry.contains("dark"))
            continue;
        const auto light = componentsOf(entry["light"]);
        const auto dark = componentsOf(entry["dark"]);
        if (light && dark)
            assets.emplace(name, Colour::dynamic(*light, *dark));
    }
    return assets;
}

} // namespace

std::optional<Colour> ColourAsset::named(std::string_view name)
{
    static const std::map<std::string, Colour, std::less<>> assets = loadAssets();
    const auto found = assets.find(name);
    if (found == assets.end())
        return std::nullopt;
    return found->second;
}

} // namespace Kit
