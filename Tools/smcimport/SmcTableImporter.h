#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/SMC/KeyTable.h"

#include <cstddef>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// Turns the key table of a real Intel Mac into a machine profile (Resources/Machines/README.md).
//
// A table is a text of one key a line:
//   [TC0P] type [sp78] 73703738 len [ 2] attr [C0] -> 3A80
//   [ACKG] type [hex_] 6865785F len [118] attr [54] -> NOT READABLE, code FF
// after a first line with the system version ("macOS 10.15.3 (19D49f)") and "Public keys (N):". A
// line "Unable to read smc value E00002C2" gives the kernel's failure of the next key's read. The
// type's hex code is the type (the bracketed text shows unprintable bytes as "?"). Keys found by
// probing after "Hidden keys (?):" are not in the firmware's index and are left out.
class SmcTableImporter {
public:
    struct Table {
        std::string osVersion; // "10.15.3"
        std::string osBuild; // "19D49f"; empty when the table gives none
        std::vector<SMCSim::KeyEntry> keys; // in table order, the read-only ones not writable
    };

    struct Options {
        std::string name; // the profile's name
        std::string modelIdentifier; // "MacBookPro11,4"
        std::string description; // empty: "<model name> (<identifier>), from its key table"
        std::string source; // where the table came from, kept in the profile
        // Extra facts (serial number, memory modules, disk, …) over the ones derived from the model.
        nlohmann::ordered_json facts = nlohmann::ordered_json::object();
        // The keys the sensor catalogue shows on Intel Macs; they and the fans' live keys are dynamic.
        std::function<bool(std::string_view key)> catalogued;
    };

    // The table in `text`; a line that does not parse (bad hex, a size that disagrees with its
    // bytes, a duplicate key, a key count that disagrees with "Public keys") fails with
    // "line N: what is wrong".
    static Foundation::Result<Table> parse(std::string_view text);
    // The profile for `table` (the format of Resources/Machines).
    static Foundation::Result<nlohmann::ordered_json> profile(const Table& table, const Options& options);
    // The temperature keys of an Apple-silicon report, one a line:
    //   TC10  [flt ]  55.4 (bytes 62 d5 5d 42)
    // (the value is optional; the bytes are in the order the SMC returns them). Fails like parse().
    static Foundation::Result<std::vector<SMCSim::KeyEntry>> parseTemperatures(std::string_view text);
    // `profile` with its "T…" keys replaced by `temperatures`; its other keys, fans and facts stay. A
    // profile without "BNum" (no battery) takes no battery temperatures ("TB…").
    static nlohmann::ordered_json withTemperatures(nlohmann::ordered_json profile,
                                                   const std::vector<SMCSim::KeyEntry>& temperatures,
                                                   const std::string& source);
    // The profile as the text a profile file holds: one key a line.
    static std::string render(const nlohmann::ordered_json& profile);
};

} // namespace Aerlo
