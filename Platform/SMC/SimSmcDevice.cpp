#include "Platform/SMC/SimSmcDevice.h"

#include "Platform/SMC/MachineProfile.h"
#include "Platform/SMC/SMCRecordFields.h"

#include <algorithm>

namespace SMCSim {

using namespace IOKit::SMCRecordFields;

SimSmcDevice::SimSmcDevice(KeyTable keys, DeviceSettings settings, Foundation::Clock& clock)
    : keys_(std::move(keys)), settings_(std::move(settings)), clock_(clock), start_(clock.now())
{
}

SimSmcDevice::SimSmcDevice(const MachineProfile& profile, Foundation::Clock& clock)
    : SimSmcDevice(profile.keys, profile.device, clock)
{
}

kern_return_t SimSmcDevice::open(std::uint32_t type, bool privileged, std::uint32_t& connection)
{
    std::lock_guard lock(mutex_);
    connection = 0;
    if (settings_.openFailure != IOKit::kIOReturnSuccess)
        return settings_.openFailure;
    if (type != 0)
        return IOKit::kIOReturnUnsupported;
    connection = ++lastConnection_;
    connections_.emplace(connection, privileged);
    ++opens_;
    return IOKit::kIOReturnSuccess;
}

kern_return_t SimSmcDevice::close(std::uint32_t connection)
{
    std::lock_guard lock(mutex_);
    if (!connections_.contains(connection))
        return IOKit::MACH_SEND_INVALID_DEST;
    if (settings_.closeFailure != IOKit::kIOReturnSuccess)
        return settings_.closeFailure;
    connections_.erase(connection);
    ++closes_;
    return IOKit::kIOReturnSuccess;
}

kern_return_t SimSmcDevice::call(std::uint32_t connection, std::uint32_t selector, const IOKit::SMCRecord& input,
                                 IOKit::SMCRecord& output)
{
    std::lock_guard lock(mutex_);
    Exchange request;
    request.connection = connection;
    request.thread = std::this_thread::get_id();
    request.selector = selector;
    request.command = input[commandOffset];
    request.index = loadLE(input, data32Offset);
    request.dataSize = loadLE(input, dataSizeOffset);
    std::copy_n(input.begin() + bytesOffset, 32, request.bytes.begin());
    if (request.command != kCommandKeyAtIndex)
        request.key = fourCC(loadLE(input, keyOffset));
    request.time = clock_.now() - start_;

    output.fill(0);
    Reply reply;
    auto known = connections_.find(connection);
    if (known == connections_.end()) {
        reply.result = IOKit::MACH_SEND_INVALID_DEST;
    } else {
        request.privileged = known->second;
        if (selector != IOKit::kSMCUserClientSelector)
            reply.result = IOKit::kIOReturnBadArgument;
        else if (auto fault = takeFault(request))
            reply.result = *fault;
        else
            reply = execute(request.privileged, request, output);
    }
    if (reply.result != IOKit::kIOReturnSuccess)
        output.fill(0);
    output[resultOffset] = reply.smcResult;

    request.result = reply.result;
    request.smcResult = reply.smcResult;
    ++counts_[request.command];
    ++total_;
    log_.push_back(std::move(request));
    if (log_.size() > logCapacity)
        log_.pop_front();
    return reply.result;
}

SimSmcDevice::Reply SimSmcDevice::missingKey() const
{
    if (settings_.missingKeyPolicy == MissingKeyPolicy::kernelError)
        return {settings_.missingKeyCode, 0};
    return {IOKit::kIOReturnSuccess, kSMCKeyNotFound};
}

std::optional<kern_return_t> SimSmcDevice::takeFault(const Exchange& request)
{
    auto& faults = settings_.faults;
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->times == 0 || (it->command && *it->command != request.command))
            continue;
        if (request.command == kCommandKeyAtIndex ? (it->key.has_value() || (it->index && *it->index != request.index))
                                                  : (it->index.has_value() || (it->key && *it->key != request.key)))
            continue;
        const kern_return_t code = it->code;
        if (it->times > 0 && --it->times == 0)
            faults.erase(it);
        return code;
    }
    return std::nullopt;
}

void SimSmcDevice::refreshValue(KeyEntry& entry, double time)
{
    std::optional<double> value;
    if (!entry.script.empty()) {
        for (const auto& [from, scripted] : entry.script)
            if (time >= from)
                value = scripted;
    }
    if (!value && dynamicValues_)
        value = dynamicValues_->valueFor(entry.key, keys_, time);
    if (value)
        if (auto bytes = ValueCodec::encode(entry.type, *value))
            entry.bytes = *bytes;
}

