#include "ui/file_dialogs.h"

#include <QFileDialog>
#include <QLineEdit>

#include "ui/ui_texts.h"

namespace stillpix {

namespace {

QFileDialog::Options DialogOptions() {
    // The program's own dialog: its type list and name field must be reachable.
    return QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails;
}

std::optional<std::filesystem::path> Chosen(const QFileDialog& dialog) {
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
    return std::filesystem::path(files.first().toStdString());
}

}  // namespace

QStringList NameFilters(const std::vector<FileType>& types) {
    QStringList filters;
    for (const FileType& type : types) {
        // The dialog reads the patterns from the last parentheses, separated by spaces.
        const QString patterns = QString(type.pattern).replace(';', ' ');
        filters << QStringLiteral("%1 (%2)").arg(type.description, patterns);
    }
    return filters;
}

std::optional<std::filesystem::path> ChooseFileToOpen(QWidget* parent) {
    QFileDialog dialog(parent, kOpenDialogTitle);
    dialog.setOptions(DialogOptions());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(NameFilters(kOpenFileTypes));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return Chosen(dialog);
}

std::optional<std::filesystem::path> ChooseSavePath(QWidget* parent, const std::string& suggested) {
    QFileDialog dialog(parent, kSaveDialogTitle);
    dialog.setOptions(DialogOptions());
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = NameFilters(kSaveFileTypes);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    const std::filesystem::path start(suggested);
    if (start.has_parent_path())
        dialog.setDirectory(QString::fromStdString(start.parent_path().string()));
    dialog.selectFile(QString::fromStdString(start.filename().string()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
        const int type = int(filters.indexOf(filter));
        if (!name || type < 0) return;
        name->setText(QString::fromStdString(
            RewriteNameForType(name->text().toStdString(), static_cast<SaveType>(type))));
    });
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return Chosen(dialog);
}

}  // namespace stillpix
