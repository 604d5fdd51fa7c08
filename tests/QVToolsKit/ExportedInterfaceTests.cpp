#include "QVToolsKit/QVFileSizeTool.h"
#include "QVToolsKit/UI/QVProgressHUD.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

const std::filesystem::path frameworks = std::filesystem::path(AERLO_BINARY_DIR) / "Aerlo.app/Contents/Frameworks";

// The already loaded library, by file name.
void* loaded(const std::string& library)
{
    return ::dlopen((frameworks / library).c_str(), RTLD_LAZY | RTLD_NOLOAD);
}

// Every symbol the library defines, hidden ones too ("" when nm cannot run).
std::string symbolTable(const std::string& library)
{
    const std::string command = "nm --defined-only '" + (frameworks / library).string() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
        out += buffer;
    return out;
}

} // namespace

TEST(ExportedInterface, PublicClassesResolveFromTheLibraryThatCarriesThem)
{
    const struct {
        void* address;
        const char* library;
    } cases[] = {
        {reinterpret_cast<void*>(&QVToolsKit::QVFileSizeTool::calculateSize), "libQVToolsKit.so"},
        {reinterpret_cast<void*>(&QVToolsKit::QVProgressHUD::setDefaultStyle), "libQVToolsKitUI.so"},
    };
    for (const auto& c : cases) {
        Dl_info info {};
        ASSERT_NE(::dladdr(c.address, &info), 0) << c.library;
        EXPECT_EQ(std::filesystem::path(info.dli_fname).filename(), c.library);
        ASSERT_NE(info.dli_sname, nullptr) << c.library;
        void* library = loaded(c.library);
        ASSERT_NE(library, nullptr) << c.library;
        EXPECT_EQ(::dlsym(library, info.dli_sname), c.address) << info.dli_sname;
        ::dlclose(library);
    }
}

TEST(ExportedInterface, InternalsStayInsideTheirLibrary)
{
    const struct {
        const char* library;
        const char* symbol;
    } cases[] = {
        // An inline member of a public class.
        {"libQVToolsKit.so", "_ZN10QVToolsKit13QVDateManagerD1Ev"},
        // The system clock behind Foundation's clock interface.
        {"libAerloFoundation.so", "_ZNK10Foundation11SystemClock3nowEv"},
        // Foundation's ICU helpers that only Foundation calls.
        {"libAerloFoundation.so", "_ZN10Foundation3Icu17environmentLocaleB5cxx11Ev"},
        // Kit's Qt presenters behind its shared presenters, and its Qt conversions.
        {"libAerloKit.so", "_ZN3Kit16QtAlertPresenter8runModalERNS_5AlertE"},
        {"libAerloKit.so", "_ZN3Kit20QtOpenPanelPresenter3runERNS_9OpenPanelE"},
        {"libAerloKit.so", "_ZN3Kit8QtBridge6colourERKNS_6ColourE"},
        {"libAerloKit.so", "_ZN3Kit11LayerValues11interpolateERKSt7variantIJdNS_5PointENS_4SizeENS_4RectENS_6ColourENS_15AffineTransformEEES9_d"},
        // The system layer's default player and opener behind their factories.
        {"libAerloSystem.so", "_ZN14SystemPlatform18ProcessAudioPlayer4playEv"},
        {"libAerloSystem.so", "_ZN14SystemPlatform16ProcessURLOpener4openERKN10Foundation3URLE"},
    };
    for (const auto& c : cases) {
        ASSERT_NE(symbolTable(c.library).find(std::string(" ") + c.symbol + "\n"), std::string::npos)
            << c.library << " no longer defines " << c.symbol;
        void* library = loaded(c.library);
        ASSERT_NE(library, nullptr) << c.library;
        EXPECT_EQ(::dlsym(library, c.symbol), nullptr) << c.symbol << " is exported by " << c.library;
        ::dlclose(library);
    }
}
