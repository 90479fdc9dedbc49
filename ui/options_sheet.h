// COptionsSheet: the modal "Options" sheet of the main window with its four pages and OK and
// Cancel only. Every opening refills a page from the records when the page is first shown;
// OK stores each page that was shown and saves; Cancel leaves the records as they were, except
// for what "Delete Learned Profiles" and "Clear Recent" did at once.
#pragma once

#include <array>

#include <QDialog>

#include "ui/options_page.h"

class QDialogButtonBox;
class QTabWidget;

namespace stillpix {

class COptionsSheet : public QDialog {
    Q_OBJECT
public:
    explicit COptionsSheet(const OptionsContext& context, QWidget* parent = nullptr);

    // Refills and runs the sheet; true when it was accepted.
    bool Run();
    // Starts an opening without running it: no page counts as shown until the first one is.
    void Open();

    void SetMessagePrompter(MessagePrompter ask) { context_.ask = std::move(ask); }
    void SetFolderChooser(FolderChooser choose) { context_.chooseFolder = std::move(choose); }

    QTabWidget* Tabs() const { return tabs_; }
    COptionsPage* Page(OptionsPage page) const { return pages_[static_cast<int>(page)]; }
    QDialogButtonBox* Buttons() const { return buttons_; }

    // The range check of every shown page, then each shown page's OK.
    void accept() override;

Q_SIGNALS:
    // The recent-folder list was emptied ("Recent" drop-downs rebuild themselves).
    void RecentFoldersCleared();

private:
    void ShowPage(int index);

    OptionsContext context_;
    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    std::array<COptionsPage*, kOptionsPages> pages_{};
    std::array<bool, kOptionsPages> shown_{};
};

}  // namespace stillpix
