#include "Platform/SMC/ApplesmcTransport.h"

#include "Platform/Foundation/TextUtilities.h"
#include "Platform/SMC/FanKey.h"
#include "Platform/SMC/SMCRecordFields.h"
#include "Platform/SMC/ValueCodec.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>

namespace IOKit {

using namespace SMCRecordFields;

namespace {

constexpr std::uint8_t smcKeyNotFound = 0x84;
constexpr std::uint8_t smcNotReadable = 0x85;
constexpr std::uint8_t attributeReadable = 0x80;
constexpr std::uint8_t attributeWritable = 0x40;
constexpr int maximumFans = 10;

// A number file's value: decimal digits and one optional line feed, as kstrtoul reads them.
std::optional<std::uint32_t> parseDecimal(std::string_view text)
{
    if (text.ends_with('\n'))
        text.remove_suffix(1);
    return Foundation::decimalNumber<std::uint32_t>(text);
}

// A text file's one line without its line feed.
std::string firstLine(std::string text)
{
    if (text.ends_with('\n'))
        text.pop_back();
    return text;
}

std::string fanFile(int fan, std::string_view attribute)
{
    return "fan" + std::to_string(fan + 1) + "_" + std::string(attribute);
}

SMCSim::ValueBytes valueBytes(std::string_view bytes)
{
    SMCSim::ValueBytes value {};
    std::copy_n(bytes.begin(), std::min(bytes.size(), value.size()), value.begin());
    return value;
}

// A speed key's value as the writers send it: whole RPM ("fpe2" drops its two fraction bits).
std::optional<long> wholeRPM(std::string_view type, const SMCSim::ValueBytes& bytes)
{
    if (type == "fpe2")
        return static_cast<long>(bytes[0]) << 6 | bytes[1] >> 2;
    if (type == "flt ") {
        const auto value = SMCSim::ValueCodec::decode(type, bytes);
        if (value && std::isfinite(*value) && *value >= 0 && *value < 1e6)
            return std::lround(*value);
    }
    return std::nullopt;
}

} // namespace

ApplesmcTransport::ApplesmcTransport(std::shared_ptr<ApplesmcFiles> files, bool privileged, Driver driver,
                                     std::filesystem::path indexLock)
    : files_(std::move(files)), privileged_(privileged && driver == Driver::applesmc), driver_(driver),
      indexLock_(std::move(indexLock))
{
}

const std::vector<ApplesmcTransport::HwmonSensor>& ApplesmcTransport::hwmonSensors()
{
    // The labels are the kernel's: the device-tree files for the hwmon of the Apple-silicon SMC name each
    // channel's key and label. TW0P's label differs between revisions of those files; both are taken.
    static const std::vector<HwmonSensor> sensors {
        {"power", "Total System Power", "PSTR"},
        {"power", "AC Input Power", "PDTR"},
        {"power", "3.8 V Rail Power", "PMVR"},
        {"power", "Heatpipe Power", "PHPC"},
        {"temp", "NAND Flash Temperature", "TH0x"},
        {"temp", "Battery Hotspot", "TB0T"},
        {"temp", "Charge Regulator Temp", "TCHP"},
        {"temp", "WiFi/BT Module Temp", "TW0P"},
        {"temp", "WiFi/BT Module Temperature", "TW0P"},
        {"in", "Charger Input Voltage", "VD0R"},
        {"in", "Battery Voltage", "SBAV"},
        {"curr", "AC Input Current", "ID0R"},
    };
    return sensors;
}

double ApplesmcTransport::hwmonScale(std::string_view kind)
{
    if (kind == "power")
        return 1e6;
    return kind == "fan" ? 1 : 1000;
}

ApplesmcTransport::~ApplesmcTransport()
{
    if (privileged_ && wrote_)
        restoreFans();
}

kern_return_t ApplesmcTransport::resultForErrno(int error)
{
    switch (error) {
    case 0:
        return kIOReturnSuccess;
    case EINVAL:
    case ERANGE:
        return kIOReturnBadArgument;
    case EIO:
    case ETIMEDOUT:
    case EBUSY:
        return kIOReturnIOError;
    case EACCES:
    case EPERM:
    case EROFS:
        return kIOReturnNotPrivileged;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return kIOReturnNoDevice;
    default:
        return kIOReturnError;
    }
}

std::uint64_t ApplesmcTransport::generation() const
{
    return maps_.load();
}

kern_return_t ApplesmcTransport::load()
{
    if (loaded_)
        return *loaded_;
    ++maps_;
    if (driver_ == Driver::macsmcHwmon) {
        const auto name = files_->read("name");
        loaded_ = name.error ? resultForErrno(name.error) : kIOReturnSuccess;
        if (!name.error)
            loadFromHwmon();
        return *loaded_;
    }
    const auto count = files_->read("key_count");
    const auto keys = count.error ? std::nullopt : parseDecimal(count.bytes);
    if (!keys) {
        loaded_ = count.error ? resultForErrno(count.error) : kIOReturnIOError;
        return *loaded_;
    }
    // Moving the index under another process would hand it that process's key.
    if (!privileged_) {
        loadFromFiles();
        loaded_ = kIOReturnSuccess;
        return *loaded_;
    }
    int probe = 0;
    {
        ApplesmcIndexLock::Hold hold(indexLock_);
        probe = files_->write("key_at_index", "0");
    }
    if (probe == EACCES || probe == EPERM) {
        loadFromFiles();
        loaded_ = kIOReturnSuccess;
        return *loaded_;
    }
    names_.assign(*keys, {});
    for (std::uint32_t index = 0; index < *keys; ++index) {
        ApplesmcIndexLock::Hold hold(indexLock_);
        if (files_->write("key_at_index", std::to_string(index)) != 0)
            continue;
        const auto name = files_->read("key_at_index_name");
        const auto type = files_->read("key_at_index_type");
        const auto length = files_->read("key_at_index_data_length");
        const auto size = parseDecimal(length.bytes);
        if (name.error || type.error || length.error || !size)
            continue;
        std::string key = firstLine(name.bytes);
        std::string typeText = firstLine(type.bytes);
        key.resize(4, '\0'); // the driver prints C strings: a NUL cuts them short
        typeText.resize(4, '\0');
        names_[index] = key;
        keys_.emplace(std::move(key), KeyInfo {index, std::move(typeText), *size, Source::index, {}, {}});
    }
    readFanCount();
    loaded_ = kIOReturnSuccess;
    return *loaded_;
}

void ApplesmcTransport::readFanCount()
{
    std::string bytes;
    if (const KeyInfo* fans = find("FNum"); fans && data(*fans, bytes) == kIOReturnSuccess && !bytes.empty())
        fanCount_ = std::min<int>(static_cast<unsigned char>(bytes[0]), maximumFans);
    for (int fan = 0; fan < fanCount_; ++fan)
        if (const KeyInfo* minimum = find(SMCSim::FanKey::name(fan, "Mn")); minimum && data(*minimum, bytes) == 0)
            startMinimum_[fan] = bytes;
}

void ApplesmcTransport::loadFromFiles()
{
    const auto add = [this](std::string key, std::string type, std::uint32_t length, Source source,
                            std::string file, std::string bytes = {}) {
        keys_[std::move(key)] = KeyInfo {0, std::move(type), length, source, std::move(file), std::move(bytes)};
    };
    int fans = 0;
    while (fans < maximumFans && files_->read(fanFile(fans, "input")).error != ENOENT)
        ++fans;
    add("FNum", "ui8 ", 1, Source::constant, {}, std::string(1, static_cast<char>(fans)));
    for (int fan = 0; fan < fans; ++fan) {
        for (const auto& [suffix, attribute] : {std::pair {"Ac", "input"}, {"Mn", "min"}, {"Mx", "max"},
                                                {"Sf", "safe"}, {"Tg", "output"}})
            add(SMCSim::FanKey::name(fan, suffix), "fpe2", 2, Source::fanSpeed, fanFile(fan, attribute));
        if (files_->read(fanFile(fan, "label")).error != ENOENT)
            add(SMCSim::FanKey::name(fan, "ID"), "{fds", 16, Source::fanLabel, fanFile(fan, "label"));
    }
    if (fans > 0 && files_->read(fanFile(0, "manual")).error == 0)
        add("FS! ", "ui16", 2, Source::mask, {});
    for (int number = 1;; ++number) {
        const auto label = files_->read("temp" + std::to_string(number) + "_label");
        if (label.error)
            break;
        std::string key = firstLine(label.bytes);
        key.resize(4, '\0');
        add(std::move(key), "sp78", 2, Source::temperature, "temp" + std::to_string(number) + "_input");
    }
    finishFileKeys();
}

void ApplesmcTransport::loadFromHwmon()
{
    constexpr int channels = 32;
    for (const std::string_view kind : {"temp", "in", "curr", "power"})
        for (int number = 0; number < channels; ++number) {
            const std::string channel = std::string(kind) + std::to_string(number);
            const auto label = files_->read(channel + "_label");
            if (label.error)
                continue;
            const std::string text = firstLine(label.bytes);
            for (const auto& sensor : hwmonSensors())
                if (sensor.kind == kind && sensor.label == text)
                    keys_[std::string(sensor.key)] =
                        KeyInfo {0, "flt ", 4, Source::hwmon, channel + "_input", {}, hwmonScale(kind)};
        }
    int fans = 0;
    while (fans < maximumFans && files_->read(fanFile(fans, "input")).error != ENOENT) {
        for (const auto& [suffix, attribute] : {std::pair {"Ac", "input"}, {"Mn", "min"}, {"Mx", "max"}, {"Tg", "target"}})
            if (files_->read(fanFile(fans, attribute)).error != ENOENT)
                keys_[SMCSim::FanKey::name(fans, suffix)] = KeyInfo {0, "flt ", 4, Source::hwmon, fanFile(fans, attribute), {}, 1};
        // The driver's label names the fan, as its "ID" text does.
        if (files_->read(fanFile(fans, "label")).error != ENOENT)
            keys_[SMCSim::FanKey::name(fans, "ID")] = KeyInfo {0, "{fds", 16, Source::fanLabel, fanFile(fans, "label"), {}, 1};
        ++fans;
    }
    keys_["FNum"] = KeyInfo {0, "ui8 ", 1, Source::constant, {}, std::string(1, static_cast<char>(fans))};
    finishFileKeys();
}

void ApplesmcTransport::finishFileKeys()
{
    const auto count = static_cast<std::uint32_t>(keys_.size() + 1);
    keys_["#KEY"] = KeyInfo {0, "ui32", 4, Source::constant, {},
                             {char(count >> 24), char(count >> 16), char(count >> 8), char(count)}, 1};
    for (auto& [key, info] : keys_) {
        info.index = static_cast<std::uint32_t>(names_.size());
        names_.push_back(key);
    }
    readFanCount();
}

kern_return_t ApplesmcTransport::fileData(const KeyInfo& info, std::string& bytes)
{
    if (info.source == Source::constant) {
        bytes = info.bytes;
        return kIOReturnSuccess;
    }
    if (info.source == Source::mask) {
        std::uint16_t bits = 0;
        for (int fan = 0; fan < fanCount_; ++fan) {
            const auto manual = files_->read(fanFile(fan, "manual"));
            const auto value = parseDecimal(manual.bytes);
            if (manual.error || !value)
                return resultForErrno(manual.error ? manual.error : EIO);
            bits |= static_cast<std::uint16_t>((*value ? 1u : 0u) << fan);
        }
        bytes = {char(bits >> 8), char(bits)};
        return kIOReturnSuccess;
    }
    const auto contents = files_->read(info.file);
    if (contents.error)
        return resultForErrno(contents.error);
    if (info.source == Source::fanLabel) {
        bytes = std::string(4, '\0') + firstLine(contents.bytes);
        bytes.resize(info.length, '\0');
        return kIOReturnSuccess;
    }
    const std::string text = firstLine(contents.bytes);
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return kIOReturnIOError;
    if (info.source == Source::hwmon) {
        const auto encoded = SMCSim::ValueCodec::encode("flt ", static_cast<double>(value) / info.scale);
        bytes.assign(encoded->begin(), encoded->begin() + 4);
        return kIOReturnSuccess;
    }
    const auto encoded = info.source == Source::temperature
                             ? SMCSim::ValueCodec::encode("sp78", static_cast<double>(value) / 1000)
                             : SMCSim::ValueCodec::encode("fpe2", static_cast<double>(value));
    bytes.assign(encoded->begin(), encoded->begin() + 2);
    return kIOReturnSuccess;
}

const ApplesmcTransport::KeyInfo* ApplesmcTransport::find(std::string_view key) const
{
    const auto found = keys_.find(key);
    return found == keys_.end() ? nullptr : &found->second;
}

kern_return_t ApplesmcTransport::data(const KeyInfo& info, std::string& bytes)
{
    bytes.clear();
    if (info.source != Source::index)
        return fileData(info, bytes);
    ApplesmcIndexLock::Hold hold(indexLock_);
    if (const int error = files_->write("key_at_index", std::to_string(info.index)))
        return resultForErrno(error);
    auto contents = files_->read("key_at_index_data");
    if (contents.error)
        return resultForErrno(contents.error);
    if (contents.bytes.size() != info.length)
        return kIOReturnBadArgument; // the driver's length check, as it refuses a mismatch
    bytes = std::move(contents.bytes);
    return kIOReturnSuccess;
}

std::optional<double> ApplesmcTransport::speed(int fan, std::string_view suffix)
{
    const std::string key = SMCSim::FanKey::name(fan, suffix);
    const KeyInfo* info = find(key);
    std::string bytes;
    if (!info || data(*info, bytes) != kIOReturnSuccess)
        return std::nullopt;
    const auto rpm = wholeRPM(info->type, valueBytes(bytes));
    return rpm ? std::optional<double>(*rpm) : std::nullopt;
}

std::optional<std::uint16_t> ApplesmcTransport::mask()
{
    const KeyInfo* info = find("FS! ");
    std::string bytes;
    if (!info || info->length != 2 || data(*info, bytes) != kIOReturnSuccess)
        return std::nullopt;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]));
}

