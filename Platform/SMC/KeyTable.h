#pragma once

#include "Platform/SMC/SMCExport.h"
#include "Platform/SMC/ValueCodec.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace SMCSim {

// One key of the simulated SMC. Keys and types are four raw bytes each.
struct AERLO_SMC_EXPORT KeyEntry {
    static constexpr std::uint8_t readable = 0x80;
    static constexpr std::uint8_t writableFlag = 0x40;

    std::string key;
    std::string type;
    std::uint32_t size = 0; // may exceed 32: the record carries 32 bytes at most
    ValueBytes bytes {};
    bool writable = false;
    // The attribute byte a real machine reports; absent: readable, plus writable when `writable`.
    std::optional<std::uint8_t> firmwareAttributes;
    // A read the firmware refuses: the kernel's failure code (0: the call succeeds) and the SMC's
    // result byte (0x85 "not readable", …). Both 0: the key reads.
    std::uint32_t readFailure = 0;
    std::uint8_t readResult = 0;
    // Values come from the thermal model (fans, temperatures, power, voltages, currents) rather than
    // standing as stored.
    bool dynamic = false;
    // Step function of device time: (from second, value); before the first step the bytes stand.
    std::vector<std::pair<double, double>> script;

    std::uint8_t attributes() const
    {
        return firmwareAttributes.value_or(static_cast<std::uint8_t>(readable | (writable ? writableFlag : 0)));
    }
    bool readRefused() const { return readFailure != 0 || readResult != 0; }
};

// The key table of the simulated SMC, kept in ascending key-code order (the order real SMCs
// enumerate in, "#KEY" first). With `autoKeyCount` on, a "#KEY" entry holds the table's size.
class AERLO_SMC_EXPORT KeyTable {
public:
    std::size_t size() const { return entries_.size(); }
    const std::vector<KeyEntry>& entries() const { return entries_; }
    const KeyEntry* at(std::size_t index) const;
    const KeyEntry* find(std::string_view key) const;
    KeyEntry* find(std::string_view key);

    // Adds the entry, or replaces the one with the same key.
    void upsert(KeyEntry entry);
    // Adds many entries at once (a later one replaces an earlier one with the same key).
    void upsertAll(std::vector<KeyEntry> entries);
    bool remove(std::string_view key);

    // The key's stored number as the hardware means it (ValueCodec::decode).
    std::optional<double> value(std::string_view key) const;
    // Encodes `value` into the key's type; false when the key is missing or its type holds no number.
    [[nodiscard]] bool setValue(std::string_view key, double value);

    bool autoKeyCount() const { return autoKeyCount_; }
    void setAutoKeyCount(bool on);

private:
    void refreshKeyCount();

    std::vector<KeyEntry> entries_;
    bool autoKeyCount_ = true;
};

} // namespace SMCSim
