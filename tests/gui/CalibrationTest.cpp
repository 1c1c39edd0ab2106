#include <gtest/gtest.h>

#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

#include "MainFormFixture.h"
#include "app/TListingMemo.h"
#include "document/CalibrationGrid.h"
#include "document/TPictureView.h"

namespace curvana::test {
namespace {

// A 200 by 100 picture, its box from corner 1 at (20, 90) to corner 4 at (180, 10), on scales of
// one data unit per pixel (X 0 to 160, Y 0 to 80) with a single marker at (100, 50).
class CalibrationTest : public MainFormFixture {
  protected:
    TChildForm* child = nullptr;

    void TearDown() override {
        ShowCalibrationGrid = false;
        MainFormFixture::TearDown();
    }
    TChildForm* OpenPlot(const QString& name, int w = 200, int h = 100) {
        TChildForm* c = OpenDocument(MakeBmp(name, w, h));
        EXPECT_NE(c, nullptr);
        return c;
    }
    void Calibrate(TMainForm& form) {
        child = OpenPlot("plot.bmp");
        form.Edit2->setText("160");
        form.Edit4->setText("80");
        child->Document().AddSingleMarker({100, 50});
        child->Document().UpDateMemo(1);
    }
    // Drags a box corner with the mouse from one picture point to another; `during` runs before
    // the button is let go.
    void DragCorner(TPoint from, TPoint to, const std::function<void()>& during = {}) {
        QTest::mousePress(child->View(), Qt::LeftButton, {}, QPoint(10 + from.X, 10 + from.Y));
        QTest::mouseMove(child->View(), QPoint(10 + to.X, 10 + to.Y));
        QCoreApplication::processEvents();
        if (during) during();
        QTest::mouseRelease(child->View(), Qt::LeftButton, {}, QPoint(10 + to.X, 10 + to.Y));
        QCoreApplication::processEvents();
    }
    // The colour the window shows at a picture point, once it has painted what is pending.
    TColor Shown(TPoint p) const {
        QCoreApplication::processEvents();
        return child->View()->ClientPixel(10 + p.X, 10 + p.Y);
    }
};

// The top edge dragged to half the bottom's length: a frame seen at an angle. The marker halfway up
// the picture lies a third of the way up the plane (80 / 3 = 26.66…, cut to three digits).
TEST_F(CalibrationTest, MethodMenuFollowsTheActiveDocument) {
    TMainForm& form = StartQuietly();
    EXPECT_TRUE(form.Bilinear1->isChecked());
    form.Perspective1->trigger();  // without a document: nothing happens
    EXPECT_TRUE(form.Bilinear1->isChecked());
    Calibrate(form);
    DragCorner({20, 10}, {60, 10});
    DragCorner({180, 10}, {140, 10});
    EXPECT_EQ(child->Document().Box.Marker(3).Position(), (TPoint{60, 10}));
    EXPECT_EQ(child->Document().Box.Marker(4).Position(), (TPoint{140, 10}));
    EXPECT_EQ(form.Memo1->Lines(), QStringList({"Single Markers", "80 , 40"}));
    child->Document().Modified = false;

    form.Perspective1->trigger();
    EXPECT_TRUE(form.Perspective1->isChecked());
    EXPECT_FALSE(form.Bilinear1->isChecked());
    EXPECT_EQ(child->Document().Method, CalibrationMethod::Perspective);
    EXPECT_EQ(form.Memo1->Lines(), QStringList({"Single Markers", "80 , 26.6"}));
    EXPECT_TRUE(child->Document().Modified);

    TChildForm* other = OpenPlot("other.bmp");
    EXPECT_TRUE(form.Bilinear1->isChecked());
    EXPECT_EQ(other->Document().Method, CalibrationMethod::Bilinear);
    form.MDIClient->setActiveSubWindow(child);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.Perspective1->isChecked());
    form.Bilinear1->trigger();
    EXPECT_EQ(form.Memo1->Lines(), QStringList({"Single Markers", "80 , 40"}));
}

TEST_F(CalibrationTest, GridShowsTheConversionAndFollowsTheBox) {
    TMainForm& form = StartQuietly();
    EXPECT_FALSE(form.CalibrationGrid1->isChecked());
    Calibrate(form);
    // X from 0 to 160 gets lines every 20 (20 pixels apart), Y from 0 to 80 every 10.
    const TPoint onLines[] = {{40, 60}, {40, 30}, {120, 75}, {77, 80}, {150, 40}};
    for (TPoint p : onLines)
        EXPECT_EQ(Shown(p), clWhite) << p.X << "," << p.Y;

    form.CalibrationGrid1->trigger();
    EXPECT_TRUE(ShowCalibrationGrid);
    EXPECT_EQ(StoredValue("CalibrationGrid"), "1");
    for (TPoint p : onLines)
        EXPECT_EQ(Shown(p), kGridColor) << p.X << "," << p.Y;
    EXPECT_EQ(Shown({45, 65}), clWhite);  // between the lines
    EXPECT_EQ(child->Document().Picture.PixelColor(40, 60), clWhite) << "the picture itself is not drawn on";

    // Corner 2 dragged 20 pixels right: the bottom end of the line X = 20 moves 2.5 pixels, and
    // the grid follows during the drag.
    DragCorner({180, 90}, {200 - 1, 90}, [&] {
        EXPECT_EQ(Shown({42, 89}), kGridColor);
        EXPECT_EQ(Shown({40, 89}), clWhite);
    });
    // The scale fields move the grid: X from 0 to 80 gets lines every 10, 20 pixels apart on top.
    form.Edit2->setText("80");
    EXPECT_EQ(Shown({40, 12}), kGridColor);
    EXPECT_EQ(Shown({30, 12}), clWhite);

    // Perspective: the top edge half the bottom's length puts Y = 40 at y = 36.7 (halfway up the
    // plane lies two thirds of the way up the picture), not at y = 50.
    DragCorner({20, 10}, {60, 10});
    DragCorner({180, 10}, {140, 10});
    DragCorner({199, 90}, {180, 90});
    EXPECT_EQ(Shown({75, 50}), kGridColor);
    EXPECT_EQ(Shown({75, 37}), clWhite);
    form.Perspective1->trigger();
    EXPECT_EQ(Shown({75, 37}), kGridColor);
    EXPECT_EQ(Shown({75, 50}), clWhite);

    form.CalibrationGrid1->trigger();
    EXPECT_EQ(Shown({75, 37}), clWhite);
    EXPECT_EQ(StoredValue("CalibrationGrid"), "0");
}

// The marker menu's X: item on a box turned by about 3°: corner 1 (22, 92), 2 (182, 84), 3 (18, 12),
// 4 (178, 4), a parallelogram whose map is (22, 92) + u·(160, -8) + v·(-4, -80). The marker at
// (100, 50) stands at v = 0.47506; X = 120 is u = 0.75, so it goes to (22 + 120 - 1.90, 92 - 6 - 38.00)
// = (140.1, 48.0), and not to the (142, 54) that the box's bottom and left edges alone would give.
TEST_F(CalibrationTest, TypedValuesLandWhereTheySay) {
    TMainForm& form = StartQuietly();
    Calibrate(form);
    const TPoint corners[] = {{22, 92}, {182, 84}, {18, 12}, {178, 4}};
    for (int n = 1; n <= 4; ++n)
        child->Document().Box.SetCorner(corners[n - 1].X, corners[n - 1].Y, n);
    for (CalibrationMethod method : {CalibrationMethod::Bilinear, CalibrationMethod::Perspective}) {
        child->Document().SetCalibrationMethod(method);
        child->Document().SingleMarkers[0]->SetPosition({100, 50});
        child->PopupExec = [&](QMenu&, const QPoint&) { return child->X1; };
        dialogs.inputs = {QString("120")};
        QTest::mousePress(child->View(), Qt::RightButton, {}, QPoint(110, 60));
        QTest::mouseRelease(child->View(), Qt::RightButton, {}, QPoint(110, 60));
        QCoreApplication::processEvents();
        EXPECT_EQ(child->Document().SingleMarkers[0]->Position(), (TPoint{140, 48})) << int(method);
    }
}

TEST_F(CalibrationTest, GridChoiceIsRememberedAtStartUp) {
    TMainForm& form = StartQuietly("CalibrationGrid=1\n");
    EXPECT_TRUE(form.CalibrationGrid1->isChecked());
    EXPECT_TRUE(ShowCalibrationGrid);
}

TEST_F(CalibrationTest, CalibrationIsCopiedToAnotherDocument) {
    TMainForm& form = StartQuietly();
    QGuiApplication::clipboard()->setText("no calibration");
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.PasteCalibration1->isEnabled());
    Calibrate(form);
    form.Edit1->setText("-2.5");
    form.Perspective1->trigger();
    form.CopyCalibration1->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.PasteCalibration1->isEnabled());
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "Curvana calibration\ncorner 1 = 20, 90\ncorner 2 = 180, 90\ncorner 3 = 20, 10\n"
              "corner 4 = 180, 10\nX minimum = -2.5\nX maximum = 160\nY minimum = 0\nY maximum = 80\n"
              "method = Perspective\n");

    // Onto a smaller picture: the corners beyond it come to its last row and column.
    TChildForm* source = child;
    child = OpenPlot("small.bmp", 150, 80);
    child->Document().AddSingleMarker({85, 45});
    child->Document().Modified = false;
    EXPECT_TRUE(form.Bilinear1->isChecked());
    form.PasteCalibration1->trigger();
    const PlotDocument& doc = child->Document();
    const TPoint corners[] = {{20, 79}, {149, 79}, {20, 10}, {149, 10}};
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(doc.Box.Marker(n).Position(), corners[n - 1]) << n;
    EXPECT_EQ(doc.XMin, -2.5);
    EXPECT_EQ(doc.YMax, 80);
    EXPECT_EQ(doc.Method, CalibrationMethod::Perspective);
    EXPECT_TRUE(doc.Modified);
    EXPECT_TRUE(form.Perspective1->isChecked());
    EXPECT_EQ(form.Edit1->text(), "-2.5");
    EXPECT_EQ(form.Edit2->text(), "160");
    // (85, 45) lies 65 of 129 pixels across the box and 34 of 69 up: -2.5 + 162.5 · 65 / 129 = 79.38
    // and 80 · 34 / 69 = 39.42.
    EXPECT_EQ(form.Memo1->Lines(), QStringList({"Single Markers", "79.3 , 39.4"}));
    EXPECT_EQ(source->Document().Box.Marker(2).Position(), (TPoint{180, 90}));

    // Text typed into an editor pastes as well.
    QGuiApplication::clipboard()->setText(
        "Curvana calibration\r\ncorner 1 = 0, 79\r\ncorner 2 = 100, 79\r\ncorner 3 = 0, 0\r\ncorner 4 = 100, "
        "0\r\n"
        "X minimum = 0\r\nX maximum = 1\r\nY minimum = 0\r\nY maximum = 1\r\nmethod = Bilinear\r\n");
    QCoreApplication::processEvents();
    form.PasteCalibration1->trigger();
    EXPECT_EQ(doc.Box.Marker(2).Position(), (TPoint{100, 79}));
    EXPECT_EQ(doc.Method, CalibrationMethod::Bilinear);
}

}  // namespace
}  // namespace curvana::test