kern_return_t ApplesmcTransport::open(std::uint32_t type, std::uint32_t& connection)
{
    std::lock_guard lock(mutex_);
    connection = 0;
    if (type != 0)
        return kIOReturnUnsupported;
    if (const kern_return_t result = load(); result != kIOReturnSuccess)
        return result;
    connection = ++lastConnection_;
    connections_.insert(connection);
    return kIOReturnSuccess;
}

kern_return_t ApplesmcTransport::close(std::uint32_t connection)
{
    std::lock_guard lock(mutex_);
    return connections_.erase(connection) ? kIOReturnSuccess : MACH_SEND_INVALID_DEST;
}

kern_return_t ApplesmcTransport::call(std::uint32_t connection, std::uint32_t selector, const SMCRecord& input,
                                      SMCRecord& output)
{
    std::lock_guard lock(mutex_);
    output.fill(0);
    if (!connections_.contains(connection))
        return MACH_SEND_INVALID_DEST;
    if (selector != kSMCUserClientSelector)
        return kIOReturnBadArgument;
    const std::string key = fourCC(loadLE(input, keyOffset));
    kern_return_t result = kIOReturnUnsupported;
    switch (input[commandOffset]) {
    case commandKeyInfo:
        result = keyInformation(key, output);
        break;
    case commandReadBytes:
        result = readBytes(key, loadLE(input, dataSizeOffset), output);
        break;
    case commandKeyAtIndex:
        result = keyAtIndex(loadLE(input, data32Offset), output);
        break;
    case commandWriteBytes:
        result = writeBytes(key, loadLE(input, dataSizeOffset), input);
        break;
    default:
        break;
    }
    if (result != kIOReturnSuccess)
        output.fill(0);
    return result;
}

