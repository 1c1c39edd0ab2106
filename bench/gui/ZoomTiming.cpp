// Zooms a 6000 x 4000 picture in the real main window, its document window showing 1200 x 800
// pixels of it, through every level from the smallest to the deepest and back with View > Zoom In
// and Zoom Out, and times each step until the window has been painted. Then, at level 6, reports
// the program's peak resident memory against the 24-bit picture's size (72 MB).
// Run it with QT_QPA_PLATFORM=offscreen (bench/zoom_window.sh does, beside the whole-bitmap
// builder it replaces).

#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
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

namespace {

using namespace curvana;

constexpr int kWidth = 6000, kHeight = 4000;

// The scan-like picture as a 24-bit bitmap file, made by a process of its own so that its pixels
// never count towards this program's memory.
bool WritePicture(const std::string& path) {
    const pid_t pid = fork();
    if (pid == 0) {
        Bitmap picture(kWidth, kHeight, PixelFormat::Rgb24());
        for (int y = 0; y < picture.Height(); ++y) {
            std::uint8_t* row = picture.Row(y);
            for (std::size_t i = 0; i < std::size_t(picture.Width()) * 3; ++i)
                row[i] = std::uint8_t(i * 7 + y * 3);
        }
        WriteBmpFile(picture, path);
        _exit(0);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A memory figure of the process in kB: the peak resident memory so far (VmHWM), or the part of
// the resident memory now that is the program's own data (RssAnon) or mapped files, the libraries
// mostly (RssFile).
long MemoryKb(const QByteArray& name = "VmHWM") {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name + ":"))
            return line.mid(name.size() + 1).trimmed().split(' ').first().toLong();
    return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string picturePath = "/tmp/curvana-zoom-timing.bmp";
    if (!WritePicture(picturePath)) return 1;
    QApplication app(argc, argv);
    QtDialogs dialogs;
    MemorySettingsStore settings;
    settings.Put(kSettingsKey, "QuickStart", std::int32_t(1));
    TMainForm form(dialogs, settings);
    form.resize(1400, 1000);
    form.show();
    app.processEvents();
    const long beforeKb = MemoryKb();
    form.OpenFile(QString::fromStdString(picturePath));
    const long openedKb = MemoryKb();
    std::remove(picturePath.c_str());
    TChildForm* child = form.ActiveChild();
    if (!child) return 1;
    TPictureView* view = child->View();
    // The main window sized so that the document window shows 1200 x 800 pixels of the picture.
    const auto visible = [&] {
        app.processEvents();
        child->StretchB();
        app.processEvents();
        return view->visibleRegion().boundingRect().size();
    };
    for (int i = 0; i < 8 && visible() != QSize(1200, 800); ++i)
        form.resize(form.size() + QSize(1200, 800) - visible());
    const QSize shown = view->visibleRegion().boundingRect().size();

    // Every step out to the smallest level and in to the deepest, then back, several times over;
    // each step's time is its median.
    auto step = [&](QAction* command) {
        QElapsedTimer timer;
        timer.start();
        command->trigger();
        app.processEvents();
        return double(timer.nsecsElapsed()) / 1e6;
    };
    PlotDocument& doc = child->Document();
    while (doc.ZoomLevel > -5)
        step(form.ZoomOut1);
    std::vector<std::vector<double>> in(40), out(40);  // by the level the step starts from, + 5
    for (int round = 0; round < 5; ++round) {
        for (int level = doc.ZoomLevel; doc.ZoomLevel < 13; level = doc.ZoomLevel)
            in[std::size_t(level + 5)].push_back(step(form.ZoomIn1));
        for (int level = doc.ZoomLevel; doc.ZoomLevel > -5; level = doc.ZoomLevel)
            out[std::size_t(level + 5)].push_back(step(form.ZoomOut1));
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    double worst = 0;
    std::printf("document window showing %dx%d of a %dx%d picture\n", shown.width(), shown.height(), kWidth,
                kHeight);
    std::printf("level  zoom in to the next (ms)  zoom out from it (ms)\n");
    for (int level = -5; level <= 13; ++level) {
        const double i = median(in[std::size_t(level + 5)]), o = median(out[std::size_t(level + 5)]);
        worst = std::max({worst, i, o});
        std::printf("%5d  %24.2f  %21.2f\n", level, i, o);
    }
    std::printf("slowest zoom step to a painted window: %.2f ms (target <= 16)\n", worst);

    // Scrolling, which paints what comes into view from the picture each time: 40 pixels down and
    // back up at a time, at actual size and at level 6.
    auto* bar = child->findChild<QScrollArea*>()->verticalScrollBar();
    for (const int level : {0, 6}) {
        while (doc.ZoomLevel != level)
            step(doc.ZoomLevel < level ? form.ZoomIn1 : form.ZoomOut1);
        std::vector<double> scrolls;
        for (int i = 0; i < 40; ++i) {
            QElapsedTimer timer;
            timer.start();
            bar->setValue(bar->value() + (i % 2 ? -40 : 40));
            app.processEvents();
            scrolls.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::printf("scrolling by 40 pixels at level %d: %.2f ms\n", level, median(scrolls));
    }

    while (doc.ZoomLevel < 6)
        step(form.ZoomIn1);
    const long kb = MemoryKb();
    // In megabytes of a million bytes, as the picture's 72 MB.
    const double picture = double(kWidth) * kHeight * 3 / 1e6;
    const auto mb = [](long kilobytes) { return double(kilobytes) * 1024 / 1e6; };
    std::printf(
        "peak resident memory at level %d: %.0f MB = %.2f x the 24-bit picture (%.0f MB; target < 1.5)\n",
        doc.ZoomLevel, mb(kb), mb(kb) / picture, picture);
    std::printf(
        "peak before the picture was opened %.0f MB, once it was open %.0f MB; resident at level %d: "
        "%.0f MB of data, %.0f MB of mapped files\n",
        mb(beforeKb), mb(openedKb), doc.ZoomLevel, mb(MemoryKb("RssAnon")), mb(MemoryKb("RssFile")));
    for (TChildForm* c : form.MDIChildren())
        c->Document().Modified = false;
    return 0;
}
