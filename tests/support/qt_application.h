// The one QApplication a window test binary needs, made on first use (tests run offscreen).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QWidget>

namespace stillpix::test {

inline QApplication& QtApplication() {
    // The offscreen platform cannot size docked windows' frames and says so for every one.
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (!text.contains(QLatin1String("propagateSizeHints"))) previous(type, context, text);
        });
    static int argc = 1;
    static char name[] = "stillpix-window-test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own statics may already be gone (input devices made by
    // synthetic events crash then); the pointer keeps it reachable for the leak checker.
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

// Where window tests leave their screenshots: <build folder>/screenshots.
inline std::filesystem::path ScreenshotFolder() {
    std::filesystem::path folder = std::filesystem::path(STILLPIX_BINARY_DIR) / "screenshots";
    std::filesystem::create_directories(folder);
    return folder;
}

// The widget as drawn, into <build folder>/screenshots/<name>.png.
inline void SaveScreenshotOf(QWidget* widget, const std::string& name) {
    widget->grab().save(QString::fromStdString((ScreenshotFolder() / (name + ".png")).string()));
}

}  // namespace stillpix::test
