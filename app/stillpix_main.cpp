// stillpix: the desktop program. An optional image path opens once the window is up.
#include <QApplication>

#include "platform/user_paths.h"
#include "ui/main_frame.h"
#include "ui/noise_cleaner_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    stillpix::CNoiseCleanerApp app(stillpix::UserSettingsFile(), stillpix::DefaultProfileFolder());
    stillpix::CMainFrame& frame = app.Start(arguments);
    // The window hides at once on close and ends the program once its worker has stopped.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&frame, &stillpix::CMainFrame::finished, &application, &QApplication::quit);
    return QApplication::exec();
}
