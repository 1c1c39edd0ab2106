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

TEST(StartupSettingsTest, FirstStartCreatesTheKeyAndKeepsTheDefaults) {
    MemorySettingsStore store;
    const StartupSettings s = ReadStartupSettings(store);
    EXPECT_TRUE(store.KeyExists(kSettingsKey));
    EXPECT_TRUE(s.keyOpened);
    EXPECT_FALSE(s.SigDigits || s.MSize || s.state || s.top || s.left || s.width || s.height);
    EXPECT_TRUE(s.ShowQuickStart);
    EXPECT_FALSE(s.MFiles.ItemVisible(1));
    EXPECT_EQ(s.error, "");

    MemorySettingsStore unavailable = StoreWith({{"SigDigits", 5}});
    unavailable.SetAvailable(false);
    const StartupSettings none = ReadStartupSettings(unavailable);
    EXPECT_FALSE(none.keyOpened);
    EXPECT_FALSE(none.SigDigits);
    EXPECT_TRUE(none.ShowQuickStart);
}

TEST(StartupSettingsTest, ValuesAreTakenAsStored) {
    MemorySettingsStore store = StoreWith({{"SigDigits", 42}, {"MSize", -3}, {"QuickStart", 7}});
    const StartupSettings s = ReadStartupSettings(store);
    EXPECT_EQ(s.SigDigits, 42);  // no range check at start-up
    EXPECT_EQ(s.MSize, -3);
    EXPECT_FALSE(s.ShowQuickStart);  // any non-zero value turns the window off

    MemorySettingsStore zero = StoreWith({{"QuickStart", 0}});
    EXPECT_TRUE(ReadStartupSettings(zero).ShowQuickStart);
}

TEST(StartupSettingsTest, RecentFilesAreReadAsAChainThatStopsAtTheFirstGap) {
    struct Case {
        const char* what;
        Stored stored;
        std::vector<std::string> entries;
    };
    const std::vector<Case> cases = {
        {"all four",
         {{"file1", "/a"}, {"file2", "/b"}, {"file3", "/c"}, {"file4", "/d"}},
         {"/a", "/b", "/c", "/d"}},
        {"file1 missing", {{"file2", "/b"}, {"file3", "/c"}}, {"", "", "", ""}},
        {"file2 missing", {{"file1", "/a"}, {"file3", "/c"}, {"file4", "/d"}}, {"/a", "", "", ""}},
        {"file4 missing", {{"file1", "/a"}, {"file2", "/b"}, {"file3", "/c"}}, {"/a", "/b", "/c", ""}},
        {"empty strings are entries too", {{"file1", ""}, {"file2", "/b"}}, {"", "/b", "", ""}},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store = StoreWith(c.stored);
        const StartupSettings s = ReadStartupSettings(store);
        for (int k = 1; k <= 4; ++k)
            EXPECT_EQ(s.MFiles.Entry(k), c.entries[std::size_t(k - 1)]) << c.what << ", entry " << k;
    }
}