kern_return_t ApplesmcTransport::keyInformation(std::string_view key, SMCRecord& output)
{
    const KeyInfo* info = find(key);
    if (!info) {
        output[resultOffset] = smcKeyNotFound;
        return kIOReturnSuccess;
    }
    if (refused_.contains(key)) {
        output[resultOffset] = smcNotReadable;
        return kIOReturnSuccess;
    }
    const bool routed = driver_ == Driver::applesmc &&
                        (SMCSim::FanKey::fanOf(key, "Mn") || SMCSim::FanKey::fanOf(key, "Tg") ||
                         SMCSim::FanKey::fanOf(key, "Md") || key == "FS! ");
    storeLE(output, dataSizeOffset, info->length);
    storeLE(output, dataTypeOffset, fourCC(info->type));
    output[attributesOffset] = static_cast<std::uint8_t>(attributeReadable | (routed ? attributeWritable : 0));
    return kIOReturnSuccess;
}

kern_return_t ApplesmcTransport::readBytes(std::string_view key, std::uint32_t size, SMCRecord& output)
{
    const KeyInfo* info = find(key);
    if (!info || refused_.contains(key)) {
        output[resultOffset] = info ? smcNotReadable : smcKeyNotFound;
        return kIOReturnSuccess;
    }
    std::string bytes;
    const kern_return_t result = data(*info, bytes);
    // A key the firmware refuses gives EIO from its first read on; one that read before may fail for a while.
    if (result == kIOReturnBadArgument || (result == kIOReturnIOError && !answered_.contains(key)))
        refused_.emplace(key);
    if (result != kIOReturnSuccess)
        return result;
    if (!answered_.contains(key))
        answered_.emplace(key);
    std::copy_n(bytes.begin(), std::min<std::size_t>({size, bytes.size(), 32}), output.begin() + bytesOffset);
    return kIOReturnSuccess;
}

