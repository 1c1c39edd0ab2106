#pragma once

// A main window for one test: its settings in a temporary folder, its dialogs scripted, and
// helpers to make picture files and open documents.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ScriptedDialogs.h"
#include "app/QtSettingsStore.h"
#include "app/TMainForm.h"
#include "document/PlotDocument.h"
#include "markers/TMarker.h"
#include "platform/Bitmap.h"
#include "platform/BmpWriter.h"

namespace curvana::test {

class MainFormFixture : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<QtSettingsStore> settings;
    std::unique_ptr<TMainForm> form;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        settings = std::make_unique<QtSettingsStore>(SettingsPath());
        SigDigits = 3;
        MSize = 4;
        ChosenPlotType = PlotType::LinearLinear;
    }

    void TearDown() override {
        if (form) {
            for (TChildForm* child : form->MDIChildren())
                child->Document().Modified = false;
            form->close();
            form.reset();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString SettingsPath() const { return dir.filePath("config/Morvane/Curvana.conf"); }
    QString Path(const QString& name) const { return dir.filePath(name); }

    // The settings file as the program would find it at start-up.
    void StoreSettings(const QByteArray& values) {
        QDir().mkpath(dir.filePath("config/Morvane"));
        QFile file(SettingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[General]\n" + values);
    }
    // Reads one stored value back as text, or a null string when it is missing.
    QString StoredValue(const QString& name) const {
        QSettings stored(SettingsPath(), QSettings::IniFormat);
        return stored.contains(name) ? stored.value(name).toString() : QString();
    }

    // Creates the main window, shows it and lets its first paint happen.
    TMainForm& Start() {
        form = std::make_unique<TMainForm>(dialogs, *settings);
        form->HelpFile = CURVANA_HELP_FILE;
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QTest::qWait(20);
        QCoreApplication::processEvents();
        return *form;
    }
    // The same, without the Quick Start window at start-up.
    TMainForm& StartQuietly(const QByteArray& values = {}) {
        StoreSettings("QuickStart=1\n" + values);
        return Start();
    }

    // A bitmap file of w by h pixels: a white picture with a black pixel at its top-left corner.
    QString MakeBmp(const QString& name, int w = 200, int h = 200) {
        Bitmap picture(w, h, PixelFormat::Rgb24());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                picture.SetPixelValue(x, y, x == 0 && y == 0 ? 0 : 0xFFFFFF);
        const QString path = Path(name);
        WriteBmpFile(picture, path.toStdString());
        return path;
    }
    QString CopyData(const QString& relative, const QString& name) {
        const QString path = Path(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(QString(CURVANA_TEST_DATA) + "/" + relative, path));
        return path;
    }

    // Opens a file through File > Open (Ctrl+O) with the dialog answering path.
    TChildForm* OpenThroughDialog(const QString& path) {
        dialogs.files.push_back(path);
        QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
        QCoreApplication::processEvents();
        return form->ActiveChild();
    }
    TChildForm* OpenDocument(const QString& path) {
        form->OpenFile(path);
        QCoreApplication::processEvents();
        return form->ActiveChild();
    }
};

}  // namespace curvana::test
