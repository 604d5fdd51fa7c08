#include "Classes/Sensors/SMC.h"

#include "Classes/Sensors/SMCDataType.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/NumberText.h"
#include "Platform/Foundation/UTF8.h"
#include "Platform/SMC/FanKey.h"
#include "Platform/SMC/MachError.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

namespace Aerlo {

using Foundation::Console;
using Foundation::NumberText;

namespace {

// The SMC's result for a key it has but will not read.
constexpr std::uint8_t keyNotReadable = 0x85;

// A whole number held in a double, written without a fraction.
std::string wholeNumber(double value)
{
    char text[400];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 0).ptr);
}

bool allZero(const std::array<std::uint8_t, 32>& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

// The fan's key, or nothing (with a printed line) for an index without keys.
std::optional<std::string> checkedFanKey(int fan, std::string_view suffix)
{
    if (fan < 0 || fan > 9) {
        Console::print("Refused fan index " + NumberText::decimal(fan) + ": fans are numbered 0 to 9");
        return std::nullopt;
    }
    return SMC::fanKey(fan, suffix);
}

// The fan's key for writing `rpm`, or nothing (with a printed line) for a bad index or a speed below 0.
std::optional<std::string> speedKey(int fan, std::string_view suffix, int rpm)
{
    auto key = checkedFanKey(fan, suffix);
    if (key && rpm < 0) {
        Console::print("Refused fan speed " + NumberText::decimal(rpm) + ": below 0");
        return std::nullopt;
    }
    return key;
}

bool inRange(std::string_view key, int value, int high)
{
    if (value >= 0 && value <= high)
        return true;
    Console::print("Refused value " + NumberText::decimal(value) + " for " + SMC::latin1ToUTF8(key) + ": outside 0 to " +
                   NumberText::decimal(high));
    return false;
}

std::array<std::uint8_t, 4> floatBytes(float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return {std::uint8_t(bits), std::uint8_t(bits >> 8), std::uint8_t(bits >> 16), std::uint8_t(bits >> 24)};
}

bool isByteType(const std::string& type)
{
    return type == "hex_" || type == "ui8 ";
}

} // namespace

std::function<void(void* storage)> SMC::sharedMaker(std::shared_ptr<IOKit::ServiceRegistry> registry)
{
    return [registry = std::move(registry)](void* storage) {
        SMC* smc = registry ? new (storage) SMC(registry) : new (storage) SMC();
        smc->isShared_ = true;
    };
}

Foundation::SharedInstance<SMC>& SMC::sharedInstance()
{
    static Foundation::SharedInstance<SMC> instance(sharedMaker(nullptr));
    return instance;
}

SMC& SMC::shared()
{
    return sharedInstance().get();
}

void SMC::resetForTesting(std::shared_ptr<IOKit::ServiceRegistry> registry)
{
    sharedInstance().resetForTesting(sharedMaker(std::move(registry)));
}

std::string SMC::fanKey(int fan, std::string_view suffix)
{
    return SMCSim::FanKey::name(fan, suffix);
}

SMC::SMC() : SMC(IOKit::ServiceRegistry::defaultRegistry())
{
}

SMC::SMC(std::shared_ptr<IOKit::ServiceRegistry> registry) : registry_(std::move(registry))
{
    open();
}

SMC::~SMC()
{
    if (conn == 0)
        return;
    const kern_return_t result = close();
    if (result != IOKit::kIOReturnSuccess && !isShared_)
        Console::print("error close smc connection: " + errorText(result));
}

void SMC::open()
{
    conn = 0;
    forgetKeyInfo();
    const auto matching = registry_->serviceMatching("AppleSMC");
    IOKit::io_iterator_t iterator = 0;
    kern_return_t result = registry_->getMatchingServices(matching, iterator);
    if (result != IOKit::kIOReturnSuccess) {
        Console::print("Error IOServiceGetMatchingServices(): " + errorText(result));
        return;
    }
    const IOKit::io_service_t device = registry_->iteratorNext(iterator);
    registry_->objectRelease(iterator);
    if (device == 0) {
        Console::print("Error IOIteratorNext(): " + errorText(IOKit::kIOReturnSuccess));
        return;
    }
    result = registry_->serviceOpen(device, 0, conn);
    registry_->objectRelease(device);
    if (result != IOKit::kIOReturnSuccess) {
        conn = 0;
        Console::print("Error IOServiceOpen(): " + errorText(result));
    }
}

