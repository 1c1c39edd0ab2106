#include "app/QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <limits>

namespace curvana {

namespace {

QString Name(const std::string& name) {
    return QString::fromStdString(name);
}

// A 32-bit integer in decimal, as the store writes it: an optional sign and digits, nothing else.
bool ParseInt32(const QString& text, std::int32_t& value) {
    if (text.isEmpty() || text.size() > 12) return false;
    qsizetype i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size()) return false;
    for (qsizetype k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return false;
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return false;
    value = std::int32_t(v);
    return true;
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : fileName_(QSettings(QSettings::NativeFormat, QSettings::UserScope, "Morvane", "Curvana").fileName()) {}

QtSettingsStore::QtSettingsStore(QString fileName) : fileName_(std::move(fileName)) {}

QtSettingsStore::~QtSettingsStore() = default;

bool QtSettingsStore::OpenKey(const std::string& key, bool canCreate) {
    settings_.reset();
    if (key != kSettingsKey) return false;
    if (!QFileInfo::exists(fileName_)) {
        if (!canCreate) return false;
        const QFileInfo info(fileName_);
        if (!QDir().mkpath(info.absolutePath())) return false;
        QFile file(fileName_);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    }
    settings_ = std::make_unique<QSettings>(fileName_, QSettings::IniFormat);
    return true;
}

void QtSettingsStore::CloseKey() {
    if (!settings_) return;
    std::unique_ptr<QSettings> settings = std::move(settings_);
    settings->sync();
    if (settings->status() == QSettings::AccessError)
        throw SettingsError("Cannot write the settings file " + fileName_.toStdString());
}

QSettings& QtSettingsStore::Open() const {
    if (!settings_) throw SettingsError("No settings key is open");
    return *settings_;
}

bool QtSettingsStore::ValueExists(const std::string& name) const {
    return settings_ && settings_->contains(Name(name));
}

std::int32_t QtSettingsStore::ReadInteger(const std::string& name) const {
    const QVariant value = Open().value(Name(name));
    std::int32_t result = 0;
    switch (value.typeId()) {
        case QMetaType::Int:
            return value.toInt();
        case QMetaType::QString:
            if (ParseInt32(value.toString(), result)) return result;
            break;
        default:
            break;
    }
    throw InvalidDataType(name);
}

std::string QtSettingsStore::ReadString(const std::string& name) const {
    const QVariant value = Open().value(Name(name));
    if (value.typeId() != QMetaType::QString) throw InvalidDataType(name);
    return value.toString().toStdString();
}

void QtSettingsStore::WriteInteger(const std::string& name, std::int32_t value) {
    Open().setValue(Name(name), int(value));
}

void QtSettingsStore::WriteString(const std::string& name, const std::string& value) {
    Open().setValue(Name(name), QString::fromStdString(value));
}

}  // namespace curvana
