#pragma once

#include "Platform/SMC/SMCExport.h"

#include "Platform/SMC/ApplesmcFiles.h"
#include "Platform/SMC/ApplesmcIndexLock.h"
#include "Platform/SMC/SMCTransport.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace IOKit {

// The "AppleSMC" service over the Linux applesmc driver's files (Intel Macs), or, read-only, over the
// hwmon files of the macsmc-hwmon driver (Apple silicon).
//
// - Key information, read bytes and key at index go through the driver's one key index: the key names,
//   types and lengths are read once, when the first connection opens (a name-to-index map); every
//   read then moves the index and reads key_at_index_data. The index is shared by every process, so
//   the exchanges of this transport are serialised, and each move with the reads that follow it holds
//   the index lock that every privileged process of the install shares (`indexLock`).
// - Only a privileged transport (the root helper's) moves the index. Any other, even where key_at_index
//   is writable, gets the keys the named files give instead, in key order: "#KEY", "FNum", per fan "Ac", "Mn", "Mx", "Sf", "Tg" ("fpe2" of the
//   whole RPM the files hold) and "ID", "FS! " from the manual bits, and the "sp78" temperatures.
// - A key the machine does not have answers as the SMC does: success, result 0x84, size 0. A key whose
//   bytes the driver refuses (EINVAL, bytes of another length than the key's, or EIO before it was ever
//   read) fails once; from then on it reports size 0, so that it reads as absent without a line on every
//   tick.
// - Only the writes with a route reach the driver: "F<i>Mn" and "F<i>Tg" as whole RPM (fanN_min,
//   fanN_output), held to the fan's range (the target within [Mn, Mx], the minimum within [the minimum
//   read at open, Mx]); "FS! " one fan bit per write (fanN_manual); "F<i>Md" through fanN_manual, which
//   drivers for T2 Macs map to the mode key. Every other write fails with kIOReturnNotPrivileged, as do
//   all writes of an unprivileged transport.
// - The macsmc-hwmon driver names no keys and enumerates none: its channels are known by their labels
//   (hwmonSensors()), each read as the "flt " key it stands for, in the channel's unit (milli-degrees,
//   millivolts, milliamps, microwatts; fans "F<i>Ac", "Mn", "Mx", "Tg" in RPM and "ID" from the fan's
//   label), with "FNum" and "#KEY".
//   Nothing is ever written through it.
class AERLO_SMC_EXPORT ApplesmcTransport : public SMCTransport {
public:
    enum class Driver { applesmc, macsmcHwmon };

    // A channel of the macsmc-hwmon driver: its class ("temp", "in", "curr", "power"), its label and
    // the key it reads.
    struct HwmonSensor {
        std::string_view kind;
        std::string_view label;
        std::string_view key;
    };
    // The channels the Apple-silicon device trees name, in their order (a key may have several labels).
    static const std::vector<HwmonSensor>& hwmonSensors();
    // How many of a class's units make one of the key's (1000 for "temp", "in" and "curr", 10^6 for "power").
    static double hwmonScale(std::string_view kind);

    ApplesmcTransport(std::shared_ptr<ApplesmcFiles> files, bool privileged, Driver driver = Driver::applesmc,
                      std::filesystem::path indexLock = {});
    // A privileged transport that wrote returns its fans to automatic (restoreFans()).
    ~ApplesmcTransport() override;

    kern_return_t open(std::uint32_t type, std::uint32_t& connection) override;
    kern_return_t call(std::uint32_t connection, std::uint32_t selector, const SMCRecord& input,
                       SMCRecord& output) override;
    kern_return_t close(std::uint32_t connection) override;
    // The key maps built so far: a client's key information holds for one map.
    std::uint64_t generation() const override;

    // Clears the manual bit of every forced fan and writes back each minimum that differs from the one
    // read at open. The fans written, in order.
    std::vector<int> restoreFans();

    // The kernel result for an errno of the driver.
    static kern_return_t resultForErrno(int error);

private:
    // Where a key's bytes come from: the key index, or (when this process may not move the index) one
    // of the driver's named files.
    enum class Source { index, fanSpeed, fanLabel, mask, temperature, hwmon, constant };
    struct KeyInfo {
        std::uint32_t index = 0;
        std::string type;
        std::uint32_t length = 0;
        Source source = Source::index;
        std::string file;  // fanSpeed, fanLabel, temperature, hwmon
        std::string bytes; // constant
        double scale = 1;  // hwmon: the file's units per unit of the key
    };

    kern_return_t load();
    // The keys the named files give: the fans' speeds, labels and manual bits, the "sp78" temperatures.
    void loadFromFiles();
    // The keys of the macsmc-hwmon channels.
    void loadFromHwmon();
    // "#KEY", the indices in key order, the fans.
    void finishFileKeys();
    // "FNum" and the minimums at open.
    void readFanCount();
    kern_return_t fileData(const KeyInfo& info, std::string& bytes);
    const KeyInfo* find(std::string_view key) const;
    // The key's bytes through the index.
    kern_return_t data(const KeyInfo& info, std::string& bytes);
    // A fan speed key's value ("fpe2" or "flt "), read through the index.
    std::optional<double> speed(int fan, std::string_view suffix);
    std::optional<std::uint16_t> mask();

    kern_return_t keyInformation(std::string_view key, SMCRecord& output);
    kern_return_t readBytes(std::string_view key, std::uint32_t size, SMCRecord& output);
    kern_return_t keyAtIndex(std::uint32_t index, SMCRecord& output);
    kern_return_t writeBytes(std::string_view key, std::uint32_t size, const SMCRecord& input);
    kern_return_t writeSpeed(int fan, bool minimum, const KeyInfo& info, const SMCRecord& input);
    kern_return_t writeMask(const SMCRecord& input);
    kern_return_t writeManual(int fan, bool forced);

    std::shared_ptr<ApplesmcFiles> files_;
    const bool privileged_;
    const Driver driver_;

    std::mutex mutex_; // every exchange: the driver has one index
    std::optional<kern_return_t> loaded_;
    std::vector<std::string> names_; // by index; empty where the index could not be read
    std::map<std::string, KeyInfo, std::less<>> keys_;
    int fanCount_ = 0;
    std::map<int, std::string> startMinimum_; // "F<i>Mn" bytes at open
    std::set<int> forced_;                    // fans this transport forced
    std::set<std::string, std::less<>> refused_;
    std::set<std::string, std::less<>> answered_; // keys read at least once
    ApplesmcIndexLock indexLock_;
    std::set<std::uint32_t> connections_;
    std::uint32_t lastConnection_ = 0;
    bool wrote_ = false;
    std::atomic<std::uint64_t> maps_ {0};
};

} // namespace IOKit
