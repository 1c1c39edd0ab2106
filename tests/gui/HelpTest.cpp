#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolBar>
#include <utility>

#include "MainFormFixture.h"
#include "about/TAboutBox.h"
#include "about/TDigitizeAnimation.h"
#include "app/ProgramFiles.h"
#include "app/THelpForm.h"

namespace curvana::test {
namespace {

using HelpTest = MainFormFixture;

TEST(HelpFileTest, HasATopicForEveryHelpContext) {
    QFile file(CURVANA_HELP_FILE);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    QSet<QString> anchors;
    const QRegularExpression name("<a name=\"([^\"]+)\"");
    for (auto it = name.globalMatch(html); it.hasNext();)
        anchors.insert(it.next().captured(1));
    for (int context = 501; context <= 532; ++context)
        EXPECT_TRUE(anchors.contains(QString::number(context))) << context;
    for (const char* topic :
         {"540", "556", "557", "558", "559", "tracing"})  // Open Page, Undo, Redo, tracing
        EXPECT_TRUE(anchors.contains(topic)) << topic;
    for (int context = 550; context <= 553; ++context)  // calibration method, grid, copy and paste
        EXPECT_TRUE(anchors.contains(QString::number(context))) << context;
    EXPECT_TRUE(anchors.contains("contents"));
    EXPECT_TRUE(anchors.contains("index"));
    // Every link inside the file leads somewhere.
    const QRegularExpression link("href=\"#([^\"]+)\"");
    for (auto it = link.globalMatch(html); it.hasNext();) {
        const QString target = it.next().captured(1);
        EXPECT_TRUE(anchors.contains(target)) << target.toStdString();
    }
}

// The program finds its help file beside itself, else in the data folder of the tree it is
// installed in, wherever that tree lies.
TEST(HelpFileTest, IsFoundBesideTheProgramOrInItsInstalledDataFolder) {
    struct Case {
        bool beside, installed;
        const char* found;
    };
    const Case cases[] = {
        {true, false, "bin/curvana.hlp"},
        {false, true, "share/curvana/curvana.hlp"},
        {true, true, "bin/curvana.hlp"},
        {false, false, "bin/curvana.hlp"},  // missing: reported under the name beside the program
    };
    for (const Case& c : cases) {
        QTemporaryDir tree;
        ASSERT_TRUE(QDir(tree.path()).mkpath("bin") && QDir(tree.path()).mkpath("share/curvana"));
        for (const auto& [present, name] :
             {std::pair{c.beside, "bin/curvana.hlp"}, std::pair{c.installed, "share/curvana/curvana.hlp"}}) {
            QFile file(tree.filePath(name));
            if (present) {
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            }
        }
        EXPECT_EQ(ProgramDataFile(tree.filePath("bin"), "curvana.hlp"), tree.filePath(c.found))
            << c.beside << c.installed;
    }
}

TEST_F(HelpTest, F1OnAHighlightedMenuItemShowsItsTopic) {
    TMainForm& form = StartQuietly();
    EXPECT_EQ(form.HelpWindow(), nullptr);
    QGuiApplication::clipboard()->setImage(QImage(1, 1, QImage::Format_RGB32));  // Paste Picture enabled
    struct Case {
        QMenu* menu;
        QAction* item;
        QString topic;
    };
    const std::vector<Case> cases = {
        {form.Data1, form.AddSingleMarker1, "518"},
        {form.File1, form.Save1, "503"},
        {form.Help1, form.About1, "531"},
        {form.EditMenu1, form.PastePicture1, "532"},
        {form.Data1, form.TraceSymbols1, "559"},
        {form.Zoom1, form.CalibrationGrid1, "551"},
        {form.EditMenu1, form.CopyCalibration1, "552"},
        {form.Calibration1, form.Perspective1, "550"},
    };
    for (const Case& c : cases) {
        c.menu->popup(form.mapToGlobal(QPoint(20, 20)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(c.menu));
        c.menu->setActiveAction(c.item);
        QTest::keyClick(c.menu, Qt::Key_F1);
        QTest::qWait(10);
        ASSERT_NE(form.HelpWindow(), nullptr);
        EXPECT_FALSE(c.menu->isVisible()) << "the menu closes";
        EXPECT_TRUE(form.HelpWindow()->isVisible());
        EXPECT_EQ(form.HelpWindow()->CurrentTopic(), c.topic);
        EXPECT_EQ(form.HelpWindow()->Browser()->source().fragment(), c.topic);
    }
    EXPECT_EQ(dialogs.Count(Interaction::StandardError), 0);
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.HelpWindow()->isVisible()) << "the help window goes with the program";
}

TEST_F(HelpTest, ContentsAndIndex) {
    TMainForm& form = StartQuietly();
    struct Case {
        std::function<void()> command;
        QString topic;
    };
    const std::vector<Case> cases = {
        {[&] { form.Index1->trigger(); }, "index"},
        {[&] { form.Contents1->trigger(); }, "contents"},
        {[&] { form.Index1->trigger(); }, "index"},
        {[&] {
             QTest::mouseClick(form.ToolBar1->widgetForAction(form.ToolBar1->actions().last()),
                               Qt::LeftButton);
         },
         "contents"},
        {[&] { form.Index1->trigger(); }, "index"},
        {[&] { QTest::keyClick(&form, Qt::Key_F1); }, "contents"},
    };
    for (const Case& c : cases) {
        c.command();
        ASSERT_NE(form.HelpWindow(), nullptr);
        EXPECT_EQ(form.HelpWindow()->CurrentTopic(), c.topic);
    }
    EXPECT_TRUE(form.HelpWindow()->Browser()->toPlainText().contains("Digitizing a plot, step by step"));

    // The program looks for its help file beside itself.
    TMainForm other(dialogs, *settings);
    EXPECT_EQ(other.HelpFile, QCoreApplication::applicationDirPath() + "/curvana.hlp");

    form.HelpFile = Path("gone/curvana.hlp");
    form.HelpWindow()->hide();
    form.Contents1->trigger();
    EXPECT_EQ(dialogs.Texts(Interaction::StandardError),
              QStringList({"Cannot find the help file " + Path("gone/curvana.hlp") + "."}));
    EXPECT_FALSE(form.HelpWindow()->isVisible());
}

TEST_F(HelpTest, AboutBoxAndHomepage) {
    TMainForm& form = StartQuietly();
    int framesWhileShown = 0;
    dialogs.modalActions.push_back([&](QDialog& d) {
        auto& about = dynamic_cast<TAboutBox&>(d);
        const int start = about.Animation->Frame();
        QTest::qWait(200);
        framesWhileShown =
            (about.Animation->Frame() - start + TDigitizeAnimation::kFrames) % TDigitizeAnimation::kFrames;
        d.accept();
    });
    form.About1->trigger();
    EXPECT_EQ(dialogs.Texts(Interaction::Modal), QStringList({"About"}));
    EXPECT_GT(framesWhileShown, 1) << "the picture moves while the box is shown";
    EXPECT_EQ(form.AboutBox->ProductName->text(), "Curvana");
    EXPECT_EQ(form.AboutBox->Version->text(), QString("Version ") + CURVANA_VERSION);
    EXPECT_FALSE(form.AboutBox->Logo->pixmap().isNull());
    const int stopped = form.AboutBox->Animation->Frame();
    QTest::qWait(100);
    EXPECT_EQ(form.AboutBox->Animation->Frame(), stopped) << "and rests while hidden";

    form.MorvaneHomepage1->trigger();
    EXPECT_EQ(dialogs.Texts(Interaction::Url), QStringList({"https://www.morvane.com/"}));
}

}  // namespace
}  // namespace curvana::test
