#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>

#include "MainFormFixture.h"
#include "app/TListingMemo.h"
#include "app/TQSForm.h"

namespace curvana::test {
namespace {

using StartupTest = MainFormFixture;

// A shown window of the design size whose frame sits in the middle of the screen.
void ExpectCentred(const QWidget& window, QSize size) {
    EXPECT_EQ(window.size(), size);
    const QPoint offset =
        window.frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 6) << offset.x() << ", " << offset.y();
}

QRect Centred(QSize size) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    return QRect(area.center() - QRect(QPoint(0, 0), size).center(), size);
}

TEST_F(StartupTest, FirstStartWithoutSettings) {
    ASSERT_FALSE(QFileInfo::exists(SettingsPath()));
    TMainForm& form = Start();
    EXPECT_TRUE(QFileInfo::exists(SettingsPath())) << "the settings key is created";
    ExpectCentred(form, QSize(696, 480));
    EXPECT_EQ(form.windowState(), Qt::WindowNoState);
    for (QAction* item : form.MFileItems)
        EXPECT_FALSE(item->isVisible());
    EXPECT_FALSE(form.N11->isVisible());
    EXPECT_FALSE(form.Window1->menuAction()->isVisible());
    EXPECT_EQ(dialogs.Texts(Interaction::Modal), QStringList({"Quick Start Tutorial"}));
    EXPECT_FALSE(form.FirstPaint);
    EXPECT_EQ(dialogs.Count(Interaction::StandardError), 0);
    // Closing the Quick Start window stored its unchecked box.
    EXPECT_EQ(StoredValue("QuickStart"), "0");
    EXPECT_EQ(SigDigits, 3);
    EXPECT_EQ(MSize, 4);
}

TEST_F(StartupTest, StoredPlacementIsAppliedByState) {
    const QRect design = Centred(QSize(696, 480));
    struct Case {
        const char* stored;
        Qt::WindowStates state;
        QRect geometry;  // for the normal state
    };
    const std::vector<Case> cases = {
        {"state=0\nleft=33\n", Qt::WindowNoState, QRect(33, design.y(), 696, 480)},
        {"state=0\ntop=20\nleft=30\nwidth=640\nheight=400\n", Qt::WindowNoState, QRect(30, 20, 640, 400)},
        {"state=0\nheight=300\n", Qt::WindowNoState, QRect(design.x(), design.y(), 696, 300)},
        // A place no screen shows: back to the middle.
        {"state=0\nleft=90000\ntop=-90000\n", Qt::WindowNoState, design},
        {"top=20\nleft=30\n", Qt::WindowNoState, design},  // no state: design placement
        {"state=7\ntop=20\n", Qt::WindowNoState, design},
        {"state=1\ntop=20\nleft=30\nwidth=640\nheight=400\n", Qt::WindowMaximized, {}},
        {"state=2\n", Qt::WindowMinimized, {}},
    };
    for (const Case& c : cases) {
        StoreSettings(QByteArray("QuickStart=1\n") + c.stored);
        form = std::make_unique<TMainForm>(dialogs, *settings);
        EXPECT_EQ(form->windowState(), c.state) << c.stored;
        if (c.state == Qt::WindowNoState) {
            EXPECT_EQ(form->geometry(), c.geometry) << c.stored;
        }
        if (c.state == Qt::WindowMaximized) {
            form->show();
            EXPECT_TRUE(QTest::qWaitFor([&] { return form->isMaximized(); }));
            EXPECT_NE(form->geometry().size(), QSize(640, 400)) << "coordinates are not applied";
        }
        form.reset();
    }
    EXPECT_EQ(dialogs.Count(Interaction::StandardError), 0);
}

TEST_F(StartupTest, RecentFilesAreReadAsAChain) {
    struct Case {
        const char* stored;
        QStringList captions;  // of the visible items
    };
    const std::vector<Case> cases = {
        {"file1=/a/one.bmp\nfile2=/b/two.cvn\nfile3=/c/three.gif\nfile4=/d/four.jpg\n",
         {"&1. one.bmp", "&2. two.cvn", "&3. three.gif", "&4. four.jpg"}},
        {"file2=/b/two.cvn\nfile3=/c/three.gif\n", {}},
        {"file1=/a/one.bmp\nfile3=/c/three.gif\n", {"&1. one.bmp"}},
        {"file1=/a/one.bmp\nfile2=\nfile3=/c/three.gif\n", {"&1. one.bmp"}},
        {"file1=/a/R&D.bmp\n", {"&1. R&&D.bmp"}},
    };
    for (const Case& c : cases) {
        StoreSettings(QByteArray("QuickStart=1\n") + c.stored);
        form = std::make_unique<TMainForm>(dialogs, *settings);
        QStringList shown;
        for (QAction* item : form->MFileItems)
            if (item->isVisible()) shown << item->text();
        EXPECT_EQ(shown, c.captions) << c.stored;
        EXPECT_EQ(form->N11->isVisible(), !c.captions.isEmpty()) << c.stored;
        form.reset();
    }
}