TEST(StartupSettingsTest, PlacementIsReadOnlyForTheNormalState) {
    using Opt = std::optional<std::int32_t>;
    struct Case {
        const char* what;
        Stored stored;
        Opt state, top, left, width, height;
    };
    const Stored coords = {{"top", 11}, {"left", 22}, {"width", 333}, {"height", 444}};
    auto with = [&](Stored extra) {
        extra.insert(extra.end(), coords.begin(), coords.end());
        return extra;
    };
    const std::vector<Case> cases = {
        {"no state: nothing", coords, {}, {}, {}, {}, {}},
        {"normal", with({{"state", 0}}), 0, 11, 22, 333, 444},
        {"normal, only left", {{"state", 0}, {"left", 5}}, 0, {}, 5, {}, {}},
        {"maximized", with({{"state", 1}}), 1, {}, {}, {}, {}},
        {"minimized", with({{"state", 2}}), 2, {}, {}, {}, {}},
        {"unknown state", with({{"state", 9}}), 9, {}, {}, {}, {}},
        // A coordinate of the wrong type is not even looked at when the state is not normal.
        {"maximized, bad top", {{"state", 1}, {"top", "high"}}, 1, {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store = StoreWith(c.stored);
        const StartupSettings s = ReadStartupSettings(store);
        EXPECT_EQ(s.error, "") << c.what;
        EXPECT_EQ(s.state, c.state) << c.what;
        EXPECT_EQ(s.top, c.top) << c.what;
        EXPECT_EQ(s.left, c.left) << c.what;
        EXPECT_EQ(s.width, c.width) << c.what;
        EXPECT_EQ(s.height, c.height) << c.what;
    }
}

TEST(StartupSettingsTest, AValueOfTheWrongTypeStopsTheReadingThere) {
    const Stored all = {{"SigDigits", 5}, {"MSize", 6}, {"QuickStart", 1}, {"file1", "/a"}, {"file2", "/b"},
                        {"state", 0},     {"top", 1},   {"left", 2},       {"width", 300},  {"height", 200}};
    struct Case {
        std::string bad;
        Value badValue;
    };
    const std::vector<Case> cases = {
        {"SigDigits", "five"}, {"MSize", "6"}, {"QuickStart", "yes"}, {"file1", 1},
        {"file2", 2},          {"state", "0"}, {"top", "x"},          {"height", "tall"},
    };
    const std::vector<std::string> order = {"SigDigits", "MSize", "QuickStart", "file1", "file2",
                                            "state",     "top",   "left",       "width", "height"};
    for (const Case& c : cases) {
        MemorySettingsStore store = StoreWith(all);
        store.Put(kSettingsKey, c.bad, c.badValue);
        const StartupSettings s = ReadStartupSettings(store);
        EXPECT_EQ(s.error, "Invalid data type for '" + c.bad + "'");
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

TEST(StartupSettingsTest, ClosingWritesAllFourFilesAndThePlacement) {
    MemorySettingsStore store;
    RecentFiles files;
    files.Enter("/p/one.bmp");
    files.Enter("/p/two.cvn");
    ASSERT_TRUE(WriteClosingSettings(store, files, {40, 30, 700, 500, 2}));
    const std::vector<std::pair<std::string, Value>> expected = {{"file1", "/p/two.cvn"},
                                                                 {"file2", "/p/one.bmp"},
                                                                 {"file3", ""},
                                                                 {"file4", ""},
                                                                 {"top", 40},
                                                                 {"left", 30},
                                                                 {"width", 700},
                                                                 {"height", 500},
                                                                 {"state", 2}};
    for (const auto& [name, value] : expected)
        EXPECT_EQ(store.Get(kSettingsKey, name), std::optional<Value>(value)) << name;

    // What was written is read back at the next start (the state here being normal).
    ASSERT_TRUE(WriteClosingSettings(store, files, {40, 30, 700, 500, 0}));
    const StartupSettings s = ReadStartupSettings(store);
    EXPECT_EQ(s.MFiles.Entry(1), "/p/two.cvn");
    EXPECT_EQ(s.MFiles.Entry(3), "");
    EXPECT_EQ(s.top, 40);
    EXPECT_EQ(s.left, 30);

    MemorySettingsStore unavailable;
    unavailable.SetAvailable(false);
    EXPECT_FALSE(WriteClosingSettings(unavailable, files, {}));
}

TEST(StartupSettingsTest, QuickStartChoiceIsReadWithoutCreatingTheKey) {
    MemorySettingsStore empty;
    EXPECT_FALSE(ReadQuickStartChoice(empty));
    EXPECT_FALSE(empty.KeyExists(kSettingsKey));

    struct Case {
        Value stored;
        bool checked;
    };
    for (const Case& c : std::vector<Case>{{0, false}, {1, true}, {-1, true}}) {
        MemorySettingsStore store = StoreWith({{"QuickStart", c.stored}});
        EXPECT_EQ(ReadQuickStartChoice(store), c.checked);
    }
    MemorySettingsStore wrong = StoreWith({{"QuickStart", "1"}});
    EXPECT_THROW(ReadQuickStartChoice(wrong), SettingsError);

    MemorySettingsStore store;
    ASSERT_TRUE(WriteQuickStartChoice(store, true));
    EXPECT_EQ(store.Get(kSettingsKey, "QuickStart"), std::optional<Value>(1));
    ASSERT_TRUE(WriteQuickStartChoice(store, false));
    EXPECT_EQ(store.Get(kSettingsKey, "QuickStart"), std::optional<Value>(0));
    EXPECT_TRUE(ReadStartupSettings(store).ShowQuickStart);
}

}  // namespace
}  // namespace curvana
