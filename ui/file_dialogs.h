// File Open and Save As: the program's type lists, and the Save As name rewritten to the type's
// extension when the user picks another type.
#pragma once

#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "document/save_names.h"

class QWidget;

namespace stillpix {

// The type list as the file dialog takes it: "Description (patterns)" per type.
QStringList NameFilters(const std::vector<FileType>& types);

// File Open with the open types ("Image Files" first); nullopt when cancelled.
std::optional<std::filesystem::path> ChooseFileToOpen(QWidget* parent);
// Save As with the save types (JPEG first), started on `suggested`; nullopt when cancelled.
std::optional<std::filesystem::path> ChooseSavePath(QWidget* parent, const std::string& suggested);

}  // namespace stillpix
