#include "platform/user_paths.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>

namespace stillpix {
namespace {

constexpr char kOrganisation[] = "Veltrano";
constexpr char kApplication[] = "Stillpix Professional Edition";

std::filesystem::path Location(QStandardPaths::StandardLocation which) {
    const QString folder = QStandardPaths::writableLocation(which);
    if (folder.isEmpty()) return std::filesystem::current_path();
    return std::filesystem::path(QFile::encodeName(folder).toStdString());
}

}  // namespace

std::filesystem::path UserSettingsFile() {
    return Location(QStandardPaths::GenericConfigLocation) / kOrganisation /
           (std::string(kApplication) + ".conf");
}

// The same folder as AppDataLocation once the application object carries our names, but known
// without one, so the command-line tool finds the profiles the desktop program learned.
std::filesystem::path DefaultProfileFolder() {
    return Location(QStandardPaths::GenericDataLocation) / kOrganisation / kApplication /
           "Profiles";
}

}  // namespace stillpix
