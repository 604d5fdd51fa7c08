#pragma once

#include "Platform/Kit/KitExport.h"

#include <cstdint>

namespace Kit {

// Quartz's event flags, with the platform's bit values.
using CGEventFlags = std::uint64_t;

struct AERLO_KIT_EXPORT CGEventFlag {
    static constexpr CGEventFlags maskAlphaShift = 0x10000;
    static constexpr CGEventFlags maskShift = 0x20000;
    static constexpr CGEventFlags maskControl = 0x40000;
    static constexpr CGEventFlags maskAlternate = 0x80000;
    static constexpr CGEventFlags maskCommand = 0x100000;
    static constexpr CGEventFlags maskNumericPad = 0x200000;
    static constexpr CGEventFlags maskHelp = 0x400000;
    static constexpr CGEventFlags maskSecondaryFn = 0x800000;
};

// A Quartz event: only its flags are kept.
class AERLO_KIT_EXPORT CGEvent {
public:
    explicit CGEvent(CGEventFlags flags = 0) : flags_(flags) {}
    CGEventFlags flags() const { return flags_; }
    void setFlags(CGEventFlags flags) { flags_ = flags; }

private:
    CGEventFlags flags_;
};

} // namespace Kit
