#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QScrollBar>
#include <QToolBar>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>
#include <sstream>

#include "MainFormFixture.h"
#include "app/TListingMemo.h"
#include "document/ProjectFile.h"
#include "document/TPictureView.h"
#include "output/Printing.h"
#include "platform/NumberText.h"
#include "platform/RasterCanvas.h"
#include "trace/Trace.h"

namespace curvana::test {
namespace {

// Right-clicks at a picture point; the menu, if one opens, picks choose (null: dismissed). Gives the
// items shown, "-" for the separator and "(off)" after a disabled one.
QStringList RightClick(TChildForm& child, TPoint at, QAction* choose) {
    QStringList shown;
    child.PopupExec = [&](QMenu& menu, const QPoint&) {
        for (QAction* a : menu.actions())
            if (a->isVisible())
                shown << (a->isSeparator() ? "-" : a->text()) + (a->isEnabled() ? "" : " (off)");
        return choose;
    };
    QTest::mousePress(child.View(), Qt::RightButton, {}, QPoint(10 + at.X, 10 + at.Y));
    QTest::mouseRelease(child.View(), Qt::RightButton, {}, QPoint(10 + at.X, 10 + at.Y));
    QCoreApplication::processEvents();  // the command runs after the press
    return shown;
}

// A print job onto one raster page; the listing's text is dropped.
class RasterPage : public PrintSurface {
  public:
    explicit RasterPage(Bitmap& page) : page_(page), canvas_(page) {}
    std::int64_t PageWidth() const override { return page_.Width(); }
    std::int64_t PageHeight() const override { return page_.Height(); }
    Canvas& PageCanvas() override { return canvas_; }
    void TextOut(std::int64_t, std::int64_t, const std::string&) override {}
    std::int64_t TextHeight(const std::string&) override { return 10; }
    void NewPage() override {}

  private:
    Bitmap& page_;
    RasterCanvas canvas_;
};

// Editing with the mouse in a document window: a 200 by 100 picture whose box starts with corner 1
// at (20, 90) and corner 4 at (180, 10), on scales 0 to 10 in both directions.
class EditingTest : public MainFormFixture {
  protected:
    TChildForm* child = nullptr;

