#pragma once

#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/PropertyListValue.h"
#include "Platform/Foundation/UserDefaults.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <filesystem>
#include <fstream>

// A temporary root with fresh user defaults while it lives; the global domain is written directly.
class DefaultsScope {
public:
    DefaultsScope() { TestAccess::resetForTesting<Foundation::UserDefaults>(); }
    ~DefaultsScope() { TestAccess::resetForTesting<Foundation::UserDefaults>(); }
    DefaultsScope(const DefaultsScope&) = delete;
    DefaultsScope& operator=(const DefaultsScope&) = delete;

    static Foundation::UserDefaults& standard() { return Foundation::UserDefaults::standard(); }

    // Replaces the global domain's file with `domain`; every suite then reads its file afresh, so the
    // change shows at once (not only when the file watcher has seen it).
    static void writeGlobalDomain(const Foundation::PropertyListValue::Dictionary& domain)
    {
        const auto folder = Foundation::Paths::preferences();
        std::filesystem::create_directories(folder);
        std::ofstream(folder / ".GlobalPreferences.plist", std::ios::binary | std::ios::trunc)
            << Foundation::PropertyListValue(domain).toJSONText();
        TestAccess::resetForTesting<Foundation::UserDefaults>();
    }

    const TempRoot& root() const { return root_; }

private:
    TempRoot root_;
};
