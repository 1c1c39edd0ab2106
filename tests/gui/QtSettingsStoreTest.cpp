#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "app/QtSettingsStore.h"

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

void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

TEST(QtSettingsStoreTest, TheKeyIsTheFileAndIsCreatedOnlyWhenAsked) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Morvane/Curvana.conf");
    QtSettingsStore store(path);
    EXPECT_FALSE(store.OpenKey(kSettingsKey, false));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(store.OpenKey("\\Software\\Other", true));
    EXPECT_TRUE(store.OpenKey(kSettingsKey, true));
    store.CloseKey();
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(store.OpenKey(kSettingsKey, false));
    store.CloseKey();

    // A folder that cannot be made: a plain file stands where it should be.
    WriteText(dir.filePath("plain"), "x");
    QtSettingsStore blocked(dir.filePath("plain/Curvana.conf"));
    EXPECT_FALSE(blocked.OpenKey(kSettingsKey, true));
}

TEST(QtSettingsStoreTest, IntegersAndStringsKeepTheirTypesAcrossRuns) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Curvana.conf");
    {
        QtSettingsStore store(path);
        ASSERT_TRUE(store.OpenKey(kSettingsKey, true));
        store.WriteInteger("SigDigits", 7);
        store.WriteInteger("top", -2147483647 - 1);
        store.WriteString("file1", "/home/u/graph, final.cvn");
        store.WriteString("file2", "");
        store.WriteString("file3", "@odd");
        store.WriteString("file4", "/home/u/Überblick.bmp");
        store.CloseKey();
    }
    QtSettingsStore store(path);
    ASSERT_TRUE(store.OpenKey(kSettingsKey, false));
    EXPECT_EQ(store.ReadInteger("SigDigits"), 7);
    EXPECT_EQ(store.ReadInteger("top"), -2147483647 - 1);
    EXPECT_EQ(store.ReadString("file1"), "/home/u/graph, final.cvn");
    EXPECT_TRUE(store.ValueExists("file2"));
    EXPECT_EQ(store.ReadString("file2"), "");
    EXPECT_EQ(store.ReadString("file3"), "@odd");
    EXPECT_EQ(store.ReadString("file4"), "/home/u/Überblick.bmp");
    EXPECT_FALSE(store.ValueExists("MSize"));
    store.CloseKey();
}

TEST(QtSettingsStoreTest, TextThatIsNotA32BitIntegerIsTheWrongType) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Curvana.conf");
    WriteText(path,
              "[General]\n"
              "a=12\nb=-40\nc=+3\n"
              "d=five\ne=2147483648\nf=-2147483649\ng=1.5\nh=\ni=0x10\nj=\"1,2\"\n"
              "file1=1,2\nfile2=@Rect(1 2 3 4)\nfile3=42\n");
    QtSettingsStore store(path);
    ASSERT_TRUE(store.OpenKey(kSettingsKey, false));
    struct Good {
        const char* name;
        std::int32_t value;
    };
    for (const Good& g : {Good{"a", 12}, Good{"b", -40}, Good{"c", 3}})
        EXPECT_EQ(store.ReadInteger(g.name), g.value) << g.name;
    for (const char* bad : {"d", "e", "f", "g", "h", "i", "j", "missing"})
        EXPECT_EQ(FailureOf([&] { store.ReadInteger(bad); }),
                  std::string("Invalid data type for '") + bad + "'");
    // A list or a typed value is no string; digits are a string like any other text.
    EXPECT_EQ(FailureOf([&] { store.ReadString("file1"); }), "Invalid data type for 'file1'");
    EXPECT_EQ(FailureOf([&] { store.ReadString("file2"); }), "Invalid data type for 'file2'");
    EXPECT_EQ(store.ReadString("file3"), "42");
    store.CloseKey();
}

}  // namespace
}  // namespace curvana
