#include "tests/Support/TempRoot.h"

#include "Platform/Foundation/Paths.h"

#include <cstdlib>
#include <string>

TempRoot::TempRoot()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "aerlo-test-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data()))
        path_ = made;
    Foundation::Paths::setRoot(path_);
    configHome_.emplace("XDG_CONFIG_HOME", configHome().c_str());
}

TempRoot::~TempRoot()
{
    configHome_.reset();
    Foundation::Paths::setRoot({});
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}
