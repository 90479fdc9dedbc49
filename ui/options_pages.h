// The four pages of the "Options" sheet, in the sheet's order.
#pragma once

#include "ui/options_page.h"

class QLineEdit;
class QPushButton;

namespace stillpix {

class COptionsGeneralPage : public COptionsPage {
    Q_OBJECT
public:
    explicit COptionsGeneralPage(const OptionsContext* context, QWidget* parent = nullptr);
};

class COptionsFilterPage : public COptionsPage {
    Q_OBJECT
public:
    explicit COptionsFilterPage(const OptionsContext* context, QWidget* parent = nullptr);
};

// The profile folder with "Browse", the learning switches, and "Delete Learned Profiles",
// which acts at once.
class COptionsProfilePage : public COptionsPage {
    Q_OBJECT
public:
    explicit COptionsProfilePage(const OptionsContext* context, QWidget* parent = nullptr);
    QPushButton* BrowseButton() const { return browse_; }
    QPushButton* DeleteButton() const { return delete_; }

protected:
    // A changed folder is where the store saves from now on.
    void AfterStore() override;

private:
    void Browse();
    void DeleteLearnedProfiles();

    QLineEdit* folder_;
    QPushButton* browse_;
    QPushButton* delete_;
};

// The batch and browser switches, and "Clear Recent", which acts at once.
class COptionsBatchPage : public COptionsPage {
    Q_OBJECT
public:
    explicit COptionsBatchPage(const OptionsContext* context, QWidget* parent = nullptr);
    QPushButton* ClearRecentButton() const { return clear_; }

private:
    void ClearRecent();

    QPushButton* clear_;
};

}  // namespace stillpix
