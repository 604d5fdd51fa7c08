// libFuzzer entry for the defaults and property-list file reader: any bytes as a suite's file,
// read through UserDefaults with every typed reading, and as property-list JSON text. Nothing
// crashes; a file that is refused is set aside, never half read.
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/PropertyListValue.h"
#include "Platform/Foundation/UserDefaults.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <fstream>

namespace {

void readAll(const Foundation::PropertyListValue& value)
{
    (void)Foundation::UserDefaults::boolReading(value);
    (void)Foundation::UserDefaults::integerReading(value);
    (void)Foundation::UserDefaults::doubleReading(value);
    (void)Foundation::UserDefaults::stringReading(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzWorld<TempRoot>();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto value = Foundation::PropertyListValue::fromJSONText(text))
        readAll(*value);

    const auto folder = Foundation::Paths::preferences();
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder, error);
    std::ofstream(folder / "fuzz.suite.plist", std::ios::binary) << text;
    TestAccess::resetForTesting<Foundation::UserDefaults>();
    if (auto* suite = Foundation::UserDefaults::suite("fuzz.suite")) {
        for (const char* key : {"a", "key", "SMC", "", "fanRules"})
            if (const auto value = suite->object(key))
                readAll(*value);
    }
    return 0;
}