    PlotDocument& Doc() { return child->Document(); }
    void Open() {
        StartQuietly();
        child = OpenDocument(MakeBmp("plot.bmp", 200, 100));
        ASSERT_NE(child, nullptr);
        form->Edit2->setText("10");
        form->Edit4->setText("10");
    }
    // The window point over a picture point at zoom level 0.
    static QPoint At(TPoint p) { return {10 + p.X, 10 + p.Y}; }
    void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(child->View(), button, {}, at);
        QTest::mouseRelease(child->View(), button, {}, at);
        QCoreApplication::processEvents();
    }
    QString Panel(int n) const { return form->StatusPanels[std::size_t(n)]->text(); }
    // The pixels of the window's raster that differ from a full repaint of the document.
    int Unlike() {
        const TPictureView& view = *child->View();
        Bitmap full(view.Raster().Width(), view.Raster().Height(), PixelFormat::Raster32());
        RasterCanvas canvas(full);
        DocumentView at{canvas, view.RasterRect().x(), view.RasterRect().y()};
        Doc().FormPaint(at);
        int wrong = 0;
        for (int y = 0; y < full.Height(); ++y)
            for (int x = 0; x < full.Width(); ++x)
                wrong += full.PixelColor(x, y) != view.Raster().PixelColor(x, y);
        return wrong;
    }
    // Which of the mode buttons 9, 8, 10, 13 and 14, or of their Data menu items, are down ("1").
    QString States(bool menu) const {
        QString s;
        for (QAction* b : {form->ToolButton9, form->ToolButton8, form->ToolButton10, form->ToolButton13,
                           form->ToolButton14, form->AddPointtoDataSerie1, form->RemovePointFromDataSerie1,
                           form->RemoveDataSerie1, form->AddSingleMarker1, form->DeleteSingleMarker1})
            s += b->isChecked() ? "1" : "0";
        return menu ? s.mid(5) : s.left(5);
    }
    std::vector<TPoint> Points(int series) {
        std::vector<TPoint> points;
        for (const auto& m : Doc().DataSeries[std::size_t(series)]->Markers)
            points.push_back(m->Position());
        return points;
    }
};

TEST_F(EditingTest, ModeCommandsSetOneModeAndItsPrompt) {
    StartQuietly();
    // Without a document a mode command only leaves its button up.
    form->AddPointtoDataSerie1->trigger();
    QTest::mouseClick(form->ToolBar1->widgetForAction(form->ToolButton13), Qt::LeftButton);
    EXPECT_EQ(States(false) + States(true), "0000000000");
    EXPECT_EQ(Panel(1), "");
    form->AddDataSerie1->trigger();  // nothing to add to

    child = OpenDocument(MakeBmp("plot.bmp", 200, 100));
    ASSERT_NE(child, nullptr);
    auto modes = [this] {
        const PlotDocument& d = Doc();
        return QString("%1%2%3%4%5")
            .arg(d.AddPointMode)
            .arg(d.DeletePointMode)
            .arg(d.DeleteSeriesMode)
            .arg(d.AddSingleMode)
            .arg(d.DeleteSingleMode);
    };
    struct Step {
        QAction* menu;    // the Data menu item, or null for a click on button
        QAction* button;  // the mode's button
        QString modes;    // AddPoint, DeletePoint, DeleteSeries, AddSingle, DeleteSingle
        QString down;     // buttons 9, 8, 10, 13, 14
        QString prompt;
    };
    const std::vector<Step> steps = {
        {form->AddPointtoDataSerie1, form->ToolButton9, "10000", "10000",
         "Click in the plot to add a marker to a dataseries."},
        {nullptr, form->ToolButton13, "00010", "00010", "Click to add a single marker."},
        {form->DeleteSingleMarker1, form->ToolButton14, "00001", "00001",
         "Click on a single marker to delete it."},
        {form->DeleteSingleMarker1, form->ToolButton14, "00000", "00000", ""},
        {nullptr, form->ToolButton10, "00100", "00100", "Click on a dataseries to delete it."},
        {form->RemovePointFromDataSerie1, form->ToolButton8, "01000", "01000",
         "Click a marker on a dataseries to delete it."},
        {nullptr, form->ToolButton8, "00000", "00000", ""},
        {form->AddSingleMarker1, form->ToolButton13, "00010", "00010", "Click to add a single marker."},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        if (s.menu)
            s.menu->trigger();
        else
            QTest::mouseClick(form->ToolBar1->widgetForAction(s.button), Qt::LeftButton);
        EXPECT_EQ(modes(), s.modes) << "step " << i;
        EXPECT_EQ(States(false), s.down) << "step " << i;
        EXPECT_EQ(States(true), s.down) << "step " << i << ": the menu shows the buttons";
        EXPECT_EQ(Panel(1), s.prompt) << "step " << i;
    }

    // Add DataSeries keeps a single-marker mode but clears the prompt, and ends a series mode.
    form->AddDataSerie1->trigger();
    EXPECT_EQ(modes(), "00010");
    EXPECT_EQ(States(false), "00010");
    EXPECT_EQ(Panel(1), "");
    form->ToolButton9Click(true);
    QTest::mouseClick(form->ToolBar1->widgetForAction(form->AddDataSerie1), Qt::LeftButton);
    EXPECT_EQ(modes(), "00000");
    EXPECT_EQ(States(false) + States(true), "0000000000");

    // Both series start a tenth of the way along the box's diagonal and end in its middle.
    ASSERT_EQ(Doc().DataSeries.size(), 2u);
    EXPECT_EQ(Points(0), (std::vector<TPoint>{{36, 82}, {100, 50}}));
    EXPECT_EQ(Doc().DataSeries[1]->Name, "DataSeries 2");
    EXPECT_EQ(child->View()->ClientPixel(At({36, 82}).x() - 6, At({36, 82}).y()), clBlack) << "drawn at once";
}

TEST_F(EditingTest, EachDocumentShowsItsOwnModeWhenActivated) {
    Open();
    TChildForm* a = child;
    form->AddDataSerie1->trigger();
    form->AddPointtoDataSerie1->trigger();
    TChildForm* b = OpenDocument(MakeBmp("b.bmp", 200, 100));
    EXPECT_EQ(States(false) + Panel(1), "00000") << "a new document has no mode";
    form->AddSingleMarker1->trigger();
    // Back and forth through the Window menu: the buttons, the menu and the prompt follow.
    const QString series = "10000Click in the plot to add a marker to a dataseries.";
    for (const auto& [to, shown] : std::vector<std::pair<TChildForm*, QString>>{
             {a, series}, {b, "00010Click to add a single marker."}, {a, series}}) {
        emit form->Window1->aboutToShow();
        for (QAction* item : form->Window1->actions())
            if (item->text().endsWith(" " + to->windowTitle())) item->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(States(false) + Panel(1), shown);
        EXPECT_EQ(States(true), shown.left(5));
    }
    Press(At({120, 40}));  // the first click adds to a's series, as its button says
    EXPECT_EQ(Points(0).size(), 3u);
    EXPECT_TRUE(b->Document().SingleMarkers.empty());
    b->Document().Modified = false;
    b->close();  // a stays active and keeps its mode on show
    EXPECT_EQ(States(false), "10000");
}

TEST_F(EditingTest, PressesMapToPicturePointsAndStopAtThePictureEdge) {
    Open();
    form->ToolButton13Click(true);
    Press({110, 60});
    form->ZoomIn1->trigger();
    Press({110, 60});
    ASSERT_EQ(Doc().SingleMarkers.size(), 2u);
    EXPECT_EQ(Doc().SingleMarkers[0]->Position(), (TPoint{100, 50}));
    EXPECT_EQ(Doc().SingleMarkers[1]->Position(), (TPoint{71, 36})) << "at zoom 1.4";
    form->N3->trigger();
    EXPECT_EQ(form->Memo1->Lines(), QStringList({"Single Markers", "5 , 5", "3.18 , 6.75"}))
        << "digits cut, not rounded";

    // One pixel right of the last column, in every mode: nothing, not even a hit on the box.
    form->AddDataSerie1->trigger();
    Doc().Box.SetCorner(199, 10, 4);
    for (QAction* mode : {form->AddPointtoDataSerie1, form->RemovePointFromDataSerie1, form->RemoveDataSerie1,
                          form->AddSingleMarker1, form->DeleteSingleMarker1}) {
        mode->trigger();
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
            child->PopupExec = [](QMenu&, const QPoint&) -> QAction* {
                ADD_FAILURE() << "a menu outside the picture";
                return nullptr;
            };
            QTest::mousePress(child->View(), button, {}, At({200, 10}));
            QTest::mouseMove(child->View(), At({205, 10}));
            QTest::mouseRelease(child->View(), button, {}, At({205, 10}));
        }
        EXPECT_EQ(Doc().DragIndex, -1);
    }
    EXPECT_EQ(Doc().DataSeries.size(), 1u);
    EXPECT_EQ(Doc().DataSeries[0]->Count(), 2);
    EXPECT_EQ(Doc().SingleMarkers.size(), 2u);
    EXPECT_EQ(Doc().Box.Marker(4).Position(), (TPoint{199, 10}));
}