kern_return_t SMC::close()
{
    // The handle is spent whatever the code.
    const kern_return_t result = registry_->serviceClose(conn);
    conn = 0;
    forgetKeyInfo();
    return result;
}

std::uint32_t SMC::keyCode(std::string_view key)
{
    std::uint32_t code = 0;
    for (const char c : key)
        code = (code << 8) + static_cast<unsigned char>(c);
    return code;
}

std::string SMC::keyString(std::uint32_t code)
{
    return {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}

std::string SMC::errorText(kern_return_t code, std::string_view fallback)
{
    const std::string text = IOKit::machErrorString(code);
    const bool ascii = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x80;
    });
    return ascii ? text : std::string(fallback);
}

std::string SMC::latin1ToUTF8(std::string_view bytes)
{
    return Foundation::UTF8::fromLatin1(bytes);
}

kern_return_t SMC::call(const SMCKeyData& input, SMCKeyData& output)
{
    const SMCKeyData::Bytes in = input.serialise();
    SMCKeyData::Bytes out{};
    std::size_t outSize = out.size();
    const kern_return_t result = registry_->connectCallStructMethod(conn, IOKit::kSMCUserClientSelector, in.data(),
                                                                    in.size(), out.data(), &outSize);
    output = SMCKeyData::parse(out);
    const bool gone = result == IOKit::kIOReturnNoDevice;
    if (gone)
        forgetKeyInfo();
    if (gone != (outage_.load() != IOKit::kIOReturnSuccess)) {
        const kern_return_t before = outage_.exchange(gone ? result : IOKit::kIOReturnSuccess);
        if (gone && before == IOKit::kIOReturnSuccess)
            Console::print("The SMC cannot be read: " + errorText(result));
        else if (!gone && before != IOKit::kIOReturnSuccess)
            Console::print("The SMC can be read again.");
    }
    return result;
}

std::optional<kern_return_t> SMC::outage() const
{
    const kern_return_t code = outage_.load();
    return code == IOKit::kIOReturnSuccess ? std::nullopt : std::optional(code);
}

void SMC::printReadFailure(const std::string& line) const
{
    if (!outage())
        Console::print(line);
}

kern_return_t SMC::read(SMCVal& value)
{
    if (value.key.size() != 4)
        return IOKit::kIOReturnBadArgument;
    std::unique_lock lock(readScopeMutex_);
    // Another reader of the scope reading the key now: its result is this one's.
    readScopeChanged_.wait(lock, [&] {
        const auto found = sharedReads_.find(value.key);
        return found == sharedReads_.end() || found->second.done;
    });
    if (const auto found = sharedReads_.find(value.key); found != sharedReads_.end()) {
        value = found->second.value;
        return found->second.result;
    }
    if (readScopes_ > 0)
        sharedReads_.emplace(value.key, SharedRead {});
    lock.unlock();
    const kern_return_t result = readFromSMC(value);
    lock.lock();
    if (const auto found = sharedReads_.find(value.key); found != sharedReads_.end() && !found->second.done) {
        found->second = SharedRead {result, value, true};
        readScopeChanged_.notify_all();
    }
    return result;
}

kern_return_t SMC::readFromSMC(SMCVal& value)
{
    for (int attempt = 0;; ++attempt) {
        const std::uint64_t generation = registry_->connectionGeneration(conn);
        KeyInfo info;
        kern_return_t result = keyInfo(value.key, generation, info);
        if (result != IOKit::kIOReturnSuccess)
            return result;
        value.dataSize = info.dataSize;
        value.dataType = info.dataType;

        SMCKeyData input;
        SMCKeyData output;
        input.key = keyCode(value.key);
        input.dataSize = value.dataSize;
        input.command = static_cast<std::uint8_t>(SMCCommand::readBytes);
        result = call(input, output);
        // The SMC restarted under the read: its information may have changed.
        if (attempt == 0 && registry_->connectionGeneration(conn) != generation)
            continue;
        if (result != IOKit::kIOReturnSuccess)
            return result;
        std::copy_n(output.bytes.begin(), value.dataSize, value.bytes.begin());
        return IOKit::kIOReturnSuccess;
    }
}

