#include "app/CommandLine.h"
#include "app/KavrinMainWindow.h"
#include "app/LargePageHeap.h"

#include <QApplication>
#include <QFontDatabase>

#include <sys/prctl.h>

#include <thread>

int main(int argc, char** argv) {
    kavrin::restartWithLargePageHeap(argv);
    // Started by `kavrin` as kavrin-window: the process goes by the name the user knows.
    prctl(PR_SET_NAME, "kavrin", 0, 0, 0);
    QApplication application(argc, argv);
    kavrin::StartupOptions options;
    options.applicationDir = QCoreApplication::applicationDirPath();
    options.startupFile =
        kavrin::parseCommandLine(QCoreApplication::arguments(), options.connection);
    // Set by bench/files/open_10m to time the open of a recording.
    options.quitAfterLoad = qEnvironmentVariableIsSet("KAVRIN_QUIT_AFTER_LOAD");
    // The system's font list is read (7 ms) on the other core while the window is built; the
    // window's first use of a font waits for it under the font database's lock.
    std::thread fonts([] { QFontDatabase::families(); });
    kavrin::KavrinMainWindow window(std::move(options));
    fonts.join();
    QObject::connect(&application, &QGuiApplication::lastWindowClosed, &application,
                     &QCoreApplication::quit);
    window.show();
    return application.exec();
}
