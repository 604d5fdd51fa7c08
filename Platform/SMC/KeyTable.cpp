#include "Platform/SMC/KeyTable.h"

#include <algorithm>
#include <iterator>

namespace SMCSim {

namespace {

// std::string compares bytes as unsigned, which is key-code order for four-byte keys.
auto lowerBound(auto& entries, std::string_view key)
{
    return std::lower_bound(entries.begin(), entries.end(), key,
                            [](const KeyEntry& entry, std::string_view k) { return std::string_view(entry.key) < k; });
}

} // namespace

const KeyEntry* KeyTable::at(std::size_t index) const { return index < entries_.size() ? &entries_[index] : nullptr; }

const KeyEntry* KeyTable::find(std::string_view key) const
{
    auto it = lowerBound(entries_, key);
    return it != entries_.end() && it->key == key ? &*it : nullptr;
}

KeyEntry* KeyTable::find(std::string_view key)
{
    auto it = lowerBound(entries_, key);
    return it != entries_.end() && it->key == key ? &*it : nullptr;
}

void KeyTable::upsert(KeyEntry entry)
{
    auto it = lowerBound(entries_, entry.key);
    if (it != entries_.end() && it->key == entry.key)
        *it = std::move(entry);
    else
        entries_.insert(it, std::move(entry));
    refreshKeyCount();
}

void KeyTable::upsertAll(std::vector<KeyEntry> entries)
{
    // One sort and one merge instead of an insertion per key: large tables load in linear time.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const KeyEntry& a, const KeyEntry& b) { return a.key < b.key; });
    std::vector<KeyEntry> merged;
    merged.reserve(entries_.size() + entries.size());
    auto old = entries_.begin();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (std::next(it) != entries.end() && std::next(it)->key == it->key)
            continue; // the later of equal keys wins
        while (old != entries_.end() && old->key < it->key)
            merged.push_back(std::move(*old++));
        if (old != entries_.end() && old->key == it->key)
            ++old;
        merged.push_back(std::move(*it));
    }
    std::move(old, entries_.end(), std::back_inserter(merged));
    entries_ = std::move(merged);
    refreshKeyCount();
}

bool KeyTable::remove(std::string_view key)
{
    auto it = lowerBound(entries_, key);
    if (it == entries_.end() || it->key != key)
        return false;
    entries_.erase(it);
    refreshKeyCount();
    return true;
}

std::optional<double> KeyTable::value(std::string_view key) const
{
    const KeyEntry* entry = find(key);
    return entry ? ValueCodec::decode(entry->type, entry->bytes) : std::nullopt;
}

bool KeyTable::setValue(std::string_view key, double value)
{
    KeyEntry* entry = find(key);
    if (!entry)
        return false;
    const auto bytes = ValueCodec::encode(entry->type, value);
    if (!bytes)
        return false;
    entry->bytes = *bytes;
    return true;
}

void KeyTable::setAutoKeyCount(bool on)
{
    autoKeyCount_ = on;
    refreshKeyCount();
}

void KeyTable::refreshKeyCount()
{
    if (!autoKeyCount_)
        return;
    if (KeyEntry* count = find("#KEY"))
        if (auto bytes = ValueCodec::encode(count->type, static_cast<double>(entries_.size())))
            count->bytes = *bytes;
}

} // namespace SMCSim
