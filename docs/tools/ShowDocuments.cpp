// Shows the main window with two documents for the README's screenshot: the chart picture drawn by
// make-chart.sh with a skewed calibration box and two series laid along its curves, and a project
// saved from the same picture with single markers. Stays open until killed.

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <cmath>

#include <QPrinter>
#include <string>

#include "app/PrinterSurface.h"
#include "app/QtDialogs.h"
#include "app/TMainForm.h"
#include "document/ProjectFile.h"
#include "document/TChildForm.h"
#include "document/TPictureView.h"
#include "output/Printing.h"
#include "platform/BmpReader.h"
#include "platform/MemorySettingsStore.h"

namespace {

using namespace curvana;

// Where a point of the unrotated 640 x 440 chart lies in the picture rotated by 2.5 degrees.
TPoint Rotated(double x, double y) {
    const double a = 2.5 * M_PI / 180, w = 640, h = 440;
    const double w2 = w * std::cos(a) + h * std::sin(a), h2 = w * std::sin(a) + h * std::cos(a);
    const double dx = x - w / 2, dy = y - h / 2;
    return {std::int32_t(std::lround(dx * std::cos(a) - dy * std::sin(a) + w2 / 2)),
            std::int32_t(std::lround(dx * std::sin(a) + dy * std::cos(a) + h2 / 2))};
}

// Calibrates the document on the chart's frame: x from 0 to 10, y from 0 to 100.
void Calibrate(PlotDocument& doc) {
    const TPoint c[4] = {Rotated(80, 380), Rotated(580, 380), Rotated(80, 40), Rotated(580, 40)};
    doc.Box.PlaceCorners({c[0].X, c[1].X, c[2].X, c[3].X}, {c[0].Y, c[1].Y, c[2].Y, c[3].Y});
    doc.XMax = 10;
    doc.YMax = 100;
}

void AddCurve(PlotDocument& doc, const char* name, TColor color, double (*curve)(double)) {
    auto point = [curve](double t) { return Rotated(80 + 500 * t, curve(t)); };
    doc.AddSeries(point(0), point(0.1));
    const int index = int(doc.DataSeries.size()) - 1;
    TMarkerLine& series = *doc.DataSeries.back();
    for (int i = 2; i <= 10; ++i)
        doc.InsertSeriesPoint(index, point(i / 10.0), -1, series.Count() - 1);
    series.SetColor(color);
    series.Name = name;
}

double Growth(double t) {
    return 375 - 320 / (1 + std::exp(-10 * (t - 0.5)));
}
double Response(double t) {
    return 380 - 340 * (0.25 + 0.6 * std::sin(M_PI * t) * std::exp(-1.5 * t));
}

}  // namespace

int main(int argc, char* argv[]) {
    // CHART.bmp PROJECT.cvn (written here) [drag]: with "drag", a series marker is dragged with real
    // mouse events three seconds after start, past the bottom of the window's view (which scrolls it),
    // for checking that the drag leaves no marks behind.
    if (argc != 3 && argc != 4) return 2;
    QApplication app(argc, argv);
    QtDialogs dialogs;
    MemorySettingsStore settings;
    settings.Put(kSettingsKey, "QuickStart", std::int32_t(1));
    settings.Put(kSettingsKey, "state", std::int32_t(0));
    settings.Put(kSettingsKey, "width", std::int32_t(1180));
    settings.Put(kSettingsKey, "height", std::int32_t(760));
    settings.Put(kSettingsKey, "left", std::int32_t(40));
    settings.Put(kSettingsKey, "top", std::int32_t(30));
    TMainForm form(dialogs, settings);
    form.show();

    PlotDocument project;
    project.Picture = ReadBmpFile(argv[1]);
    project.PlaceNewPicture();
    Calibrate(project);
    for (double t : {0.2, 0.5, 0.8})
        project.AddSingleMarker(Rotated(80 + 500 * t, Response(t)));
    SaveToFile(project, argv[2]);
    form.OpenFile(QString::fromLocal8Bit(argv[2]));

    form.OpenFile(QString::fromLocal8Bit(argv[1]));
    if (TChildForm* child = form.ActiveChild()) {
        PlotDocument& doc = child->Document();
        Calibrate(doc);
        AddCurve(doc, "Growth", RGB(31, 95, 191), Growth);
        AddCurve(doc, "Response", RGB(192, 57, 43), Response);
        for (double t : {0.35, 0.65})
            doc.AddSingleMarker(Rotated(80 + 500 * t, Growth(t) - 60));
        child->FormActivate();
        child->View()->Repaint();
    }
    form.Tile1Click();
    if (argc == 4 && std::string(argv[3]).rfind("print=", 0) == 0) {
        // Prints the calibrated chart to a PDF file and ends, for looking at the printed pages.
        TChildForm* child = form.ActiveChild();
        if (!child) return 1;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromLocal8Bit(argv[3] + 6));
        PrinterSurface surface(printer);
        surface.Begin();
        PrintDocument(child->Document(), child->Document().BuildListing(), surface);
        surface.End();
        return 0;
    }
    if (argc == 4) {
        QTimer::singleShot(3000, [&form] {
            TChildForm* child = form.ActiveChild();
            if (!child) return;
            QWidget* view = child->View();
            const TMarker& m = child->Document().DataSeries[0]->Marker(5);
            QPoint at(10 + m.X, 10 + m.Y);
            auto send = [view](QEvent::Type type, QPoint p, Qt::MouseButton button,
                               Qt::MouseButtons buttons) {
                QMouseEvent event(type, QPointF(p), view->mapToGlobal(QPointF(p)), button, buttons,
                                  Qt::NoModifier);
                QApplication::sendEvent(view, &event);
            };
            // With two documents open, the first press after an activation only clears IgnoreClick.
            send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
            send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
            send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
            for (int i = 0; i < 70; ++i) {  // on past the window's bottom edge, which scrolls its view
                at += QPoint(3, i % 2 ? 2 : 1);
                send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
                QApplication::processEvents();
            }
            send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        });
    }
    return app.exec();
}
