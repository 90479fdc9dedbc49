#include "ui/noise_cleaner_app.h"

#include <QCoreApplication>
#include <QTimer>

#include "ui/main_frame.h"
#include "ui/ui_texts.h"

namespace stillpix {

CNoiseCleanerApp::CNoiseCleanerApp(std::filesystem::path settingsFile,
                                   std::filesystem::path defaultProfileFolder)
    : defaultProfileFolder_(std::move(defaultProfileFolder)),
      store_(std::make_unique<QSettingsStore>(std::move(settingsFile))) {}

CNoiseCleanerApp::~CNoiseCleanerApp() = default;

CMainFrame& CNoiseCleanerApp::Start(const QStringList& arguments) {
    QCoreApplication::setOrganizationName(kCompanyKey);
    QCoreApplication::setApplicationName(kProgramTitle);
    BuildPresetTable(*store_, presets_);
    options_ = LoadSettings(*store_, defaultProfileFolder_);
    profiles_ = std::make_unique<LearnedProfileStore>(options_.profileFolder);
    // A missing or damaged profile file starts an empty store.
    profiles_->LoadProfileStore();
    recent_ = LoadRecentFolders(*store_, options_.settings3.recentLength);

    std::string pending;
    for (const QString& argument : arguments) {
        if (!argument.startsWith('-')) {
            pending = argument.toStdString();
            break;
        }
    }
    frame_ = std::make_unique<CMainFrame>(
        FrameContext{&options_, store_.get(), &presets_, profiles_.get(), &recent_});
    if (!pending.empty()) frame_->SetPendingPath(pending);
    frame_->RestorePanes();
    frame_->show();
    frame_->setAcceptDrops(true);
    if (pending.empty() && options_.settings.showOpenDialogAtStart)
        QTimer::singleShot(0, frame_.get(), [frame = frame_.get()] {
            if (QAction* open = frame->findChild<QAction*>("open")) open->trigger();
        });
    return *frame_;
}

}  // namespace stillpix