TEST_F(StartupTest, AValueOfTheWrongTypeIsReportedAndEndsTheReading) {
    StoreSettings("SigDigits=5\nMSize=big\nQuickStart=1\nfile1=/a/one.bmp\nstate=0\nleft=10\n");
    TMainForm& form = Start();
    EXPECT_EQ(dialogs.Texts(Interaction::StandardError), QStringList({"Invalid data type for 'MSize'"}));
    EXPECT_EQ(SigDigits, 5);
    EXPECT_EQ(MSize, 4);
    // QuickStart was not read, so the window shows; nor were the files and the placement.
    EXPECT_EQ(dialogs.Count(Interaction::Modal), 1);
    EXPECT_FALSE(form.MFileItems[0]->isVisible());
    ExpectCentred(form, QSize(696, 480));
}

TEST_F(StartupTest, ClosingWritesTheRecentFilesAndThePlacement) {
    TMainForm& form = StartQuietly("file1=/a/one.bmp\nfile2=/b/two.cvn\n");
    form.move(25, 35);
    form.resize(600, 410);
    // The side panel's edge dragged with the mouse: the listing widens with the panel, which never
    // gets narrower than designed.
    auto* splitter = form.findChild<QSplitter*>();
    ASSERT_NE(splitter, nullptr);
    QSplitterHandle* edge = splitter->handle(1);
    const int panel = form.Panel1->width(), memo = form.Memo1->width();
    for (const auto& [by, width] :
         std::vector<std::pair<int, int>>{{60, panel + 60}, {-200, panel}, {45, panel + 45}}) {
        QTest::mousePress(edge, Qt::LeftButton, {}, QPoint(1, 50));
        QTest::mouseMove(edge, QPoint(1 + by, 50));
        QTest::mouseRelease(edge, Qt::LeftButton, {}, QPoint(1 + by, 50));
        EXPECT_EQ(form.Panel1->width(), width) << by;
        EXPECT_EQ(form.Memo1->width(), memo + width - panel) << by;
    }
    EXPECT_TRUE(form.close());
    const std::vector<std::pair<QString, QString>> expected = {
        {"file1", "/a/one.bmp"}, {"file2", "/b/two.cvn"},
        {"file3", ""},           {"file4", ""},
        {"top", "35"},           {"left", "25"},
        {"width", "600"},        {"height", "410"},
        {"state", "0"},          {"PanelWidth", QString::number(panel + 45)}};
    for (const auto& [name, value] : expected)
        EXPECT_EQ(StoredValue(name), value) << name.toStdString();
    form.show();
    form.showMinimized();
    EXPECT_TRUE(form.close());
    EXPECT_EQ(StoredValue("state"), "2");
    form.show();
    form.showMaximized();
    EXPECT_TRUE(form.close());
    EXPECT_EQ(StoredValue("state"), "1");

    // The next start shows the panel as wide as it was left; a stored width below the design, or
    // one that is not a number, gives the design.
    for (const QByteArray stored : {"", "PanelWidth=20\n", "PanelWidth=wide\n"}) {
        if (!stored.isEmpty()) StoreSettings("QuickStart=1\n" + stored);
        this->form = std::make_unique<TMainForm>(dialogs, *settings);
        this->form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(this->form.get()));
        EXPECT_EQ(this->form->Panel1->width(), stored.isEmpty() ? panel + 45 : panel) << stored.constData();
    }
    EXPECT_EQ(dialogs.Count(Interaction::StandardError), 0);
}