kern_return_t SMC::keyInfo(const std::string& key, std::uint64_t generation, KeyInfo& info)
{
    {
        std::lock_guard lock(keyInfoMutex_);
        if (keyInfoGeneration_ != generation) {
            keyInfo_.clear();
            keyInfoGeneration_ = generation;
        } else if (const auto found = keyInfo_.find(key); found != keyInfo_.end()) {
            info = found->second;
            return IOKit::kIOReturnSuccess;
        }
    }
    SMCKeyData input;
    SMCKeyData output;
    input.key = keyCode(key);
    input.command = static_cast<std::uint8_t>(SMCCommand::readKeyInfo);
    const kern_return_t result = call(input, output);
    if (result != IOKit::kIOReturnSuccess)
        return result;
    if (output.result == keyNotReadable) {
        std::lock_guard lock(unreadableMutex_);
        unreadable_.insert(key);
    }
    // The record carries 32 value bytes; a larger reported size is held to that.
    info = KeyInfo {std::min<std::uint32_t>(output.dataSize, 32), keyString(output.dataType)};
    std::lock_guard lock(keyInfoMutex_);
    if (keyInfoGeneration_ == generation)
        keyInfo_.insert_or_assign(key, info);
    return IOKit::kIOReturnSuccess;
}

void SMC::forgetKeyInfo()
{
    std::lock_guard lock(keyInfoMutex_);
    keyInfo_.clear();
    // No generation: what an exchange under way learns is not kept either.
    keyInfoGeneration_ = std::numeric_limits<std::uint64_t>::max();
}

void SMC::openReadScope()
{
    std::lock_guard lock(readScopeMutex_);
    ++readScopes_;
}

void SMC::closeReadScope()
{
    std::lock_guard lock(readScopeMutex_);
    if (--readScopes_ == 0) {
        sharedReads_.clear();
        readScopeChanged_.notify_all();
    }
}

kern_return_t SMC::write(std::string_view key, std::uint32_t dataSize, const std::array<std::uint8_t, 32>& bytes)
{
    if (key.size() != 4 || dataSize > 32)
        return IOKit::kIOReturnBadArgument;
    SMCKeyData input;
    SMCKeyData output;
    input.key = keyCode(key);
    input.command = static_cast<std::uint8_t>(SMCCommand::writeBytes);
    input.dataSize = dataSize;
    input.bytes = bytes;
    {
        // A read of the key later in the scope sees what was written.
        std::lock_guard lock(readScopeMutex_);
        if (const auto found = sharedReads_.find(key); found != sharedReads_.end()) {
            sharedReads_.erase(found);
            readScopeChanged_.notify_all();
        }
    }
    return call(input, output);
}

std::optional<std::string> SMC::keyAtIndex(std::uint32_t index)
{
    SMCKeyData input;
    SMCKeyData output;
    input.command = static_cast<std::uint8_t>(SMCCommand::readIndex);
    input.data32 = index;
    if (call(input, output) != IOKit::kIOReturnSuccess)
        return std::nullopt;
    return keyString(output.key);
}

std::optional<double> SMC::getValue(std::string_view key)
{
    SMCVal value;
    value.key = std::string(key);
    const kern_return_t result = read(value);
    if (result != IOKit::kIOReturnSuccess) {
        if (result == IOKit::kIOReturnBadArgument) {
            std::lock_guard lock(unreadableMutex_);
            unreadable_.emplace(key);
        }
        printReadFailure("Error read(" + latin1ToUTF8(key) + "): " + errorText(result));
        return std::nullopt;
    }
    if (value.dataSize == 0)
        return std::nullopt;
    // Every fan's mode byte holds a real 0 (a Mac Pro's fans 2 and 3 are forced as fans 0 and 1 are).
    if (allZero(value.bytes) && key != "FS! " && !SMCSim::FanKey::fanOf(key, "Md"))
        return std::nullopt;
    const auto type = smcDataType(value.dataType);
    const auto number = type ? decodeSMCValue(*type, value.bytes) : std::nullopt;
    if (number && key.starts_with('T') && *number <= noSensorTemperature)
        return std::nullopt;
    return number;
}

bool SMC::isUnreadable(std::string_view key) const
{
    std::lock_guard lock(unreadableMutex_);
    return unreadable_.find(key) != unreadable_.end();
}

