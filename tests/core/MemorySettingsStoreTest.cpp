#include <gtest/gtest.h>

#include <functional>

#include "platform/MemorySettingsStore.h"

namespace curvana {
namespace {

std::string FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const SettingsError& e) {
        return e.what();
    }
    return "";
}

TEST(MemorySettingsStoreTest, OpeningWithAndWithoutCreating) {
    MemorySettingsStore store;
    EXPECT_FALSE(store.OpenKey(kSettingsKey, false));
    EXPECT_FALSE(store.KeyExists(kSettingsKey));
    EXPECT_TRUE(store.OpenKey(kSettingsKey, true));
    EXPECT_TRUE(store.KeyExists(kSettingsKey));
    store.CloseKey();
    EXPECT_TRUE(store.OpenKey(kSettingsKey, false));

    MemorySettingsStore broken;
    broken.SetAvailable(false);
    EXPECT_FALSE(broken.OpenKey(kSettingsKey, true));
}

TEST(MemorySettingsStoreTest, ValuesKeepTheirTypes) {
    MemorySettingsStore store;
    ASSERT_TRUE(store.OpenKey(kSettingsKey, true));
    store.WriteInteger("SigDigits", 7);
    store.WriteString("file1", "/home/u/graph.cvn");
    store.WriteInteger("state", -1);
    EXPECT_TRUE(store.ValueExists("SigDigits"));
    EXPECT_FALSE(store.ValueExists("MSize"));
    EXPECT_EQ(store.ReadInteger("SigDigits"), 7);
    EXPECT_EQ(store.ReadInteger("state"), -1);
    EXPECT_EQ(store.ReadString("file1"), "/home/u/graph.cvn");
    store.CloseKey();
    EXPECT_FALSE(store.ValueExists("SigDigits"));  // nothing is open

    // Values survive closing and reopening.
    ASSERT_TRUE(store.OpenKey(kSettingsKey, false));
    EXPECT_EQ(store.ReadInteger("SigDigits"), 7);
}

TEST(MemorySettingsStoreTest, WrongTypeOrMissingValueFailsWithTheValuesName) {
    MemorySettingsStore store;
    store.Put(kSettingsKey, "SigDigits", std::string("seven"));
    store.Put(kSettingsKey, "file2", std::int32_t(3));
    ASSERT_TRUE(store.OpenKey(kSettingsKey, false));
    EXPECT_EQ(FailureOf([&] { store.ReadInteger("SigDigits"); }), "Invalid data type for 'SigDigits'");
    EXPECT_EQ(FailureOf([&] { store.ReadString("file2"); }), "Invalid data type for 'file2'");
    EXPECT_EQ(FailureOf([&] { store.ReadInteger("MSize"); }), "Invalid data type for 'MSize'");
    store.CloseKey();
    EXPECT_NE(FailureOf([&] { store.WriteInteger("MSize", 4); }), "");
}

}  // namespace
}  // namespace curvana
