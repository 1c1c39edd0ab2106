// Opens a picture in the real main window and reports how long it takes until the document window
// has been painted. Run it under /usr/bin/time -v for the peak memory (bench/open_window.sh does).

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "app/QtDialogs.h"
#include "app/TMainForm.h"
#include "document/TChildForm.h"
#include "document/TPictureView.h"
#include "platform/MemorySettingsStore.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PICTURE\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    curvana::QtDialogs dialogs;
    curvana::MemorySettingsStore settings;  // no Quick Start window, no settings file touched
    settings.Put(curvana::kSettingsKey, "QuickStart", std::int32_t(1));
    curvana::TMainForm form(dialogs, settings);
    form.show();
    app.processEvents();

    QElapsedTimer timer;
    timer.start();
    form.OpenFile(QString::fromLocal8Bit(argv[1]));
    app.processEvents();
    curvana::TChildForm* child = form.ActiveChild();
    if (!child) {
        std::fprintf(stderr, "the picture did not open\n");
        return 1;
    }
    (void)child->View()->grab();  // paints the visible part of the document window
    const qint64 ms = timer.elapsed();
    std::printf("opened and painted in %lld ms\n", static_cast<long long>(ms));
    return 0;
}