TEST_F(EditingTest, ClicksOnMarkersDependOnTheMode) {
    Open();
    form->AddDataSerie1->trigger();  // (36, 82) - (100, 50)
    Doc().AddSeries({40, 20}, {160, 20});
    Doc().AddPointToNearestSeries({100, 25});  // the second series has 3 markers
    Doc().AddSingleMarker({60, 60});
    Doc().AddSingleMarker({150, 70});

    // Adding point: a click on a marker drags it, elsewhere the nearest series gets the point.
    form->AddPointtoDataSerie1->trigger();
    QTest::mousePress(child->View(), Qt::LeftButton, {}, At({102, 52}));
    EXPECT_EQ(Doc().DragIndex, 5) << "the first series' second marker";
    QTest::mouseMove(child->View(), At({110, 55}));
    QTest::mouseRelease(child->View(), Qt::LeftButton, {}, At({110, 55}));
    EXPECT_EQ(Doc().DragIndex, -1);
    EXPECT_EQ(Points(0), (std::vector<TPoint>{{36, 82}, {110, 55}}));
    EXPECT_EQ(form->Memo1->Lines().mid(0, 3), QStringList({"DataSeries 1", "1 , 1", "5.62 , 4.37"}));
    Press(At({120, 60}));
    EXPECT_EQ(Points(0).back(), (TPoint{120, 60}));

    struct Case {
        QAction* mode;
        TPoint at;
        std::size_t series0, series1, singles;  // counts after the click
    };
    const std::vector<Case> cases = {
        {form->RemovePointFromDataSerie1, {20, 90}, 3, 3, 2},  // a box corner
        {form->RemovePointFromDataSerie1, {60, 60}, 3, 3, 2},  // a single marker
        {form->RemovePointFromDataSerie1, {101, 24}, 3, 2, 2},
        {form->RemovePointFromDataSerie1, {40, 20}, 3, 2, 2},  // its series has 2 left
        {form->DeleteSingleMarker1, {36, 82}, 3, 2, 2},        // a series marker
        {form->DeleteSingleMarker1, {180, 10}, 3, 2, 2},
        {form->DeleteSingleMarker1, {62, 58}, 3, 2, 1},
    };
    for (const Case& c : cases) {
        if (!c.mode->isChecked()) c.mode->trigger();
        Press(At(c.at));
        EXPECT_EQ(Doc().DataSeries[0]->Count(), int(c.series0)) << c.at.X;
        EXPECT_EQ(Doc().DataSeries[1]->Count(), int(c.series1)) << c.at.X;
        EXPECT_EQ(Doc().SingleMarkers.size(), c.singles) << c.at.X;
        EXPECT_EQ(Doc().DragIndex, -1);
    }
    EXPECT_EQ(Doc().SingleMarkers[0]->Position(), (TPoint{150, 70})) << "the other single marker stays";
    EXPECT_EQ(Doc().MarkerList().size(), 4u + 3 + 2 + 1);

    // Deleting series: a left click near a line deletes it, a right click on a marker opens the menu.
    form->RemoveDataSerie1->trigger();
    int menus = 0;
    child->PopupExec = [&](QMenu&, const QPoint&) -> QAction* {
        ++menus;
        return nullptr;
    };
    Press(At({150, 70}), Qt::RightButton);
    EXPECT_EQ(menus, 1);
    Press(At({1, 1}));  // ends the dismissed menu
    Press(At({100, 16}));
    ASSERT_EQ(Doc().DataSeries.size(), 1u);
    EXPECT_EQ(Doc().DataSeries[0]->Name, "DataSeries 1");
    EXPECT_EQ(Doc().MarkerList().size(), 4u + 3 + 1);
}

