// Drags one marker across a 4000 x 3000 picture holding 1,000 markers in 10 series, with real
// mouse events sent to the real document window, and times each move against a full repaint of
// the same window.

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/QtDialogs.h"
#include "app/TMainForm.h"
#include "document/TChildForm.h"
#include "document/TPictureView.h"
#include "platform/BmpWriter.h"
#include "platform/MemorySettingsStore.h"
#include "platform/RasterCanvas.h"

namespace {

using namespace curvana;

void Send(QWidget* view, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), view->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const std::string picturePath = "/tmp/curvana-drag-timing.bmp";
    {
        Bitmap picture(4000, 3000, PixelFormat::Rgb24());
        for (int y = 0; y < picture.Height(); ++y) {
            std::uint8_t* row = picture.Row(y);
            for (std::size_t i = 0; i < std::size_t(picture.Width()) * 3; ++i)
                row[i] = std::uint8_t(i * 7 + y * 3);
        }
        WriteBmpFile(picture, picturePath);
    }
    QtDialogs dialogs;
    MemorySettingsStore settings;
    settings.Put(kSettingsKey, "QuickStart", std::int32_t(1));
    TMainForm form(dialogs, settings);
    form.resize(1280, 900);
    form.show();
    form.OpenFile(QString::fromStdString(picturePath));
    std::remove(picturePath.c_str());
    TChildForm* child = form.ActiveChild();
    if (!child) return 1;
    PlotDocument& doc = child->Document();
    doc.XMax = 100;
    doc.YMax = 50;
    for (int s = 0; s < 10; ++s) {
        const int y = 40 + s * 290;
        doc.AddSeries({40, y}, {70, y + 5});
        TMarkerLine& line = *doc.DataSeries.back();
        for (int i = 2; i < 100; ++i)
            line.InsertMarker({40 + i * 39, y + (i % 7) * 3}, -1, line.Count() - 1);
    }
    doc.RebuildMarkerList();  // every series' markers were appended in order
    child->FormActivate();
    child->FormPaint();
    app.processEvents();

    QWidget* view = child->View();
    const TMarker& dragged = doc.DataSeries[0]->Marker(5);  // at (235, 40) in the picture
    QPoint at(10 + dragged.X, 10 + dragged.Y);
    Send(view, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    constexpr int kMoves = 300;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kMoves; ++i) {
        at += QPoint(i % 2 ? -2 : 3, i % 3 ? 1 : -1);
        Send(view, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        app.processEvents();
    }
    const double perMove = double(timer.nsecsElapsed()) / kMoves / 1e6;
    Send(view, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);

    constexpr int kRepaints = 30;
    timer.restart();
    for (int i = 0; i < kRepaints; ++i) {
        child->FormPaint();
        app.processEvents();
    }
    const double perRepaint = double(timer.nsecsElapsed()) / kRepaints / 1e6;
    // The whole client area painted at once, as a window whose raster covered all of it would. The
    // first paint, which also brings the raster's fresh memory in, is not counted; the median of
    // the rest is.
    Bitmap whole(view->width(), view->height(), PixelFormat::Raster32());
    RasterCanvas wholeCanvas(whole);
    DocumentView wholeView{wholeCanvas};
    doc.FormPaint(wholeView);
    std::vector<double> wholePaints;
    for (int i = 0; i < 7; ++i) {
        timer.restart();
        doc.FormPaint(wholeView);
        wholePaints.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(wholePaints.begin(), wholePaints.end());
    const double perWholePaint = wholePaints[wholePaints.size() / 2];

    std::printf("client area %dx%d, %dx%d of it visible\n", view->width(), view->height(),
                view->visibleRegion().boundingRect().width(), view->visibleRegion().boundingRect().height());
    std::printf(
        "drag move %.3f ms; repaint of the visible part %.3f ms (ratio %.2f); paint of the whole client "
        "area %.3f ms (ratio %.3f, target <= 0.1)\n",
        perMove, perRepaint, perMove / perRepaint, perWholePaint, perMove / perWholePaint);
    return 0;
}
