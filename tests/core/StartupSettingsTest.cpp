#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/StartupSettings.h"
#include "platform/MemorySettingsStore.h"

namespace curvana {
namespace {

using Value = MemorySettingsStore::Value;
using Stored = std::vector<std::pair<std::string, Value>>;

MemorySettingsStore StoreWith(const Stored& values) {
    MemorySettingsStore store;
    for (const auto& [name, value] : values)
        store.Put(kSettingsKey, name, value);
    return store;
}

// (What start-up reads and closing writes is tested through the main window in tests/gui.)

TEST(StartupSettingsTest, AStoreThatCannotBeOpenedGivesTheDefaultsAndTakesNothing) {
    MemorySettingsStore store = StoreWith({{"SigDigits", 5}, {"QuickStart", 1}, {"file1", "/a"}});
    store.SetAvailable(false);
    const StartupSettings s = ReadStartupSettings(store);
    EXPECT_FALSE(s.keyOpened);
    EXPECT_FALSE(s.SigDigits);
    EXPECT_TRUE(s.ShowQuickStart);
    EXPECT_EQ(s.MFiles.Entry(1), "");
    RecentFiles files;
    files.Enter("/b");
    EXPECT_FALSE(WriteClosingSettings(store, files, {1, 2, 3, 4, 0}, {2, 300}));
    EXPECT_FALSE(WriteQuickStartChoice(store, true));
    EXPECT_EQ(store.Get(kSettingsKey, "file1"), std::optional<Value>(std::string("/a")));
}

TEST(StartupSettingsTest, AValueOfTheWrongTypeStopsTheReadingThere) {
    const Stored all = {{"SigDigits", 5}, {"MSize", 6},    {"QuickStart", 1},   {"file1", "/a"},
                        {"file2", "/b"},  {"state", 0},    {"top", 1},          {"left", 2},
                        {"width", 300},   {"height", 200}, {"PanelWidth", 250}, {"OpenFilter", 3},
                        {"PdfDpi", 200}};
    struct Case {
        std::string bad;
        Value badValue;
    };
    const std::vector<Case> cases = {
        {"SigDigits", "five"},  {"MSize", "6"},     {"QuickStart", "yes"}, {"file1", 1},
        {"file2", 2},           {"state", "0"},     {"top", "x"},          {"height", "tall"},
        {"PanelWidth", "wide"},                      // the panel keeps its design width, silently
        {"OpenFilter", "png"},  {"PdfDpi", "fine"},  // so do the open dialog's choices
    };
    const std::vector<std::string> order = {"SigDigits", "MSize", "QuickStart", "file1", "file2",
                                            "state",     "top",   "left",       "width", "height"};
    for (const Case& c : cases) {
        MemorySettingsStore store = StoreWith(all);
        store.Put(kSettingsKey, c.bad, c.badValue);
        const StartupSettings s = ReadStartupSettings(store);
        const bool panel = c.bad == "PanelWidth", filter = c.bad == "OpenFilter", dpi = c.bad == "PdfDpi";
        EXPECT_EQ(s.error, panel || filter || dpi ? "" : "Invalid data type for '" + c.bad + "'");
        // The panel's width and the open choices are read whatever became of the values before them.
        EXPECT_EQ(s.PanelWidth, panel ? std::nullopt : std::optional<std::int32_t>(250)) << c.bad;
        EXPECT_EQ(s.OpenFilter, filter ? std::nullopt : std::optional<std::int32_t>(3)) << c.bad;
        EXPECT_EQ(s.PdfDpi, dpi ? std::nullopt : std::optional<std::int32_t>(200)) << c.bad;
        // Everything before the bad value was read, nothing after it.
        auto readBefore = [&](const std::string& name) {
            for (const std::string& n : order) {
                if (n == c.bad) return false;
                if (n == name) return true;
            }
            return false;
        };
        EXPECT_EQ(s.SigDigits.has_value(), readBefore("SigDigits")) << c.bad;
        EXPECT_EQ(s.MSize.has_value(), readBefore("MSize")) << c.bad;
        EXPECT_EQ(s.ShowQuickStart, !readBefore("QuickStart")) << c.bad;
        EXPECT_EQ(s.MFiles.Entry(1), readBefore("file1") ? "/a" : "") << c.bad;
        EXPECT_EQ(s.MFiles.Entry(2), readBefore("file2") ? "/b" : "") << c.bad;
        EXPECT_EQ(s.state.has_value(), readBefore("state")) << c.bad;
        EXPECT_EQ(s.top.has_value(), readBefore("top")) << c.bad;
        EXPECT_EQ(s.width.has_value(), readBefore("width")) << c.bad;
        EXPECT_EQ(s.height.has_value(), readBefore("height")) << c.bad;
    }
}

}  // namespace
}  // namespace curvana