TEST_F(EditingTest, DragsRedrawAsTheyGoAndBoxCornersStop) {
    Open();
    Doc().AddSingleMarker({60, 60});
    child->FormPaint();
    QCoreApplication::processEvents();
    TPictureView& view = *child->View();
    const QPoint old = At({60, 60}), moved = At({80, 40});
    ASSERT_EQ(view.ClientPixel(old.x() - 6, old.y()), clBlack);

    QTest::mousePress(&view, Qt::LeftButton, {}, old);
    QTest::mouseMove(&view, moved);
    EXPECT_EQ(Doc().SingleMarkers[0]->Position(), (TPoint{80, 40}));
    EXPECT_EQ(view.ClientPixel(old.x() - 6, old.y()), clWhite) << "erased where it was";
    EXPECT_EQ(view.ClientPixel(moved.x() - 6, moved.y()), clBlack) << "drawn where it is";
    EXPECT_EQ(form->Memo1->Lines(), QStringList({"Single Markers", "3.75 , 6.25"}));
    EXPECT_EQ(Panel(0), "3.75 , 6.25");
    QTest::mouseMove(&view, At({250, 40}));  // outside the picture: it stays
    EXPECT_EQ(Doc().SingleMarkers[0]->Position(), (TPoint{80, 40}));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, At({250, 40}));

    // Corner 1 pulled along the diagonal past the box's middle stops short of it and stays.
    QTest::mousePress(&view, Qt::LeftButton, {}, At({20, 90}));
    for (int t = 1; t <= 60; ++t)
        QTest::mouseMove(&view, At({20 + 2 * t, 90 - t}));
    const TPoint stopped = Doc().Box.Marker(1).Position();
    QTest::mouseRelease(&view, Qt::LeftButton, {}, At({140, 30}));
    EXPECT_EQ(stopped.X, 20 + 2 * (90 - stopped.Y)) << "a point it was dragged over";
    EXPECT_GE(stopped.X, 90);
    EXPECT_LT(stopped.X, 100) << "before the diagonal from corner 2 to corner 3";
}