std::optional<std::string> SMC::getStringValue(std::string_view key)
{
    SMCVal value;
    value.key = std::string(key);
    const kern_return_t result = read(value);
    if (result != IOKit::kIOReturnSuccess) {
        printReadFailure("Error read(): " + errorText(result));
        return std::nullopt;
    }
    if (value.dataSize == 0 || allZero(value.bytes))
        return std::nullopt;
    if (value.dataType != "{fds") {
        Console::print("unsupported data type " + latin1ToUTF8(value.dataType) + " for key: " + latin1ToUTF8(key));
        return std::nullopt;
    }
    // Trim the tab and the space separators of U+0000..U+00FF (space, no-break space); line breaks and
    // NULs stay.
    auto isBlank = [](std::uint8_t b) { return b == 0x09 || b == 0x20 || b == 0xA0; };
    auto first = value.bytes.begin() + 4;
    auto last = value.bytes.begin() + 16;
    while (first != last && isBlank(*first))
        ++first;
    while (last != first && isBlank(*(last - 1)))
        --last;
    return latin1ToUTF8(std::string(first, last));
}

std::vector<std::string> SMC::getAllKeys()
{
    const auto count = getValue("#KEY");
    if (!count || !std::isfinite(*count) || *count < 0) {
        Console::print("错误：未找到键的数量");
        return {};
    }
    const auto n = static_cast<std::uint32_t>(std::min(std::trunc(*count), double(maxKeyCount)));
    std::vector<std::string> keys;
    keys.reserve(n);
    for (std::uint32_t index = 0; index < n; ++index)
        if (auto key = keyAtIndex(index))
            keys.push_back(std::move(*key));
    return keys;
}

void SMC::setFanMode(int fan, FanMode mode)
{
    const auto modeKey = checkedFanKey(fan, FanKeySuffix::mode);
    if (!modeKey)
        return;
    const int raw = static_cast<int>(mode);
    if (raw != 0 && raw != 1) {
        Console::print("Refused fan mode " + NumberText::decimal(raw) + ": expected 0 or 1");
        return;
    }

    if (getValue(*modeKey)) {
        SMCVal value;
        value.key = *modeKey;
        kern_return_t result = read(value);
        if (result != IOKit::kIOReturnSuccess) {
            Console::print("Error read fan mode: " + errorText(result));
            return;
        }
        std::array<std::uint8_t, 32> bytes{};
        bytes[0] = static_cast<std::uint8_t>(raw);
        result = write(*modeKey, value.dataSize, bytes);
        if (result != IOKit::kIOReturnSuccess) {
            Console::print("Error write: " + errorText(result));
            return;
        }
    }

    // Forced mask: bit i is fan i; the other fans' bits stay.
    const auto current = getValue("FS! ");
    const std::uint32_t x = current && std::isfinite(*current) && *current >= 0 && *current <= 0xFFFF
                                ? static_cast<std::uint32_t>(std::trunc(*current))
                                : 0;
    const std::uint32_t bit = 1u << fan;
    const std::uint32_t t = mode == FanMode::forced ? (x | bit) : (x & ~bit);
    if (t == x)
        return;
    SMCVal mask;
    mask.key = "FS! ";
    kern_return_t result = read(mask);
    if (result != IOKit::kIOReturnSuccess) {
        Console::print("Error read fan mode: " + errorText(result));
        return;
    }
    std::array<std::uint8_t, 32> bytes{};
    bytes[0] = static_cast<std::uint8_t>(t >> 8);
    bytes[1] = static_cast<std::uint8_t>(t & 0xFF);
    result = write("FS! ", mask.dataSize, bytes);
    if (result != IOKit::kIOReturnSuccess)
        Console::print("Error write: " + errorText(result));
}

void SMC::setFanSpeed(int fan, int rpm)
{
    const auto maxKey = speedKey(fan, FanKeySuffix::maximumSpeed, rpm);
    if (!maxKey)
        return;
    const auto readMax = getValue(*maxKey);
    const double max = readMax && std::isfinite(*readMax) ? std::trunc(*readMax) : 4000;
    if (rpm > max) {
        Console::print("新风扇转速 (" + NumberText::decimal(rpm) + ") 超过了最大转速 (" + wholeNumber(max) + ")");
        return;
    }

    SMCVal value;
    value.key = fanKey(fan, FanKeySuffix::targetSpeed);
    kern_return_t result = read(value);
    if (result != IOKit::kIOReturnSuccess) {
        Console::print("读取风扇值时出错: " + errorText(result, "未知错误"));
        return;
    }
    if (value.dataType == "flt ") {
        const auto bytes = floatBytes(static_cast<float>(rpm));
        std::copy(bytes.begin(), bytes.end(), value.bytes.begin());
    } else if (value.dataType == "fpe2") {
        if (rpm > 16383) {
            Console::print("Refused fan speed " + NumberText::decimal(rpm) + ": above 16383, the fpe2 limit");
            return;
        }
        value.bytes[0] = static_cast<std::uint8_t>(rpm >> 6);
        value.bytes[1] = static_cast<std::uint8_t>((rpm % 64) << 2);
        value.bytes[2] = 0;
        value.bytes[3] = 0;
    }
    result = write(value.key, value.dataSize, value.bytes);
    if (result != IOKit::kIOReturnSuccess)
        Console::print("写入时出错: " + errorText(result, "未知错误"));
}

