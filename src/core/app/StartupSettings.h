#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/RecentFiles.h"
#include "platform/SettingsStore.h"

namespace curvana {

// What the main window takes from the settings store when it starts. Values that were not stored,
// or not read because an earlier read failed, are left empty.
struct StartupSettings {
    bool keyOpened = false;
    std::optional<std::int32_t> SigDigits;
    std::optional<std::int32_t> MSize;
    bool ShowQuickStart = true;
    RecentFiles MFiles;
    std::optional<std::int32_t> state;  // 0 normal, 1 maximized, 2 minimized
    // Read only when state is 0.
    std::optional<std::int32_t> top, left, width, height;
    // The side panel's width; read on its own after the others, whatever became of them, and
    // left empty when it is missing or not an integer.
    std::optional<std::int32_t> PanelWidth;
    // The open dialog's file type confirmed last (from 1) and the resolution PDF pages were last
    // drawn at; read on their own like the panel's width.
    std::optional<std::int32_t> OpenFilter, PdfDpi;
    // Preferences' tracing values, read on their own as well.
    std::optional<std::int32_t> TraceStep, TraceTolerance, TraceGap;
    // The failure that ended the reading ("Invalid data type for 'name'"); empty when none.
    std::string error;
};

// Opens the settings key (creating it), reads SigDigits, MSize, QuickStart, the chain file1..file4
// (a missing value ends it) and state, then top, left, width and height when state is 0, and
// closes the key. A value of the wrong type stops the reading there; everything read before it is
// kept. PanelWidth is read last, whatever became of the others. A key that cannot be opened gives
// the defaults.
StartupSettings ReadStartupSettings(SettingsStore& store);

// The main window's placement as stored at closing.
struct WindowPlacement {
    std::int32_t top = 0, left = 0, width = 0, height = 0;
    std::int32_t state = 0;       // 0 normal, 1 maximized, 2 minimized
    std::int32_t panelWidth = 0;  // the side panel's width
};

// What opening files last chose, as stored at closing.
struct OpenChoices {
    std::int32_t openFilter = 1;  // the open dialog's file type, from 1
    std::int32_t pdfDpi = 0;      // the resolution of PDF pages in dots per inch
};

// Writes file1..file4 (empty entries as empty strings), top, left, width, height, state,
// PanelWidth, OpenFilter and PdfDpi.
// Returns false, writing nothing, when the key cannot be opened or created. A store failure
// throws SettingsError.
bool WriteClosingSettings(SettingsStore& store, const RecentFiles& files, const WindowPlacement& placement,
                          const OpenChoices& choices);

// The Quick Start window's check box ("don't show at start-up") as stored: true when QuickStart
// exists and is non-zero. The key is not created; without it the box is unchecked. A value of the
// wrong type throws SettingsError.
bool ReadQuickStartChoice(SettingsStore& store);
// Stores the check box as QuickStart 1 or 0. Returns false when the key cannot be opened or created.
bool WriteQuickStartChoice(SettingsStore& store, bool dontShowAtStartup);

// View > Calibration Grid as stored: true when CalibrationGrid exists and is non-zero, read and
// written as the Quick Start choice is.
bool ReadGridChoice(SettingsStore& store);
bool WriteGridChoice(SettingsStore& store, bool show);

}  // namespace curvana