TEST_F(EditingTest, EveryOperationLeavesTheWindowAsAFullRepaintWould) {
    Open();
    // Two series and a single marker where a third series, from (36, 82) to (100, 50), will cross.
    Doc().AddSeries({40, 50}, {100, 90});
    Doc().AddSeries({30, 70}, {110, 60});
    Doc().AddSingleMarker({50, 70});
    child->FormPaint();
    QCoreApplication::processEvents();
    dialogs.colors = {QColor(Qt::blue)};
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"add a series", [&] { form->AddDataSerie1->trigger(); }},
        {"add a point to it",
         [&] {
             form->AddPointtoDataSerie1->trigger();
             Press(At({68, 66}));
         }},
        {"select a marker",
         [&] {
             Press(At({40, 50}));
         }},
        {"move it with the keys",
         [&] {
             for (int i = 0; i < 5; ++i)
                 QTest::keyClick(child->View(), Qt::Key_Right);
             QTest::keyClick(child->View(), Qt::Key_Down, Qt::ShiftModifier);
         }},
        {"colour a series",
         [&] {
             RightClick(*child, {30, 70}, child->Color1);
         }},
        {"add a single marker on a series",
         [&] {
             form->AddSingleMarker1->trigger();
             Press(At({86, 63}));
         }},
        {"drag a marker across",
         [&] {
             QTest::mousePress(child->View(), Qt::LeftButton, {}, At({100, 90}));
             QTest::mouseMove(child->View(), At({90, 70}));
             QTest::mouseMove(child->View(), At({60, 40}));
             QTest::mouseRelease(child->View(), Qt::LeftButton, {}, At({60, 40}));
         }},
        {"clear the selection", [&] { QTest::keyClick(child->View(), Qt::Key_Escape); }},
        {"delete a point",
         [&] {
             form->RemovePointFromDataSerie1->trigger();
             Press(At({68, 66}));
         }},
    };
    for (const auto& [what, step] : steps) {
        step();
        QCoreApplication::processEvents();
        EXPECT_EQ(Unlike(), 0) << what;
    }
    EXPECT_EQ(Doc().DataSeries[2]->Count(), 2) << "every step did its work";
    EXPECT_EQ(Doc().DataSeries[0]->Marker(0).Position(), (TPoint{45, 60}));
    EXPECT_EQ(Doc().DataSeries[1]->Color, RGB(0, 0, 255));
    EXPECT_EQ(Doc().SingleMarkers.size(), 2u);
    EXPECT_EQ(Doc().DataSeries[0]->Marker(1).Position(), (TPoint{60, 40}));

    // Deep in, zoomed with the wheel over that marker, a drag and a repaint of the window still show
    // what a full repaint would.
    form->RemovePointFromDataSerie1->trigger();  // the mode off again
    const QPoint pointer = child->View()->mapToGlobal(At({60, 40}));
    for (int i = 0; i < 10; ++i) {
        const QPointF at(child->View()->mapFromGlobal(pointer));
        QWheelEvent e(at, QPointF(pointer), {}, {0, 120}, Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(child->View(), &e);
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(Doc().ZoomLevel, 10);
    EXPECT_EQ(Unlike(), 0) << "zoomed";
    const double z = Doc().ZoomFactor();
    const auto shown = [z](TPoint p) { return QPoint(int(10 + Round(z * p.X)), int(10 + Round(z * p.Y))); };
    QTest::mousePress(child->View(), Qt::LeftButton, {}, shown({60, 40}));
    QTest::mouseMove(child->View(), shown({62, 41}));
    QTest::mouseMove(child->View(), shown({63, 42}));
    QTest::mouseRelease(child->View(), Qt::LeftButton, {}, shown({63, 42}));
    QCoreApplication::processEvents();
    EXPECT_EQ(Doc().DataSeries[0]->Marker(1).Position(), (TPoint{63, 42}));
    EXPECT_EQ(Unlike(), 0) << "dragged deep in";
    child->FormPaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(Unlike(), 0) << "repainted deep in";
}

TEST_F(EditingTest, CtrlZTakesEveryChangeBackToTheSavedFile) {
    Open();
    dialogs.files.push_back(Path("plot.cvn"));
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    QFile saved(Path("plot.cvn"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray original = saved.readAll();
    child->close();
    child = OpenDocument(Path("plot.cvn"));  // the project opens with no history
    ASSERT_NE(child, nullptr);
    ASSERT_FALSE(Doc().Modified);
    EXPECT_FALSE(form->Undo1->isEnabled());
    TPictureView& view = *child->View();
    const auto click = [&](QAction* button) {
        QTest::mouseClick(form->ToolBar1->widgetForAction(button), Qt::LeftButton);
    };

    QTest::mousePress(&view, Qt::LeftButton, {}, At({20, 90}));  // corner 1 a little further out
    QTest::mouseMove(&view, At({24, 93}));
    QTest::mouseMove(&view, At({25, 95}));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, At({25, 95}));
    EXPECT_EQ(form->Undo1->text(), "&Undo Move Box Corner");
    click(form->AddDataSerie1);
    click(form->ToolButton9);  // a marker into the new series
    Press(At({90, 30}));
    click(form->ToolButton9);
    click(form->ToolButton13);  // two single markers, the second nudged
    Press(At({150, 70}));
    Press(At({160, 20}));
    Press(At({160, 20}));
    for (int k = 0; k < 3; ++k)
        QTest::keyClick(&view, Qt::Key_Left);
    form->Edit3->setFocus();  // a scale value typed and confirmed
    QTest::keyClicks(form->Edit3, "2");
    QTest::keyClick(form->Edit3, Qt::Key_Return);
    EXPECT_EQ(form->Undo1->text(), "&Undo Set Y-scale Minimum");
    click(form->ToolButton10);  // the series goes
    Press(At({90, 30}));
    ASSERT_TRUE(Doc().DataSeries.empty());
    EXPECT_EQ(Doc().SingleMarkers[1]->Position(), (TPoint{157, 20}));
    EXPECT_EQ(form->Undo1->text(), "&Undo Delete DataSeries");
    EXPECT_FALSE(form->Redo1->isEnabled());

    view.setFocus();
    int undone = 0;
    while (form->Undo1->isEnabled() && undone < 20) {
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
        QCoreApplication::processEvents();
        ++undone;
        EXPECT_EQ(Unlike(), 0) << "undo " << undone;
        if (undone == 1) {
            EXPECT_EQ(form->Redo1->text(), "&Redo Delete DataSeries");
        }
    }
    // Corner, series, marker, two single markers, the nudges, the scale value, the deletion.
    EXPECT_EQ(undone, 8);
    EXPECT_EQ(form->Edit3->text(), "0");
    EXPECT_EQ(form->Memo1->Lines(), QStringList());
    std::ostringstream now;
    WriteProject(Doc(), now);
    EXPECT_TRUE(QByteArray::fromStdString(now.str()) == original) << "the document is its file again";
    EXPECT_FALSE(Doc().Modified);
    // Redone with Ctrl+Y up to the deletion, and undone again: closing does not ask.
    for (int k = 0; k < 8; ++k)
        QTest::keyClick(&view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(Doc().DataSeries.empty());
    EXPECT_EQ(Doc().SingleMarkers.size(), 2u);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // nothing left to redo
    for (int k = 0; k < 8; ++k)
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    child->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->MDIChildren().empty());
    for (const Interaction& i : dialogs.log)
        EXPECT_NE(i.kind, Interaction::Question) << i.text.toStdString();
}

TEST_F(EditingTest, CtrlZInAScaleFieldUndoesItsTypingFirst) {
    Open();
    Doc().AddSingleMarker({60, 60});
    form->DocumentEdited(*child);
    form->Edit1->setFocus();
    form->Edit1->selectAll();
    QTest::keyClicks(form->Edit1, "4");
    EXPECT_EQ(Doc().XMin, 4);
    QTest::keyClick(form->Edit1, Qt::Key_Z, Qt::ControlModifier);  // the field's own typing
    EXPECT_EQ(form->Edit1->text(), "0");
    EXPECT_EQ(Doc().SingleMarkers.size(), 1u);
    QTest::keyClick(form->Edit1, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(form->Edit1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->Edit1->text(), "0");
    // With nothing left to undo in the field, the document's changes: the marker first.
    EXPECT_TRUE(Doc().SingleMarkers.empty());
}

TEST_F(EditingTest, TraceCurveModeTurnsAClickOnACurveIntoASeries) {
    StartQuietly();
    // A blue wave two pixels wide across a white 200 by 100 picture.
    Bitmap picture(200, 100, PixelFormat::Rgb24());
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            picture.SetPixelValue(x, y,
                                  std::abs(y - (50 + 25 * std::sin(x / 20.0))) < 1.2 ? 0x1E3CC8 : 0xFFFFFF);
    const QString path = Path("wave.bmp");
    WriteBmpFile(picture, path.toStdString());
    child = OpenDocument(path);
    ASSERT_NE(child, nullptr);
    QTest::mouseClick(form->ToolBar1->widgetForAction(form->ToolButton17), Qt::LeftButton);
    EXPECT_TRUE(form->TraceCurve1->isChecked());
    EXPECT_EQ(Panel(1), "Click on a curve to trace it.");
    const TPoint on{100, int(std::lround(50 + 25 * std::sin(5.0))) + 2};
    Press(At(on));
    ASSERT_EQ(Doc().DataSeries.size(), 1u);
    const TraceBox box{Doc().Box.Marker(1).Position(), Doc().Box.Marker(2).Position(),
                       Doc().Box.Marker(3).Position(), Doc().Box.Marker(4).Position()};
    const std::vector<TPoint> expected = TraceCurve(Doc().Picture, box, on, form->Tracing());
    ASSERT_GE(expected.size(), 10u);
    EXPECT_EQ(Points(0), expected);
    // Its name, its markers and the blank line after them.
    EXPECT_EQ(form->Memo1->Lines().size(), qsizetype(expected.size() + 2));
    EXPECT_EQ(Unlike(), 0);
    EXPECT_EQ(form->Undo1->text(), "&Undo Trace Curve");
    EXPECT_TRUE(form->TraceCurve1->isChecked()) << "the mode stays for the next curve";

    // Nothing there: nothing added, and a message says so; likewise for symbols.
    Press(At({100, 5}));
    form->TraceSymbols1->trigger();
    EXPECT_FALSE(form->TraceCurve1->isChecked());
    Press(At({100, 5}));
    EXPECT_EQ(Doc().DataSeries.size(), 1u);
    EXPECT_EQ(dialogs.Texts(Interaction::Error),
              QStringList(
                  {"No curve was found at that point.", "Fewer than two symbols like that one were found."}));
}

TEST_F(EditingTest, DraggingPastTheDocumentAreaScrollsItOneLinePerMove) {
    Open();
    Doc().AddSingleMarker({60, 60});
    QMdiArea* area = form->MDIClient;
    child->move(area->viewport()->width() - 150, 0);  // partly beyond the right edge
    QCoreApplication::processEvents();
    QScrollBar* bar = area->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const int start = bar->value();
    TPictureView* view = child->View();
    QTest::mousePress(view, Qt::LeftButton, {}, At({60, 60}));
    // Five pixels right of the area, wherever the window has been scrolled to.
    auto beyond = [&] {
        return view->mapFrom(area->viewport(), QPoint(area->viewport()->width() + 5, 0)).x();
    };
    QTest::mouseMove(view, {beyond(), At({60, 60}).y()});
    QTest::mouseMove(view, {beyond(), At({60, 60}).y()});
    EXPECT_EQ(bar->value(), std::min(bar->maximum(), start + 2 * bar->singleStep()));
    EXPECT_GT(Doc().SingleMarkers[0]->X, 60) << "the marker follows on the hidden part of the picture";
    QTest::mouseRelease(view, Qt::LeftButton, {}, At({60, 60}));
    QTest::mouseMove(view, {beyond(), At({60, 60}).y()});
    EXPECT_EQ(bar->value(), std::min(bar->maximum(), start + 2 * bar->singleStep())) << "only while dragging";
}

TEST_F(EditingTest, DraggingPastTheWindowsOwnEdgeScrollsItsViewOneLinePerMove) {
    Open();
    Doc().AddSingleMarker({60, 60});
    child->resize(160, 110);  // shows less than the picture: the window gets scroll bars of its own
    QCoreApplication::processEvents();
    auto* scroll = child->findChild<QAbstractScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    QScrollBar* bar = scroll->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 2 * bar->singleStep());
    ASSERT_EQ(bar->value(), 0);
    TPictureView* view = child->View();
    QTest::mousePress(view, Qt::LeftButton, {}, At({60, 60}));
    // Three pixels below the window's view, wherever it has been scrolled to.
    auto below = [&] {
        return view->mapFrom(scroll->viewport(), QPoint(0, scroll->viewport()->height() + 3)).y();
    };
    QTest::mouseMove(view, {At({60, 60}).x(), below()});
    QTest::mouseMove(view, {At({60, 60}).x(), below()});
    EXPECT_EQ(bar->value(), 2 * bar->singleStep());
    // The second move was one line short of where the pointer is now; picture rows start 10 below.
    EXPECT_EQ(Doc().SingleMarkers[0]->Y, below() - bar->singleStep() - 10)
        << "the marker follows the pointer";
    QTest::mouseRelease(view, Qt::LeftButton, {}, At({60, 60}));
    QTest::mouseMove(view, {At({60, 60}).x(), below()});
    EXPECT_EQ(bar->value(), 2 * bar->singleStep()) << "only while dragging";
    EXPECT_EQ(scroll->horizontalScrollBar()->value(), 0);
}

TEST_F(EditingTest, HintsReadOutArrowKeysAndWheel) {
    Open();
    Doc().AddSingleMarker({100, 50});
    QTest::mouseMove(child->View(), At({102, 48}));
    EXPECT_EQ(QToolTip::text(), "(5 , 5)");
    EXPECT_EQ(Panel(0), "5.12 , 5.25");
    QTest::mouseMove(child->View(), At({120, 48}));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000)) << "hidden off the marker";

    // The arrow keys move the marker last pressed, wherever the pointer is, until Escape or a press
    // on another marker; Shift moves ten pixels, as far as the picture reaches.
    Doc().AddSingleMarker({60, 60});
    QTest::mouseMove(child->View(), At({100, 50}));  // the pointer stays here
    child->View()->setFocus();
    const TPoint none{-1, -1};
    struct Key {
        TPoint press;  // a press there first, unless none
        int key;
        Qt::KeyboardModifiers shift;
        TPoint first, second;  // the single markers after the key
    };
    const std::vector<Key> keys = {
        {{100, 50}, Qt::Key_Right, {}, {101, 50}, {60, 60}},
        {none, Qt::Key_Right, {}, {102, 50}, {60, 60}},
        {none, Qt::Key_Right, {}, {103, 50}, {60, 60}},
        {none, Qt::Key_Right, {}, {104, 50}, {60, 60}},
        {none, Qt::Key_Right, {}, {105, 50}, {60, 60}},
        {none, Qt::Key_Up, {}, {105, 49}, {60, 60}},  // now 5 pixels from where the pointer is
        {none, Qt::Key_Right, Qt::ShiftModifier, {115, 49}, {60, 60}},
        {none, Qt::Key_Down, Qt::ShiftModifier, {115, 59}, {60, 60}},
        {{60, 60}, Qt::Key_Left, {}, {115, 59}, {59, 60}},
        {none, Qt::Key_Escape, {}, {115, 59}, {59, 60}},
        {none, Qt::Key_Left, {}, {115, 59}, {59, 60}},
        {{116, 58}, Qt::Key_Down, Qt::ShiftModifier, {115, 69}, {59, 60}},
        {none, Qt::Key_Right, Qt::ShiftModifier, {125, 69}, {59, 60}},
        {{59, 60}, Qt::Key_Left, Qt::ShiftModifier, {125, 69}, {49, 60}},
    };
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Key& k = keys[i];
        if (k.press != none) Press(At(k.press));
        QTest::keyClick(child->View(), Qt::Key(k.key), k.shift);
        EXPECT_EQ(Doc().SingleMarkers[0]->Position(), k.first) << "key " << i;
        EXPECT_EQ(Doc().SingleMarkers[1]->Position(), k.second) << "key " << i;
    }
    EXPECT_EQ(form->Memo1->Lines(), QStringList({"Single Markers", "6.56 , 2.62", "1.81 , 3.75"}));

    // The selected marker has an outline on the screen (a black square 2 * MSize + 2 from its centre
    // on this white picture), not in a print nor in the picture that is saved.
    const QPoint selected = At({49, 60});
    EXPECT_EQ(child->View()->ClientPixel(selected.x() - 10, selected.y() - 10), clBlack);
    Bitmap page(200, 100, PixelFormat::Raster32());
    RasterPage surface(page);
    PrintDocument(Doc(), {}, surface);
    EXPECT_EQ(page.PixelColor(49 - 8, 60), clBlack) << "the marker's arm";
    EXPECT_EQ(page.PixelColor(49 - 10, 60 - 10), clWhite);
    EXPECT_EQ(Doc().ZoomedPicture.PixelColor(49 - 10, 60 - 10), clWhite);
    QTest::keyClick(child->View(), Qt::Key_Escape);
    EXPECT_EQ(child->View()->ClientPixel(selected.x() - 10, selected.y() - 10), clWhite) << "and goes";

    // Shift stops at the picture's edge; a box corner moves only where a drag would take it.
    Press(At({180, 10}));
    QTest::keyClick(child->View(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(child->View(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Doc().Box.Marker(4).Position(), (TPoint{199, 10}));
    Press(At({20, 10}));
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(child->View(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Doc().Box.Marker(3).Position(), (TPoint{20, 80})) << "held above corner 1";

    // Deleting the selected marker ends the selection.
    Press(At({49, 60}));
    form->DeleteSingleMarker1->trigger();
    Press(At({49, 60}));
    form->DeleteSingleMarker1->trigger();
    ASSERT_EQ(Doc().SingleMarkers.size(), 1u);
    QTest::keyClick(child->View(), Qt::Key_Left);
    EXPECT_EQ(Doc().SingleMarkers[0]->Position(), (TPoint{125, 69}));

    auto wheel = [this](int turn) {
        const QPointF at(At({100, 50}));
        QWheelEvent e(at, child->View()->mapToGlobal(at), {}, {0, turn}, Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(child->View(), &e);
    };
    wheel(120);
    EXPECT_EQ(Doc().ZoomLevel, 1);
    wheel(-120);
    wheel(-120);
    EXPECT_EQ(Doc().ZoomLevel, -1);
}

TEST_F(EditingTest, MarkerMenuShowsWhatSuitsTheMarkerAndItsCommandsWork) {
    Open();
    form->AddDataSerie1->trigger();           // (36, 82) - (100, 50)
    Doc().AddPointToNearestSeries({68, 66});  // in the middle: 3 markers
    Doc().AddSingleMarker({150, 70});
    TChildForm& c = *child;

    // A box corner shows its values only. A dismissed menu swallows the next press, not two.
    EXPECT_EQ(RightClick(c, {180, 10}, nullptr), QStringList({"X: 10", "Y: 10"}));
    form->AddSingleMarker1->trigger();
    Press(At({120, 30}));
    EXPECT_EQ(Doc().SingleMarkers.size(), 1u);
    Press(At({120, 30}));
    EXPECT_EQ(Doc().SingleMarkers.size(), 2u);
    form->AddSingleMarker1->trigger();

    // Series markers: Delete only while the series has more than 2.
    EXPECT_EQ(RightClick(c, {36, 82}, c.Delete1),
              QStringList({"&Delete", "&Color", "-", "DataSeries 1", "X: 1", "Y: 1"}));
    EXPECT_EQ(Points(0), (std::vector<TPoint>{{68, 66}, {100, 50}}));
    EXPECT_EQ(form->Memo1->Lines().mid(0, 3), QStringList({"DataSeries 1", "3 , 3", "5 , 5"}));
    EXPECT_EQ(RightClick(c, {68, 66}, c.Delete1).first(), "&Delete (off)");
    EXPECT_EQ(Doc().DataSeries[0]->Count(), 2);
    EXPECT_EQ(Doc().PopupIndex, -1);

    // Color: the whole series takes it; the dialog starts where it was left, also after a cancel.
    dialogs.colors = {QColor(Qt::red), std::nullopt};
    RightClick(c, {100, 50}, c.Color1);
    EXPECT_EQ(Doc().DataSeries[0]->Color, clRed);
    for (const auto& m : Doc().DataSeries[0]->Markers)
        EXPECT_EQ(m->Color, clRed);
    EXPECT_EQ(c.View()->ClientPixel(At({68, 66}).x() - 6, At({68, 66}).y()), clRed);
    Doc().Modified = false;
    EXPECT_EQ(RightClick(c, {150, 70}, c.Color1),
              QStringList({"&Delete", "&Color", "-", "X: 8.12", "Y: 2.5"}))
        << "a single marker has no name";
    EXPECT_EQ(Doc().SingleMarkers[0]->Color, clBlack);
    EXPECT_TRUE(Doc().Modified) << "also after a cancel";
    EXPECT_EQ(dialogs.Texts(Interaction::Color), QStringList({"#000000", "#ff0000"}));

    // Name: an empty name is taken as it is.
    dialogs.inputs = {QString()};
    RightClick(c, {100, 50}, c.Name1);
    ASSERT_EQ(dialogs.log.back().kind, Interaction::Input);
    EXPECT_EQ(dialogs.log.back().text, "Enter DataSeries Name:");
    EXPECT_EQ(dialogs.log.back().request.title, "Curvana");
    EXPECT_EQ(dialogs.log.back().request.fileName, "DataSeries 1");
    EXPECT_EQ(Doc().DataSeries[0]->Name, "");
    EXPECT_EQ(form->Memo1->Lines().first(), "");

    // X: and Y: move the marker to the typed value on that axis; a point off the picture is ignored,
    // text that is no number keeps the marker's own value.
    struct Typed {
        QAction* item;
        std::optional<QString> text;
        TPoint expected;
    };
    const std::vector<Typed> typed = {
        {c.X1, "5", {100, 66}},  // the middle between the box's left and right edges
        {c.Y1, "7.5", {100, 30}}, {c.X1, "-5", {100, 30}},  // left of column 0
        {c.X1, "abc", {100, 30}}, {c.Y1, std::nullopt, {100, 30}},
    };
    TPoint at{68, 66};
    for (const Typed& t : typed) {
        dialogs.inputs = {t.text};
        RightClick(c, at, t.item);
        EXPECT_EQ(dialogs.log.back().text, t.item == c.X1 ? "Enter X-value:" : "Enter Y-value:");
        EXPECT_EQ(Points(0)[0], t.expected) << t.text.value_or("Cancel").toStdString();
        at = t.expected;
    }

    // With 2 digits the shortened value in the menu is what Cancel applies: 243.75 shows as 240.
    form->Edit2->setText("1000");
    SigDigits = 2;
    Doc().SingleMarkers[0]->SetPosition({59, 70});
    const QStringList shown = RightClick(c, {59, 70}, c.X1);
    EXPECT_EQ(dialogs.log.back().request.fileName, shown[3].mid(3));
    EXPECT_EQ(Doc().SingleMarkers[0]->Position(), (TPoint{58, 70}));

    // Delete All Single Markers, also when there are none left.
    for (int round = 0; round < 2; ++round) {
        Doc().Modified = false;
        form->DeleteallsingleMarkers1->trigger();
        EXPECT_TRUE(Doc().SingleMarkers.empty());
        EXPECT_TRUE(Doc().Modified);
    }
    EXPECT_EQ(Doc().MarkerList().size(), 6u);
    EXPECT_EQ(c.View()->ClientPixel(At({58, 70}).x() - 6, At({58, 70}).y()), clWhite);
}

}  // namespace
}  // namespace curvana::test
