#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace curvana {

// The per-user key under which the program keeps its settings.
inline constexpr const char* kSettingsKey = "\\Software\\Morvane\\Curvana";

// A failure of the settings store, with the text the program shows.
class SettingsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The per-user settings store: one key at a time, holding named 32-bit integers and strings.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    // Opens the key; when it does not exist, creates it if canCreate is set, else fails.
    virtual bool OpenKey(const std::string& key, bool canCreate) = 0;
    virtual void CloseKey() = 0;
    virtual bool ValueExists(const std::string& name) const = 0;
    // Reading a value that is missing or of another type fails with "Invalid data type for 'name'".
    virtual std::int32_t ReadInteger(const std::string& name) const = 0;
    virtual std::string ReadString(const std::string& name) const = 0;
    virtual void WriteInteger(const std::string& name, std::int32_t value) = 0;
    virtual void WriteString(const std::string& name, const std::string& value) = 0;

  protected:
    static SettingsError InvalidDataType(const std::string& name) {
        return SettingsError("Invalid data type for '" + name + "'");
    }
};

}  // namespace curvana
