#include "app/StartupSettings.h"

namespace curvana {

namespace {

// Keeps the settings key open for a scope.
class OpenKey {
  public:
    OpenKey(SettingsStore& store, bool canCreate) : store_(store) {
        opened_ = store_.OpenKey(kSettingsKey, canCreate);
    }
    ~OpenKey() {
        try {
            Close();
        } catch (const SettingsError&) {  // already failing on another path, or only read from
        }
    }
    // Closes the key; a store that keeps its values in a file reports a failed write here.
    void Close() {
        if (!opened_) return;
        opened_ = false;
        store_.CloseKey();
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    explicit operator bool() const { return opened_; }

  private:
    SettingsStore& store_;
    bool opened_ = false;
};

void ReadValues(const SettingsStore& store, StartupSettings& s) {
    if (store.ValueExists("SigDigits")) s.SigDigits = store.ReadInteger("SigDigits");
    if (store.ValueExists("MSize")) s.MSize = store.ReadInteger("MSize");
    if (store.ValueExists("QuickStart") && store.ReadInteger("QuickStart") != 0) s.ShowQuickStart = false;
    for (int k = 1; k <= RecentFiles::kCount; ++k) {
        const std::string name = "file" + std::to_string(k);
        if (!store.ValueExists(name)) break;
        s.MFiles.SetEntry(k, store.ReadString(name));
    }
    if (!store.ValueExists("state")) return;
    s.state = store.ReadInteger("state");
    if (*s.state != 0) return;
    if (store.ValueExists("top")) s.top = store.ReadInteger("top");
    if (store.ValueExists("left")) s.left = store.ReadInteger("left");
    if (store.ValueExists("width")) s.width = store.ReadInteger("width");
    if (store.ValueExists("height")) s.height = store.ReadInteger("height");
}

// A value whose failure to read harms nothing else: empty when it is missing or not an integer.
std::optional<std::int32_t> ReadOnItsOwn(const SettingsStore& store, const std::string& name) {
    try {
        if (store.ValueExists(name)) return store.ReadInteger(name);
    } catch (const SettingsError&) {  // the default applies
    }
    return std::nullopt;
}

}  // namespace

StartupSettings ReadStartupSettings(SettingsStore& store) {
    StartupSettings s;
    OpenKey key(store, true);
    if (!key) return s;
    s.keyOpened = true;
    try {
        ReadValues(store, s);
    } catch (const SettingsError& e) {
        s.error = e.what();
    }
    s.PanelWidth = ReadOnItsOwn(store, "PanelWidth");
    s.OpenFilter = ReadOnItsOwn(store, "OpenFilter");
    s.PdfDpi = ReadOnItsOwn(store, "PdfDpi");
    s.TraceStep = ReadOnItsOwn(store, "TraceStep");
    s.TraceTolerance = ReadOnItsOwn(store, "TraceTolerance");
    s.TraceGap = ReadOnItsOwn(store, "TraceGap");
    return s;
}

bool WriteClosingSettings(SettingsStore& store, const RecentFiles& files, const WindowPlacement& placement,
                          const OpenChoices& choices) {
    OpenKey key(store, true);
    if (!key) return false;
    for (int k = 1; k <= RecentFiles::kCount; ++k)
        store.WriteString("file" + std::to_string(k), files.Entry(k));
    store.WriteInteger("top", placement.top);
    store.WriteInteger("left", placement.left);
    store.WriteInteger("width", placement.width);
    store.WriteInteger("height", placement.height);
    store.WriteInteger("state", placement.state);
    store.WriteInteger("PanelWidth", placement.panelWidth);
    store.WriteInteger("OpenFilter", choices.openFilter);
    store.WriteInteger("PdfDpi", choices.pdfDpi);
    key.Close();
    return true;
}

namespace {

// A switch stored as an integer, on when it exists and is not 0.
bool ReadSwitch(SettingsStore& store, const char* name) {
    OpenKey key(store, false);
    if (!key) return false;
    return store.ValueExists(name) && store.ReadInteger(name) != 0;
}

bool WriteSwitch(SettingsStore& store, const char* name, bool on) {
    OpenKey key(store, true);
    if (!key) return false;
    store.WriteInteger(name, on ? 1 : 0);
    key.Close();
    return true;
}

}  // namespace

bool ReadQuickStartChoice(SettingsStore& store) {
    return ReadSwitch(store, "QuickStart");
}

bool WriteQuickStartChoice(SettingsStore& store, bool dontShowAtStartup) {
    return WriteSwitch(store, "QuickStart", dontShowAtStartup);
}

bool ReadGridChoice(SettingsStore& store) {
    return ReadSwitch(store, "CalibrationGrid");
}

bool WriteGridChoice(SettingsStore& store, bool show) {
    return WriteSwitch(store, "CalibrationGrid", show);
}

}  // namespace curvana
