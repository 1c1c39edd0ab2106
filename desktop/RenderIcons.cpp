// Draws the program's icon for the desktop's icon theme, from the same drawing the program's
// windows show: curvana-render-icons FOLDER NAME SIZE... writes FOLDER/SIZExSIZE/apps/NAME.png.

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

#include "app/ImageList.h"

int main(int argc, char* argv[]) {
    // A build step needs no display, nor the session's runtime folder.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "Usage: curvana-render-icons FOLDER NAME SIZE...\n");
        return 2;
    }
    for (const QString& text : args.mid(3)) {
        bool ok = false;
        const int size = text.toInt(&ok);
        const QString folder = QString("%1/%2x%2/apps").arg(args[1]).arg(size);
        const QString file = folder + "/" + args[2] + ".png";
        if (!ok || size <= 0 || !QDir().mkpath(folder) || !curvana::LogoPixmap(size).save(file, "PNG")) {
            std::fprintf(stderr, "curvana-render-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