void SMC::resetFanControl()
{
    const kern_return_t result = write("FS! ", 2, {});
    if (result != IOKit::kIOReturnSuccess)
        Console::print("Error write: " + errorText(result));
}

kern_return_t SMC::writeFpe2(std::string_view key, int value)
{
    if (!inRange(key, value, 16383))
        return IOKit::kIOReturnBadArgument;
    std::array<std::uint8_t, 32> bytes{};
    bytes[0] = static_cast<std::uint8_t>(value >> 6);
    bytes[1] = static_cast<std::uint8_t>((value << 2) & 0xFF);
    return write(key, 2, bytes);
}

bool SMC::writeFanKeyChecked(std::string_view key, int value)
{
    if (!inRange(key, value, 255))
        return false;
    SMCVal current;
    current.key = std::string(key);
    if (read(current) != IOKit::kIOReturnSuccess || current.dataSize == 0)
        return false;
    current.bytes[0] = static_cast<std::uint8_t>(value);
    return write(key, current.dataSize, current.bytes) == IOKit::kIOReturnSuccess;
}

bool SMC::writeFanKey(std::string_view key, const std::vector<std::uint8_t>& bytes)
{
    SMCVal current;
    current.key = std::string(key);
    if (read(current) != IOKit::kIOReturnSuccess || current.dataSize == 0)
        return false;
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 32), current.bytes.begin());
    return write(key, current.dataSize, current.bytes) == IOKit::kIOReturnSuccess;
}

void SMC::writeFanKeyBytes(int fan, int rpm)
{
    const auto targetKey = speedKey(fan, FanKeySuffix::targetSpeed, rpm);
    if (!targetKey)
        return;
    const auto bytes = floatBytes(static_cast<float>(rpm));
    static_cast<void>(writeFanKey(*targetKey, {bytes.begin(), bytes.end()})); // this writer reports nothing
}

bool SMC::writeWithRetry(std::string_view key, int value)
{
    if (!inRange(key, value, 255))
        return false;
    return writeFanKeyChecked(key, value) || writeFanKeyChecked(key, value);
}

bool SMC::probeChargeKey()
{
    SMCVal value;
    value.key = "CH0B";
    const kern_return_t result = read(value);
    if (result != IOKit::kIOReturnSuccess) {
        Console::print("Error read fan value: " + errorText(result));
        return false;
    }
    return true;
}

std::optional<int> SMC::readByteValue(std::string_view key)
{
    SMCVal value;
    value.key = std::string(key);
    const kern_return_t result = read(value);
    if (result != IOKit::kIOReturnSuccess) {
        Console::print("Error read fan value: " + errorText(result));
        return std::nullopt;
    }
    if (!isByteType(value.dataType))
        return std::nullopt;
    Console::print("intValue " + NumberText::decimal(value.bytes[0]));
    return value.bytes[0];
}

void SMC::writeBytesValue(std::string_view key, int newValue)
{
    SMCVal value;
    value.key = std::string(key);
    kern_return_t result = read(value);
    if (result != IOKit::kIOReturnSuccess) {
        Console::print("Error read fan value: " + errorText(result));
        return;
    }
    Console::print("设置电池状态数值 " + NumberText::decimal(newValue));
    if (isByteType(value.dataType)) {
        if (!inRange(key, newValue, 255))
            return;
        Console::print("bytes " + NumberText::decimal(newValue));
        value.bytes[0] = static_cast<std::uint8_t>(newValue);
    }
    result = write(key, value.dataSize, value.bytes);
    if (result != IOKit::kIOReturnSuccess)
        Console::print("Error read fan value: " + errorText(result));
}

} // namespace Aerlo
