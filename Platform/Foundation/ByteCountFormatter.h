#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <cstdint>
#include <string>

namespace Foundation {

// A byte count as a display text ("1.5 MB", "999 bytes", "Zero KB"), with en_US digits whatever the
// process locale. Rules:
// - the unit is the largest allowed one that the count reaches (else the smallest allowed one), moving
//   up when rounding would give 1000 of it; units step by 1000 (file, decimal) or 1024 (memory, binary);
// - adaptive digits: bytes and KB none, MB one, GB and larger two; trailing zeros are dropped unless
//   zeroPadsFractionDigits;
// - zero is "Zero KB", or "Zero bytes" when bytes are allowed;
// - digits are grouped by thousands ("1,500 bytes", "3,456.79 TB"); one byte is "1 byte".
class AERLO_FOUNDATION_EXPORT ByteCountFormatter {
public:
    enum Units : unsigned {
        useBytes = 1u << 0,
        useKB = 1u << 1,
        useMB = 1u << 2,
        useGB = 1u << 3,
        useTB = 1u << 4,
        usePB = 1u << 5,
        useEB = 1u << 6,
        useAll = 0xFFFFu,
    };
    enum class CountStyle { file, memory, decimal, binary };

    unsigned allowedUnits() const { return allowedUnits_; }
    // No unit allowed means all.
    void setAllowedUnits(unsigned units) { allowedUnits_ = units; }
    CountStyle countStyle() const { return countStyle_; }
    void setCountStyle(CountStyle style) { countStyle_ = style; }
    bool zeroPadsFractionDigits() const { return zeroPadsFractionDigits_; }
    void setZeroPadsFractionDigits(bool pads) { zeroPadsFractionDigits_ = pads; }

    std::string string(std::int64_t byteCount) const;

private:
    unsigned allowedUnits_ = useAll;
    CountStyle countStyle_ = CountStyle::file;
    bool zeroPadsFractionDigits_ = false;
};

} // namespace Foundation
