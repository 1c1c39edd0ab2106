#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

// GUI tests need one application object for the whole run; they use Qt's offscreen platform
// unless another one is asked for.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    if (qgetenv("XDG_RUNTIME_DIR").isEmpty()) {
        QByteArray runtime = QDir::tempPath().toUtf8() + "/runtime-" + QByteArray::number(getuid());
        mkdir(runtime.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
