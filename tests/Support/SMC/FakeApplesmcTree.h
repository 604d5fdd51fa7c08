#pragma once

#include "Platform/SMC/ApplesmcFiles.h"
#include "Platform/SMC/KeyTable.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SMCSim {

class MachineProfile;

// The applesmc device's files over a key table, with the driver's behaviour and refusals, for tests
// and benchmarks without hardware or root:
//   key_count, key_at_index (one index for every user; EINVAL at or past the count), key_at_index_name,
//   _type (trailing space kept, cut at a NUL), _data_length, _data (the key's exact bytes; EIO for a
//   read the firmware refuses); fanN_label, fanN_input/_min/_max/_safe/_output ("fpe2" keys of two
//   bytes only, else EINVAL), fanN_min and fanN_output writes (decimal below 16384, else EINVAL),
//   fanN_manual (one bit of "FS! "; any non-zero value sets it); tempN_label/_input ("sp78" keys from
//   'T' to 'U'). Missing files give ENOENT, writes to read-only files EACCES.
// With `t2FanSupport` the fan files also serve "flt " keys and fanN_manual writes "F<i>Md" where the
// machine has it, as the driver patched for T2 Macs does. Thread-safe.
class FakeApplesmcTree : public IOKit::ApplesmcFiles {
public:
    struct Options {
        bool t2FanSupport = false;
        bool root = true; // writes are allowed (the caller is root)
    };

    // One write that reached a file other than key_at_index, with the errno it got.
    struct Write {
        std::string file;
        std::string text;
        int error = 0;
        bool operator==(const Write&) const = default;
    };

    explicit FakeApplesmcTree(KeyTable keys);
    FakeApplesmcTree(KeyTable keys, Options options);
    explicit FakeApplesmcTree(const MachineProfile& profile);
    FakeApplesmcTree(const MachineProfile& profile, Options options);

    Contents read(std::string_view name) override;
    int write(std::string_view name, std::string_view text) override;

    // key_at_index_data of `key` fails with `error` (0: it reads again).
    void refuseData(std::string_view key, int error);
    std::optional<double> value(std::string_view key) const;
    [[nodiscard]] bool setValue(std::string_view key, double value);

    std::vector<Write> writes() const;
    // The writes that succeeded, as "file=text".
    std::vector<std::string> writtenFiles() const;
    void clearWrites();
    // Reads and writes of any file since the start, key_at_index writes among them.
    std::size_t operations() const;

private:
    struct FanFile {
        int fan = -1; // from 0
        std::string attribute; // "input", "min", …, "manual", "label"
    };

    Contents readLocked(std::string_view name);
    int writeLocked(std::string_view name, std::string_view text);
    int fanCount() const;
    std::optional<FanFile> fanFile(std::string_view name) const;
    // The n-th (from 1) "sp78" key from 'T' to 'U', in index order.
    const KeyEntry* temperature(std::size_t number) const;
    std::optional<unsigned> speed(const KeyEntry& key, int& error) const;
    int storeSpeed(KeyEntry& key, unsigned long rpm);
    Contents fanRead(const FanFile& file);
    int fanWrite(const FanFile& file, unsigned long value);

    mutable std::mutex mutex_;
    KeyTable keys_;
    Options options_;
    std::size_t index_ = 0;
    std::map<std::string, int, std::less<>> refusedData_;
    std::vector<Write> writes_;
    std::size_t operations_ = 0;
};

} // namespace SMCSim
