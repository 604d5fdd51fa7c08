#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

// The demangled dynamic symbols a framework library defines ("" when nm cannot run).
std::string exportedSymbols(const std::string& name)
{
    const auto library = std::filesystem::path(AERLO_BINARY_DIR) / "Aerlo.app/Contents/Frameworks" / name;
    const std::string command = "nm -DC --defined-only '" + library.string() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
        out += buffer;
    return out;
}

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct FrameworkClass {
    std::string name;
    bool usesKit = false;
};

// Every QV class the framework's sources define members of, and whether its source draws on Kit or Qt.
std::vector<FrameworkClass> frameworkClasses()
{
    std::vector<FrameworkClass> classes;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(AERLO_SOURCE_DIR) / "QVToolsKit")) {
        const auto path = entry.path();
        const std::string stem = path.stem().string();
        if (path.extension() != ".cpp" || stem.rfind("QV", 0) != 0)
            continue;
        const std::string source = fileText(path);
        const std::string header = fileText(path.parent_path() / (stem + ".h"));
        if (header.find("class " + stem) == std::string::npos || source.find(stem + "::") == std::string::npos)
            continue;
        const bool usesKit = source.find("#include \"Platform/Kit/") != std::string::npos
            || header.find("#include \"Platform/Kit/") != std::string::npos
            || source.find("#include <Q") != std::string::npos || header.find("#include <Q") != std::string::npos;
        classes.push_back({stem, usesKit});
    }
    return classes;
}

} // namespace

TEST(ExportedInterface, EveryFrameworkClassIsExportedByExactlyOneLibrary)
{
    const std::string symbols = exportedSymbols("libQVToolsKit.so");
    const std::string uiSymbols = exportedSymbols("libQVToolsKitUI.so");
    ASSERT_FALSE(symbols.empty());
    ASSERT_FALSE(uiSymbols.empty());
    const auto classes = frameworkClasses();
    ASSERT_GT(classes.size(), 20u);
    for (const auto& c : classes) {
        const std::string prefix = "QVToolsKit::" + c.name + "::";
        const bool plain = symbols.find(prefix) != std::string::npos;
        const bool ui = uiSymbols.find(prefix) != std::string::npos;
        EXPECT_NE(plain, ui) << c.name << " must be exported by exactly one of the two libraries";
        if (c.usesKit) {
            EXPECT_TRUE(ui && !plain) << c.name << " draws on Kit, so only the UI library may carry it";
        }
    }
}
