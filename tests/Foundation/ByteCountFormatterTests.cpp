#include "Platform/Foundation/ByteCountFormatter.h"

#include <clocale>
#include <gtest/gtest.h>

using Foundation::ByteCountFormatter;

namespace {

ByteCountFormatter fileSizes(unsigned units, bool pads)
{
    ByteCountFormatter formatter;
    formatter.setAllowedUnits(units);
    formatter.setZeroPadsFractionDigits(pads);
    formatter.setCountStyle(ByteCountFormatter::CountStyle::file);
    return formatter;
}

TEST(ByteCountFormatter, RulesTable)
{
    using F = ByteCountFormatter;
    const unsigned bytesToTB = F::useBytes | F::useKB | F::useMB | F::useGB | F::useTB;
    const unsigned gbAndTB = F::useGB | F::useTB;
    struct Case {
        unsigned units;
        bool pads;
        std::int64_t count;
        const char* text;
    };
    const Case cases[] = {
        {bytesToTB, true, 0, "Zero bytes"},
        {bytesToTB, true, 1, "1 byte"},
        {bytesToTB, true, 999, "999 bytes"},
        {bytesToTB, true, 1000, "1 KB"},
        {bytesToTB, true, 1499, "1 KB"},
        {bytesToTB, true, 1500000, "1.5 MB"},
        {bytesToTB, true, 2000000, "2.0 MB"},
        {bytesToTB, false, 2000000, "2 MB"},
        {bytesToTB, true, 999999, "1.0 MB"},
        {bytesToTB, true, 2500000000000, "2.50 TB"},
        {bytesToTB, false, 2500000000000, "2.5 TB"},
        {bytesToTB, true, 3456789000000000, "3,456.79 TB"},
        {bytesToTB, true, -1500000, "-1.5 MB"},
        {gbAndTB, true, 0, "Zero KB"},
        {gbAndTB, true, 5000000, "0.01 GB"},
        {gbAndTB, true, 250000000000, "250.00 GB"},
        {gbAndTB, true, 999999000000, "1.00 TB"},
        {F::useBytes, true, 1500000, "1,500,000 bytes"},
        {F::useKB, true, 0, "Zero KB"},
        {F::useKB, true, 400, "0 KB"},
        {F::useKB, true, 600, "1 KB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fileSizes(c.units, c.pads).string(c.count), c.text) << c.count;
}

TEST(ByteCountFormatter, MemoryStyleStepsBy1024AndDigitsIgnoreTheLocale)
{
    ByteCountFormatter formatter;
    formatter.setCountStyle(ByteCountFormatter::CountStyle::memory);
    EXPECT_EQ(formatter.string(1024), "1 KB");
    EXPECT_EQ(formatter.string(1536 * 1024), "1.5 MB");
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_EQ(formatter.string(1536 * 1024), "1.5 MB");
        std::setlocale(LC_NUMERIC, previous.c_str());
    }
}

} // namespace