kern_return_t ApplesmcTransport::keyAtIndex(std::uint32_t index, SMCRecord& output)
{
    if (index >= names_.size())
        return kIOReturnBadArgument; // the driver refuses an index at or past the count
    if (names_[index].empty())
        return kIOReturnIOError;
    storeLE(output, keyOffset, fourCC(names_[index]));
    return kIOReturnSuccess;
}

kern_return_t ApplesmcTransport::writeBytes(std::string_view key, std::uint32_t size, const SMCRecord& input)
{
    if (!privileged_)
        return kIOReturnNotPrivileged;
    const KeyInfo* info = find(key);
    if (!info) {
        return kIOReturnSuccess; // as the SMC answers a key it does not have; nothing is written
    }
    const auto minimum = SMCSim::FanKey::fanOf(key, "Mn");
    const auto target = SMCSim::FanKey::fanOf(key, "Tg");
    const auto mode = SMCSim::FanKey::fanOf(key, "Md");
    const auto fan = minimum ? minimum : target ? target : mode;
    if (key != "FS! " && !(fan && *fan < fanCount_))
        return kIOReturnNotPrivileged; // no route in the driver
    if (size != info->length)
        return kIOReturnBadArgument;
    wrote_ = true;
    if (key == "FS! ")
        return writeMask(input);
    if (mode) {
        const std::uint8_t value = input[bytesOffset];
        return value > 1 ? kIOReturnBadArgument : writeManual(*mode, value == 1);
    }
    return writeSpeed(*fan, minimum.has_value(), *info, input);
}

