#include "tests/Support/SMC/FakeApplesmcTree.h"

#include "Platform/Foundation/TextUtilities.h"
#include "Platform/SMC/FanKey.h"
#include "Platform/SMC/MachineProfile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <thread>

namespace SMCSim {

namespace {

constexpr unsigned long maximumSpeed = 0x4000; // the driver's bound for fan speeds
constexpr int maximumFans = 10;

std::string line(std::string_view text) { return std::string(text) + "\n"; }
std::string line(long long number) { return std::to_string(number) + "\n"; }

// The key as the driver prints it: a C string, cut at the first NUL.
std::string cString(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

// A number file's value: decimal digits and one optional line feed, as kstrtoul reads them.
std::optional<unsigned long> parseDecimal(std::string_view text)
{
    if (text.ends_with('\n'))
        text.remove_suffix(1);
    return Foundation::decimalNumber<unsigned long>(text);
}

std::uint16_t bigEndian16(const ValueBytes& bytes) { return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]); }

float littleEndianFloat(const ValueBytes& bytes)
{
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = bits << 8 | bytes[static_cast<std::size_t>(i)];
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}


std::optional<std::string_view> speedSuffix(std::string_view attribute)
{
    static const std::map<std::string_view, std::string_view> suffixes {
        {"input", "Ac"}, {"min", "Mn"}, {"max", "Mx"}, {"safe", "Sf"}, {"output", "Tg"}};
    const auto found = suffixes.find(attribute);
    return found == suffixes.end() ? std::nullopt : std::optional(found->second);
}

} // namespace

FakeApplesmcTree::FakeApplesmcTree(KeyTable keys) : FakeApplesmcTree(std::move(keys), Options {}) {}

FakeApplesmcTree::FakeApplesmcTree(const MachineProfile& profile) : FakeApplesmcTree(profile.keys, Options {}) {}

FakeApplesmcTree::FakeApplesmcTree(KeyTable keys, Options options) : keys_(std::move(keys)), options_(options) {}

FakeApplesmcTree::FakeApplesmcTree(const MachineProfile& profile, Options options)
    : FakeApplesmcTree(profile.keys, options)
{
}

IOKit::ApplesmcFiles::Contents FakeApplesmcTree::read(std::string_view name)
{
    std::lock_guard lock(mutex_);
    ++operations_;
    return readLocked(name);
}

int FakeApplesmcTree::write(std::string_view name, std::string_view text)
{
    {
        std::lock_guard lock(mutex_);
        ++operations_;
        const int error = writeLocked(name, text);
        if (name != "key_at_index")
            writes_.push_back({std::string(name), std::string(text), error});
        if (name != "key_at_index" || error)
            return error;
    }
    // Another user of the driver may move the index between this write and the read that follows.
    std::this_thread::yield();
    return 0;
}

int FakeApplesmcTree::fanCount() const
{
    const KeyEntry* count = keys_.find("FNum");
    return count ? std::min<int>(count->bytes[0], maximumFans) : 0;
}

std::optional<FakeApplesmcTree::FanFile> FakeApplesmcTree::fanFile(std::string_view name) const
{
    if (!name.starts_with("fan"))
        return std::nullopt;
    int number = 0;
    const auto [end, error] = std::from_chars(name.data() + 3, name.data() + name.size(), number);
    if (error != std::errc() || end == name.data() + name.size() || *end != '_' || number < 1 || number > fanCount())
        return std::nullopt;
    return FanFile {number - 1, std::string(end + 1, name.data() + name.size())};
}

const KeyEntry* FakeApplesmcTree::temperature(std::size_t number) const
{
    for (const auto& entry : keys_.entries())
        if (entry.key[0] == 'T' && entry.type == "sp78" && --number == 0)
            return &entry;
    return nullptr;
}

IOKit::ApplesmcFiles::Contents FakeApplesmcTree::readLocked(std::string_view name)
{
    const auto refuse = [](int error) { return Contents {error, {}}; };
    if (name == "name")
        return {0, "applesmc\n"};
    if (name == "key_count") {
        const auto count = keys_.value("#KEY");
        return count ? Contents {0, line(static_cast<long long>(*count))} : refuse(EIO);
    }
    if (name == "key_at_index")
        return {0, line(static_cast<long long>(index_))};
    if (name.starts_with("key_at_index_")) {
        const KeyEntry* entry = keys_.at(index_);
        if (!entry)
            return refuse(EINVAL);
        const std::string_view field = name.substr(13);
        if (field == "name")
            return {0, line(cString(entry->key))};
        if (field == "type")
            return {0, line(cString(entry->type))};
        if (field == "data_length")
            return {0, line(entry->size)};
        if (field == "data") {
            if (const auto refused = refusedData_.find(entry->key); refused != refusedData_.end())
                return refuse(refused->second);
            if (entry->readRefused())
                return refuse(EIO);
            std::string bytes(entry->size, '\0');
            std::copy_n(entry->bytes.begin(), std::min<std::size_t>(entry->size, entry->bytes.size()), bytes.begin());
            return {0, bytes};
        }
        return refuse(ENOENT);
    }
    if (const auto file = fanFile(name))
        return fanRead(*file);
    if (name.starts_with("temp")) {
        std::size_t number = 0;
        const auto [end, error] = std::from_chars(name.data() + 4, name.data() + name.size(), number);
        const KeyEntry* entry = error == std::errc() ? temperature(number) : nullptr;
        const std::string_view attribute(end, static_cast<std::size_t>(name.data() + name.size() - end));
        if (entry && attribute == "_label")
            return {0, line(cString(entry->key))};
        if (entry && attribute == "_input") {
            if (entry->readRefused())
                return refuse(EIO);
            return {0, line(250LL * (static_cast<std::int16_t>(bigEndian16(entry->bytes)) >> 6))};
        }
    }
    return refuse(ENOENT);
}