SimSmcDevice::Reply SimSmcDevice::execute(bool privileged, const Exchange& request, IOKit::SMCRecord& output)
{
    switch (request.command) {
    case kCommandKeyInfo: {
        const KeyEntry* entry = keys_.find(request.key);
        if (!entry)
            return missingKey();
        storeLE(output, dataSizeOffset, entry->size);
        storeLE(output, dataTypeOffset, fourCC(entry->type));
        output[attributesOffset] = entry->attributes();
        return {};
    }
    case kCommandReadBytes: {
        KeyEntry* entry = keys_.find(request.key);
        if (!entry)
            return missingKey();
        if (entry->readRefused())
            return {entry->readFailure, entry->readResult};
        refreshValue(*entry, request.time);
        const std::size_t count = std::min<std::size_t>({request.dataSize, entry->size, 32});
        std::copy_n(entry->bytes.begin(), count, output.begin() + bytesOffset);
        return {};
    }
    case kCommandWriteBytes: {
        if (!privileged)
            return {IOKit::kIOReturnNotPrivileged, 0};
        KeyEntry* entry = keys_.find(request.key);
        if (!entry)
            return missingKey();
        if (!entry->writable) {
            if (settings_.strictWrites)
                return {IOKit::kIOReturnBadArgument, 0};
            return {IOKit::kIOReturnSuccess, kSMCNotWritable};
        }
        if (request.dataSize != entry->size)
            return {IOKit::kIOReturnSuccess, kSMCBadSize};
        const std::size_t count = std::min<std::size_t>(entry->size, 32);
        std::copy_n(request.bytes.begin(), count, entry->bytes.begin());
        entry->script.clear();
        if (dynamicValues_)
            dynamicValues_->keyWritten(entry->key, keys_, request.time);
        return {};
    }
    case kCommandKeyAtIndex: {
        const KeyEntry* entry = keys_.at(request.index);
        if (!entry)
            return {IOKit::kIOReturnBadArgument, 0};
        storeLE(output, keyOffset, fourCC(entry->key));
        return {};
    }
    default:
        return {IOKit::kIOReturnUnsupported, 0};
    }
}

void SimSmcDevice::setOpenFailure(kern_return_t code)
{
    std::lock_guard lock(mutex_);
    settings_.openFailure = code;
}

void SimSmcDevice::setCloseFailure(kern_return_t code)
{
    std::lock_guard lock(mutex_);
    settings_.closeFailure = code;
}

void SimSmcDevice::setMissingKeyPolicy(MissingKeyPolicy policy, kern_return_t code)
{
    std::lock_guard lock(mutex_);
    settings_.missingKeyPolicy = policy;
    settings_.missingKeyCode = code;
}

void SimSmcDevice::setStrictWrites(bool strict)
{
    std::lock_guard lock(mutex_);
    settings_.strictWrites = strict;
}

void SimSmcDevice::addFault(FaultRule rule)
{
    std::lock_guard lock(mutex_);
    settings_.faults.push_back(std::move(rule));
}

void SimSmcDevice::clearFaults()
{
    std::lock_guard lock(mutex_);
    settings_.faults.clear();
}

void SimSmcDevice::setDynamicValues(std::shared_ptr<DynamicValues> values)
{
    std::lock_guard lock(mutex_);
    dynamicValues_ = std::move(values);
}

std::optional<KeyEntry> SimSmcDevice::entry(std::string_view key) const
{
    std::lock_guard lock(mutex_);
    const KeyEntry* found = keys_.find(key);
    return found ? std::optional<KeyEntry>(*found) : std::nullopt;
}

std::vector<KeyEntry> SimSmcDevice::entries() const
{
    std::lock_guard lock(mutex_);
    return keys_.entries();
}

std::optional<double> SimSmcDevice::value(std::string_view key) const
{
    std::lock_guard lock(mutex_);
    return keys_.value(key);
}

bool SimSmcDevice::setValue(std::string_view key, double value)
{
    std::lock_guard lock(mutex_);
    KeyEntry* found = keys_.find(key);
    if (found)
        found->script.clear();
    return keys_.setValue(key, value);
}

bool SimSmcDevice::setBytes(std::string_view key, const ValueBytes& bytes)
{
    std::lock_guard lock(mutex_);
    KeyEntry* found = keys_.find(key);
    if (!found)
        return false;
    found->bytes = bytes;
    found->script.clear();
    return true;
}

void SimSmcDevice::upsertKey(KeyEntry entry)
{
    std::lock_guard lock(mutex_);
    keys_.upsert(std::move(entry));
}

bool SimSmcDevice::removeKey(std::string_view key)
{
    std::lock_guard lock(mutex_);
    return keys_.remove(key);
}

void SimSmcDevice::editKeys(const std::function<void(KeyTable&)>& edit)
{
    std::lock_guard lock(mutex_);
    edit(keys_);
}

std::vector<Exchange> SimSmcDevice::exchanges() const
{
    std::lock_guard lock(mutex_);
    return {log_.begin(), log_.end()};
}

std::vector<Exchange> SimSmcDevice::exchanges(std::uint8_t command) const
{
    std::lock_guard lock(mutex_);
    std::vector<Exchange> matching;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(matching),
                 [command](const Exchange& e) { return e.command == command; });
    return matching;
}

std::size_t SimSmcDevice::exchangeCount() const
{
    std::lock_guard lock(mutex_);
    return total_;
}

std::size_t SimSmcDevice::exchangeCount(std::uint8_t command) const
{
    std::lock_guard lock(mutex_);
    auto it = counts_.find(command);
    return it == counts_.end() ? 0 : it->second;
}

std::size_t SimSmcDevice::openCount() const
{
    std::lock_guard lock(mutex_);
    return opens_;
}

std::size_t SimSmcDevice::closeCount() const
{
    std::lock_guard lock(mutex_);
    return closes_;
}

std::size_t SimSmcDevice::openConnections() const
{
    std::lock_guard lock(mutex_);
    return connections_.size();
}

void SimSmcDevice::resetLog()
{
    std::lock_guard lock(mutex_);
    log_.clear();
    counts_.clear();
    total_ = opens_ = closes_ = 0;
}

double SimSmcDevice::now() const { return clock_.now() - start_; }

} // namespace SMCSim