kern_return_t ApplesmcTransport::writeSpeed(int fan, bool minimum, const KeyInfo& info, const SMCRecord& input)
{
    SMCSim::ValueBytes bytes {};
    std::copy_n(input.begin() + bytesOffset, bytes.size(), bytes.begin());
    const auto rpm = wholeRPM(info.type, bytes);
    if (!rpm)
        return kIOReturnNotPrivileged; // the driver writes only these two types
    // The driver and the SMC check nothing: the fan's range is held here.
    std::optional<double> lowest;
    if (minimum) {
        if (const auto start = startMinimum_.find(fan); start != startMinimum_.end())
            lowest = wholeRPM(info.type, valueBytes(start->second));
    } else {
        lowest = speed(fan, "Mn");
    }
    const auto highest = speed(fan, "Mx");
    if (!lowest || !highest)
        return kIOReturnIOError;
    if (*rpm < *lowest || *rpm > *highest)
        return kIOReturnBadArgument;
    return resultForErrno(files_->write(fanFile(fan, minimum ? "min" : "output"), std::to_string(*rpm)));
}

kern_return_t ApplesmcTransport::writeMask(const SMCRecord& input)
{
    const auto wanted = static_cast<std::uint16_t>(input[bytesOffset] << 8 | input[bytesOffset + 1]);
    if (wanted >> fanCount_)
        return kIOReturnBadArgument; // a bit of a fan the machine does not have
    const auto current = mask();
    for (int fan = 0; fan < fanCount_; ++fan) {
        const bool forced = (wanted >> fan) & 1;
        if (current && ((*current >> fan) & 1) == forced)
            continue;
        if (const kern_return_t result = writeManual(fan, forced); result != kIOReturnSuccess)
            return result;
    }
    return kIOReturnSuccess;
}

kern_return_t ApplesmcTransport::writeManual(int fan, bool forced)
{
    const kern_return_t result = resultForErrno(files_->write(fanFile(fan, "manual"), forced ? "1" : "0"));
    if (result == kIOReturnSuccess && forced)
        forced_.insert(fan);
    else if (result == kIOReturnSuccess)
        forced_.erase(fan);
    return result;
}

std::vector<int> ApplesmcTransport::restoreFans()
{
    std::lock_guard lock(mutex_);
    std::vector<int> written;
    if (!privileged_ || load() != kIOReturnSuccess)
        return written;
    const auto bits = mask();
    for (int fan = 0; fan < fanCount_; ++fan) {
        bool touched = false;
        std::string bytes;
        const KeyInfo* mode = find(SMCSim::FanKey::name(fan, "Md"));
        const bool modeForced = mode && data(*mode, bytes) == kIOReturnSuccess && !bytes.empty() &&
                                bytes[0] != 0;
        if (forced_.contains(fan) || modeForced || (bits && ((*bits >> fan) & 1)))
            touched = writeManual(fan, false) == kIOReturnSuccess;
        const auto start = startMinimum_.find(fan);
        const KeyInfo* minimum = find(SMCSim::FanKey::name(fan, "Mn"));
        if (start != startMinimum_.end() && minimum && data(*minimum, bytes) == kIOReturnSuccess &&
            bytes != start->second)
            if (const auto rpm = wholeRPM(minimum->type, valueBytes(start->second)))
                touched |= files_->write(fanFile(fan, "min"), std::to_string(*rpm)) == 0;
        if (touched)
            written.push_back(fan);
    }
    return written;
}

} // namespace IOKit