TEST_F(StartupTest, QuickStartCheckBoxDecidesAboutTheNextStart) {
    // First start: shown unchecked; checking it and pressing Ok stores 1.
    bool wasChecked = true;
    dialogs.modalActions.push_back([&](QDialog& d) {
        auto& qs = dynamic_cast<TQSForm&>(d);
        wasChecked = qs.CheckBox1->isChecked();
        QTest::mouseClick(qs.CheckBox1, Qt::LeftButton, {}, QPoint(4, qs.CheckBox1->height() / 2));
        QTest::mouseClick(qs.Button1, Qt::LeftButton);
    });
    Start();
    EXPECT_FALSE(wasChecked);
    EXPECT_EQ(StoredValue("QuickStart"), "1");
    form.reset();

    // Next start: no Quick Start window; from the Help menu it shows checked; unchecking stores 0.
    dialogs.log.clear();
    dialogs.modalActions.push_back([&](QDialog& d) {
        auto& qs = dynamic_cast<TQSForm&>(d);
        wasChecked = qs.CheckBox1->isChecked();
        QTest::keyClick(qs.CheckBox1, Qt::Key_Space);
        d.close();  // the close box does what Ok does
    });
    TMainForm& form2 = Start();
    EXPECT_EQ(dialogs.Count(Interaction::Modal), 0);
    form2.QuickStartTurorial1->trigger();
    EXPECT_EQ(dialogs.Texts(Interaction::Modal), QStringList({"Quick Start Tutorial"}));
    EXPECT_TRUE(wasChecked);
    EXPECT_EQ(StoredValue("QuickStart"), "0");
    form.reset();

    dialogs.log.clear();
    Start();
    EXPECT_EQ(dialogs.Count(Interaction::Modal), 1);
}

TEST_F(StartupTest, FilesOnTheCommandLineOpenInsteadOfTheQuickStart) {
    // A first start, which would show the Quick Start window, with files named relative to the
    // current folder and absolutely; one cannot be read, one is no picture: the others still open.
    MakeBmp("one.bmp", 20, 20);
    MakeBmp("notes.txt", 20, 20);
    QDir().mkpath(Path("sub"));
    const QString two = MakeBmp("sub/two.bmp", 30, 20);
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    form = std::make_unique<TMainForm>(dialogs, *settings);
    form->OpenStartupFiles({"one.bmp", "missing.gif", "notes.txt", "sub/../sub/two.bmp"});
    QDir::setCurrent(current);
    EXPECT_TRUE(form->MDIChildren().empty()) << "nothing opens before the window shows";
    form->HelpFile = CURVANA_HELP_FILE;
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->FirstPaint; }));
    QStringList opened;
    for (QMdiSubWindow* w : form->MDIClient->subWindowList(QMdiArea::CreationOrder))
        opened << qobject_cast<TChildForm*>(w)->FullPath();
    EXPECT_EQ(opened, QStringList({Path("one.bmp"), two}));
    EXPECT_EQ(dialogs.Texts(Interaction::Error),
              QStringList({"Invalid Gif Format.", "File notes.txt is not a picture or project file."}));
    EXPECT_EQ(dialogs.Count(Interaction::Modal), 0) << "no Quick Start window";
    EXPECT_EQ(StoredValue("QuickStart"), QString()) << "the setting is left as it was";
    EXPECT_TRUE(form->ShowQuickStart);
}

TEST_F(StartupTest, QuickStartWindowShowsItsPictureAndInstructions) {
    StoreSettings("QuickStart=yes\n");
    TQSForm qs(*settings, dialogs);
    EXPECT_EQ(dialogs.Texts(Interaction::StandardError), QStringList({"Invalid data type for 'QuickStart'"}));
    EXPECT_FALSE(qs.CheckBox1->isChecked());
    EXPECT_EQ(qs.CheckBox1->text(), "Don't show this tutorial at startup again.");
    EXPECT_GE(qs.width(), 354);
    const QStringList lines = qs.Label1->text().split('\n');  // each carriage return starts a line
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[5], "    the left side of the screen");

    // The picture is the 30 by 39 GIF89a resource "QS".
    QFile resource(":/GIF/QS");
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    EXPECT_TRUE(resource.readAll().startsWith("GIF89a"));
    const QImage picture = qs.Image1->pixmap().toImage();
    ASSERT_EQ(picture.size(), QSize(30, 39));
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(192, 192, 192));  // the silver background
    EXPECT_EQ(picture.pixelColor(5, 10), QColor(0, 0, 0));       // the Y axis

    // Without a key the box starts unchecked and nothing is created.
    QFile::remove(SettingsPath());
    dialogs.log.clear();
    TQSForm fresh(*settings, dialogs);
    EXPECT_FALSE(fresh.CheckBox1->isChecked());
    EXPECT_FALSE(QFileInfo::exists(SettingsPath()));
    EXPECT_EQ(dialogs.log.size(), 0u);
}

}  // namespace
}  // namespace curvana::test
