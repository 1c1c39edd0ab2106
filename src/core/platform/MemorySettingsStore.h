#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>

#include "platform/SettingsStore.h"

namespace curvana {

// A settings store held in memory, with the stored types kept apart as the real store keeps them.
class MemorySettingsStore : public SettingsStore {
  public:
    using Value = std::variant<std::int32_t, std::string>;

    bool OpenKey(const std::string& key, bool canCreate) override;
    void CloseKey() override;
    bool ValueExists(const std::string& name) const override;
    std::int32_t ReadInteger(const std::string& name) const override;
    std::string ReadString(const std::string& name) const override;
    void WriteInteger(const std::string& name, std::int32_t value) override;
    void WriteString(const std::string& name, const std::string& value) override;

    // For tests: whether keys can be opened at all, and direct access to the stored values.
    void SetAvailable(bool available) { available_ = available; }
    bool KeyExists(const std::string& key) const { return keys_.count(key) != 0; }
    std::optional<Value> Get(const std::string& key, const std::string& name) const;
    void Put(const std::string& key, const std::string& name, Value value) {
        keys_[key][name] = std::move(value);
    }

  private:
    const Value* Find(const std::string& name) const;
    std::map<std::string, Value>& OpenValues();

    std::map<std::string, std::map<std::string, Value>> keys_;
    std::optional<std::string> open_;
    bool available_ = true;
};

}  // namespace curvana