std::optional<unsigned> FakeApplesmcTree::speed(const KeyEntry& key, int& error) const
{
    if (key.readRefused()) {
        error = EIO;
        return std::nullopt;
    }
    if (key.size == 2)
        return bigEndian16(key.bytes) >> 2;
    if (options_.t2FanSupport && key.type == "flt " && key.size == 4) {
        const float value = littleEndianFloat(key.bytes);
        if (std::isfinite(value) && value >= 0)
            return static_cast<unsigned>(value);
    }
    error = EINVAL; // the driver reads two bytes and finds another length
    return std::nullopt;
}

IOKit::ApplesmcFiles::Contents FakeApplesmcTree::fanRead(const FanFile& file)
{
    if (file.attribute == "label") {
        const KeyEntry* id = keys_.find(FanKey::name(file.fan, "ID"));
        if (!id || id->size < 16)
            return {EINVAL, {}};
        const std::string text(id->bytes.begin() + 4, id->bytes.begin() + 16);
        return {0, line(cString(text))};
    }
    if (file.attribute == "manual") {
        if (options_.t2FanSupport)
            if (const KeyEntry* mode = keys_.find(FanKey::name(file.fan, "Md")))
                return {0, line(mode->bytes[0] & 1)};
        const KeyEntry* mask = keys_.find("FS! ");
        if (!mask || mask->size != 2)
            return {EINVAL, {}};
        return {0, line((bigEndian16(mask->bytes) >> file.fan) & 1)};
    }
    const auto suffix = speedSuffix(file.attribute);
    const KeyEntry* key = suffix ? keys_.find(FanKey::name(file.fan, *suffix)) : nullptr;
    if (!suffix)
        return {ENOENT, {}};
    if (!key)
        return {EINVAL, {}};
    int error = 0;
    const auto rpm = speed(*key, error);
    return rpm ? Contents {0, line(*rpm)} : Contents {error, {}};
}

int FakeApplesmcTree::storeSpeed(KeyEntry& key, unsigned long rpm)
{
    if (key.size == 2) {
        if (rpm >= maximumSpeed)
            return EINVAL;
        key.bytes[0] = static_cast<std::uint8_t>(rpm >> 6);
        key.bytes[1] = static_cast<std::uint8_t>(rpm << 2);
        return 0;
    }
    if (options_.t2FanSupport && key.type == "flt " && key.size == 4) {
        const auto bytes = ValueCodec::encode(key.type, static_cast<double>(rpm));
        std::copy_n(bytes->begin(), 4, key.bytes.begin());
        return 0;
    }
    return EINVAL;
}

int FakeApplesmcTree::fanWrite(const FanFile& file, unsigned long value)
{
    if (file.attribute == "manual") {
        if (options_.t2FanSupport)
            if (KeyEntry* mode = keys_.find(FanKey::name(file.fan, "Md"))) {
                mode->bytes[0] = static_cast<std::uint8_t>(value & 1);
                return 0;
            }
        KeyEntry* mask = keys_.find("FS! ");
        if (!mask || mask->size != 2)
            return EINVAL;
        std::uint16_t bits = bigEndian16(mask->bytes);
        const auto bit = static_cast<std::uint16_t>(1u << file.fan);
        bits = value ? bits | bit : bits & ~bit;
        mask->bytes[0] = static_cast<std::uint8_t>(bits >> 8);
        mask->bytes[1] = static_cast<std::uint8_t>(bits);
        return 0;
    }
    if (file.attribute != "min" && file.attribute != "output")
        return EACCES;
    KeyEntry* key = keys_.find(FanKey::name(file.fan, file.attribute == "min" ? "Mn" : "Tg"));
    return key ? storeSpeed(*key, value) : EINVAL;
}

int FakeApplesmcTree::writeLocked(std::string_view name, std::string_view text)
{
    const auto file = fanFile(name);
    const bool writable = name == "key_at_index" ||
                          (file && (file->attribute == "min" || file->attribute == "output" || file->attribute == "manual"));
    if (!writable)
        return readLocked(name).error == ENOENT ? ENOENT : EACCES;
    if (!options_.root)
        return EACCES;
    const auto value = parseDecimal(text);
    if (!value)
        return EINVAL;
    if (file)
        return fanWrite(*file, *value);
    const auto count = keys_.value("#KEY");
    if (!count || *value >= *count || *value >= keys_.size())
        return EINVAL;
    index_ = *value;
    return 0;
}

void FakeApplesmcTree::refuseData(std::string_view key, int error)
{
    std::lock_guard lock(mutex_);
    if (error)
        refusedData_[std::string(key)] = error;
    else
        refusedData_.erase(std::string(key));
}

std::optional<double> FakeApplesmcTree::value(std::string_view key) const
{
    std::lock_guard lock(mutex_);
    return keys_.value(key);
}

bool FakeApplesmcTree::setValue(std::string_view key, double value)
{
    std::lock_guard lock(mutex_);
    return keys_.setValue(key, value);
}

std::vector<FakeApplesmcTree::Write> FakeApplesmcTree::writes() const
{
    std::lock_guard lock(mutex_);
    return writes_;
}

std::vector<std::string> FakeApplesmcTree::writtenFiles() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> files;
    for (const auto& write : writes_)
        if (write.error == 0)
            files.push_back(write.file + "=" + write.text);
    return files;
}

void FakeApplesmcTree::clearWrites()
{
    std::lock_guard lock(mutex_);
    writes_.clear();
}

std::size_t FakeApplesmcTree::operations() const
{
    std::lock_guard lock(mutex_);
    return operations_;
}

} // namespace SMCSim
