#include "platform/MemorySettingsStore.h"

namespace curvana {

bool MemorySettingsStore::OpenKey(const std::string& key, bool canCreate) {
    if (!available_ || (!canCreate && keys_.count(key) == 0)) return false;
    keys_[key];
    open_ = key;
    return true;
}

void MemorySettingsStore::CloseKey() {
    open_.reset();
}

const MemorySettingsStore::Value* MemorySettingsStore::Find(const std::string& name) const {
    if (!open_) return nullptr;
    auto key = keys_.find(*open_);
    if (key == keys_.end()) return nullptr;
    auto value = key->second.find(name);
    return value == key->second.end() ? nullptr : &value->second;
}

std::map<std::string, MemorySettingsStore::Value>& MemorySettingsStore::OpenValues() {
    if (!open_) throw SettingsError("No settings key is open");
    return keys_[*open_];
}

bool MemorySettingsStore::ValueExists(const std::string& name) const {
    return Find(name) != nullptr;
}

std::int32_t MemorySettingsStore::ReadInteger(const std::string& name) const {
    const Value* value = Find(name);
    if (!value || !std::holds_alternative<std::int32_t>(*value)) throw InvalidDataType(name);
    return std::get<std::int32_t>(*value);
}

std::string MemorySettingsStore::ReadString(const std::string& name) const {
    const Value* value = Find(name);
    if (!value || !std::holds_alternative<std::string>(*value)) throw InvalidDataType(name);
    return std::get<std::string>(*value);
}

void MemorySettingsStore::WriteInteger(const std::string& name, std::int32_t value) {
    OpenValues()[name] = value;
}

void MemorySettingsStore::WriteString(const std::string& name, const std::string& value) {
    OpenValues()[name] = value;
}

std::optional<MemorySettingsStore::Value> MemorySettingsStore::Get(const std::string& key,
                                                                   const std::string& name) const {
    auto k = keys_.find(key);
    if (k == keys_.end()) return std::nullopt;
    auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    return v->second;
}

}  // namespace curvana
