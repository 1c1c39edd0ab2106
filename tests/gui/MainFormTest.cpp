#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <map>

#include "MainFormFixture.h"
#include "app/ImageList.h"
#include "app/QtDialogs.h"
#include "app/THelpForm.h"
#include "app/TListingMemo.h"

namespace curvana::test {
namespace {

using MainFormTest = MainFormFixture;

QAction* Find(TMainForm& form, const char* name) {
    return form.findChild<QAction*>(name);
}

TEST_F(MainFormTest, MenuItemsHaveTheirCaptionsShortcutsHelpContextsAndVisibility) {
    TMainForm& form = StartQuietly();
    struct Item {
        const char* name;
        const char* caption;
        const char* shortcut;
        int context;
        bool visible;
    };
    const std::vector<Item> items = {
        {"Open1", "&Open", "Ctrl+O", 501, true},
        {"Close1", "&Close", "Ctrl+W", 502, true},
        {"Save1", "&Save", "Ctrl+S", 503, true},
        {"SaveAs1", "Save &As", "", 504, true},
        {"PrintSetup1", "P&rint Setup", "", 505, true},
        {"Print1", "&Print", "Ctrl+P", 506, true},
        {"Preferences1", "Pre&ferences", "", 507, true},
        {"N12", "&1. ", "", 0, false},
        {"N21", "&2. ", "", 0, false},
        {"N31", "&3. ", "", 0, false},
        {"N41", "&4. ", "", 0, false},
        {"Exit1", "E&xit", "Alt+F4", 508, true},
        {"PastePicture1", "&Paste Picture", "Ctrl+V", 532, true},
        {"ZoomIn1", "Zoom In", "Ctrl++", 509, true},
        {"ZoomOut1", "Zoom Out", "Ctrl+-", 510, true},
        {"N3", "Normal Size", "Ctrl+0", 511, true},
        {"Redraw1", "Redraw", "", 512, true},
        {"LinearLinear1", "Linear-Linear", "", 513, true},
        {"LogLinear1", "Log-Linear", "", 513, true},
        {"LinearLog1", "Linear-Log", "", 513, true},
        {"LogLog1", "Log-Log", "", 513, true},
        {"AddDataSerie1", "Add DataSeries", "", 514, true},
        {"RemoveDataSerie1", "Delete DataSeries", "", 515, true},
        {"AddPointtoDataSerie1", "Add  Marker to DataSeries", "", 516, true},
        {"RemovePointFromDataSerie1", "Delete Marker From DataSeries", "", 517, true},
        {"AddSingleMarker1", "Add Single Marker", "", 518, true},
        {"DeleteSingleMarker1", "Delete Single Marker", "", 519, true},
        {"DeleteallsingleMarkers1", "Delete All Single Markers", "", 520, true},
        {"CopyDatatoClipBoard1", "Copy Data to ClipBoard", "", 521, true},
        {"Export1", "Export", "", 522, true},
        {"Cascade1", "&Cascade", "", 523, true},
        {"Tile1", "&Tile", "", 524, true},
        {"ArrangeIcons1", "&Arrange Icons", "", 525, true},
        {"Contents1", "&Contents", "", 526, true},
        {"Index1", "&Index", "", 527, true},
        {"QuickStartTurorial1", "&Quick Start Turorial", "", 528, true},
        {"MorvaneHomepage1", "&Morvane Homepage", "", 529, true},
        {"About1", "&About", "", 531, true},
    };
    for (const Item& i : items) {
        QAction* a = Find(form, i.name);
        ASSERT_NE(a, nullptr) << i.name;
        EXPECT_EQ(a->text(), i.caption) << i.name;
        EXPECT_EQ(a->shortcut(), QKeySequence(i.shortcut)) << i.name;
        EXPECT_EQ(a->property("HelpContext").toInt(), i.context) << i.name;
        EXPECT_EQ(a->isVisible(), i.visible) << i.name;
    }

    // The menu bar in order; Window hidden while no document is open.
    QStringList titles;
    for (QAction* a : form.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&View", "&Plot", "&Data", "&Window", "&Help"}));
    EXPECT_FALSE(form.Window1->menuAction()->isVisible());
    EXPECT_EQ(form.Type1->title(), "&Type");
    EXPECT_TRUE(form.LinearLinear1->isChecked());
    EXPECT_TRUE(form.PlotTypeGroup->isExclusive());

    // File menu order: recent items and their separator just above Exit, after an always-shown separator.
    const QList<QAction*> file = form.File1->actions();
    const qsizetype n12 = file.indexOf(form.MFileItems[0]);
    ASSERT_GT(n12, 0);
    EXPECT_TRUE(file[n12 - 1]->isSeparator());
    EXPECT_TRUE(file[n12 - 1]->isVisible());
    EXPECT_EQ(file[n12 + 4], form.N11);
    EXPECT_EQ(file[n12 + 5], form.Exit1);
    EXPECT_EQ(file.indexOf(form.Preferences1), n12 - 2);

    // The listing's pop-up menu.
    QStringList popup;
    for (QAction* a : form.PopupMenu1->actions())
        popup << a->text();
    EXPECT_EQ(popup, QStringList({"&Copy To ClipBoard", "&Export"}));
}

TEST_F(MainFormTest, ToolBarHasItsButtonsInOrderWithHintsAndImages) {
    TMainForm& form = StartQuietly();
    struct Button {
        int image;  // -1: separator
        const char* hint;
        bool check;
    };
    const std::vector<Button> expected = {
        {0, "Open ", false},
        {1, "Save", false},
        {2, "Print", false},
        {-1, "", false},
        {15, "Undo", false},
        {16, "Redo", false},
        {-1, "", false},
        {14, "Export Data to a File", false},
        {-1, "", false},
        {3, "Zoom In", false},
        {4, "Zoom Out", false},
        {10, "Normal Size", false},
        {-1, "", false},
        {9, "Redraw", false},
        {-1, "", false},
        {12, "Add Single Marker", true},
        {13, "Delete Single Marker", true},
        {-1, "", false},
        {8, "Add DataSeries", false},
        {7, "Delete DataSeries", true},
        {6, "Add Marker to DataSeries", true},
        {5, "Delete Marker From DataSeries", true},
        {17, "Trace Curve", true},
        {18, "Trace Symbols", true},
        {-1, "", false},
        {11, "Contents", false},
    };
    const QList<QAction*> actions = form.ToolBar1->actions();
    ASSERT_EQ(actions.size(), qsizetype(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Button& b = expected[i];
        QAction* a = actions[qsizetype(i)];
        if (b.image < 0) {
            EXPECT_TRUE(a->isSeparator()) << "item " << i + 1;
            continue;
        }
        EXPECT_EQ(a->icon().pixmap(16, 16).toImage(), ImageListPixmap(b.image, 16).toImage())
            << "item " << i + 1;
        EXPECT_EQ(a->isCheckable(), b.check) << "item " << i + 1;
        // Every button shows its hint when the pointer rests on it.
        QWidget* button = form.ToolBar1->widgetForAction(a);
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(button, &help);
        EXPECT_EQ(QToolTip::text(), b.hint) << "item " << i + 1;
        QToolTip::hideText();
    }
    EXPECT_EQ(actions[15], form.ToolButton13);
    EXPECT_EQ(actions[21], form.ToolButton8);
}

TEST_F(MainFormTest, SidePanelAndStatusBar) {
    TMainForm& form = StartQuietly();
    const std::vector<std::pair<QLineEdit*, int>> edits = {
        {form.Edit1, 1}, {form.Edit2, 2}, {form.Edit3, 3}, {form.Edit4, 4}};
    for (const auto& [edit, tag] : edits) {
        EXPECT_EQ(edit->text(), "0");
        EXPECT_EQ(edit->property("Tag").toInt(), tag);
        EXPECT_TRUE(form.Panel1->isAncestorOf(edit));
    }
    QStringList labels;
    for (QLabel* l : form.Panel1->findChildren<QLabel*>())
        labels << l->text();
    EXPECT_EQ(labels,
              QStringList({"X-scale", "minimum", "maximum", "Y-scale", "minimum", "maximum", "Data"}));
    EXPECT_GE(form.Panel1->width(), 135);
    EXPECT_EQ(form.Panel1->x(), 0);
    EXPECT_TRUE(form.Memo1->isReadOnly());
    EXPECT_EQ(form.Memo1->Count(), 0);

    // The listing grows with the window's height.
    const int memoHeight = form.Memo1->height();
    form.resize(form.width(), form.height() + 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Memo1->height(), memoHeight + 100);

    EXPECT_EQ(form.StatusPanels[0]->width(), 140);
    EXPECT_GT(form.StatusPanels[1]->width(), 50);
    const int statusWidth = form.StatusPanels[1]->width();
    form.resize(form.width() + 100, form.height());
    QCoreApplication::processEvents();
    EXPECT_EQ(form.StatusPanels[1]->width(), statusWidth + 100) << "the second panel stretches";
    EXPECT_EQ(form.StatusPanels[0]->width(), 140);
}

// The same picture at the size a title bar shows; a null icon is never the program's.
bool IsProgramIcon(const QIcon& icon) {
    return !icon.isNull() && icon.pixmap(16).toImage() == ProgramIcon().pixmap(16).toImage();
}

// What a document window's title bar shows at its left end: how many pixels have the red of the
// program icon's marker, and how many the green of the toolkit's logo.
struct TitleBarIconColours {
    int red = 0;
    int green = 0;
};
TitleBarIconColours TitleBarIcon(QMdiSubWindow& window) {
    const int height = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const QImage bar = window.grab(QRect(0, 0, height + 4, height)).toImage();
    TitleBarIconColours colours;
    for (int y = 0; y < bar.height(); ++y)
        for (int x = 0; x < bar.width(); ++x) {
            const QColor c = bar.pixelColor(x, y);
            colours.red += c.red() > 180 && c.green() < 120 && c.blue() < 120;
            colours.green += c.green() > 150 && c.red() < 140 && c.blue() < 140;
        }
    return colours;
}

TEST_F(MainFormTest, EveryWindowShowsTheProgramsIcon) {
    // Each kind of window, reached as the user reaches it; modal ones report their icon while shown.
    std::map<QString, QIcon> icons;
    auto modal = [&](const QString& kind) {
        dialogs.modalActions.push_back([&icons, kind](QDialog& d) {
            icons[kind] = d.windowIcon();
            d.reject();
        });
    };
    modal("Quick Start");  // shown at the first start
    TMainForm& form = Start();
    icons["main window"] = form.windowIcon();

    TChildForm* document = OpenDocument(MakeBmp("plot.bmp"));
    ASSERT_NE(document, nullptr);
    icons["document window"] = document->windowIcon();
    modal("Open Page");
    OpenDocument(CopyData("opening/two-pages.pdf", "paper.pdf"));
    modal("About");
    form.About1->trigger();
    modal("Preferences");
    form.Preferences1->trigger();
    form.Contents1->trigger();
    ASSERT_NE(form.HelpWindow(), nullptr);
    icons["help"] = form.HelpWindow()->windowIcon();
    // The program's own message boxes.
    QtDialogs real;
    QTimer::singleShot(50, [&] {
        icons["error box"] = QApplication::activeModalWidget()->windowIcon();
        QApplication::activeModalWidget()->close();
    });
    real.ErrorBox(&form, "Invalid PNG Format.");

    for (const QString kind : {"main window", "document window", "Quick Start", "Open Page", "About",
                               "Preferences", "help", "error box"}) {
        ASSERT_TRUE(icons.count(kind)) << kind.toStdString() << " was not shown";
        EXPECT_TRUE(IsProgramIcon(icons[kind])) << kind.toStdString();
    }

    // The document window's title bar shows that icon too, not the toolkit's logo.
    const TitleBarIconColours bar = TitleBarIcon(*document);
    EXPECT_GT(bar.red, 2) << "the marker of the program's icon";
    EXPECT_EQ(bar.green, 0) << "the toolkit's logo";
}

}  // namespace
}  // namespace curvana::test
