#pragma once

#include <QString>
#include <memory>

#include "platform/SettingsStore.h"

class QSettings;

namespace curvana {

// The settings store in a QSettings file: the user's own (organisation "Morvane", application
// "Curvana") or one named by its path. The key \Software\Morvane\Curvana is the file itself.
// Integers are written as integers and strings as strings; a value read as an integer whose text is
// not a 32-bit decimal integer, or read as a string that is a list or anything else but text, is of
// the wrong type.
class QtSettingsStore : public SettingsStore {
  public:
    QtSettingsStore();
    explicit QtSettingsStore(QString fileName);
    ~QtSettingsStore() override;

    QString FileName() const { return fileName_; }

    bool OpenKey(const std::string& key, bool canCreate) override;
    // Writes what was changed to the file; a file that cannot be written throws SettingsError.
    void CloseKey() override;
    bool ValueExists(const std::string& name) const override;
    std::int32_t ReadInteger(const std::string& name) const override;
    std::string ReadString(const std::string& name) const override;
    void WriteInteger(const std::string& name, std::int32_t value) override;
    void WriteString(const std::string& name, const std::string& value) override;

  private:
    QSettings& Open() const;

    QString fileName_;
    std::unique_ptr<QSettings> settings_;
};

}  // namespace curvana
