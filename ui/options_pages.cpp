#include "ui/options_pages.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace stillpix {
namespace {

UserMessage Question(const char* text) {
    return {MessageKind::kQuestion, text, MessageButtons::kYesNo};
}

}  // namespace

COptionsGeneralPage::COptionsGeneralPage(const OptionsContext* context, QWidget* parent)
    : COptionsPage(OptionsPage::kGeneral, context, parent) {
    auto* layout = new QVBoxLayout(this);
    QGridLayout* open = AddGroup(layout, tr("Open Image"));
    AddControl(open, "Show \"Open File Dialog\" on startup");
    AddControl(open, "Image default zoom value");
    AddControl(open, "Embedded ICC profiles");
    QGridLayout* save = AddGroup(layout, tr("Save Image"));
    AddControl(save, "Append default suffix to the original name");
    AddControl(save, "Default suffix");
    AddControl(save, "JPEG Quality");
    AddControl(save, "Tiff bit rate");
    AddNote(save, kTiffNote);
    AddControl(save, "Tiff compression");
    layout->addStretch();
    ApplyEnablingRules();
}

COptionsFilterPage::COptionsFilterPage(const OptionsContext* context, QWidget* parent)
    : COptionsPage(OptionsPage::kNoiseFilter, context, parent) {
    auto* layout = new QVBoxLayout(this);
    QGridLayout* preview = AddGroup(layout, tr("Preview Window"));
    AddControl(preview, "Update Preview Window when filter parameters changed");
    AddControl(preview, "Preview Window update delay (seconds)");
    AddControl(preview,
               "Show Automatic Preview Information when turning the preview ON on the toolbar");
    QGridLayout* filter = AddGroup(layout, {});
    AddControl(filter, "Default Filter Settings");
    AddControl(filter, "Reset to default Filter Settings when new image opened");
    AddControl(filter, "Show summary window after processing");
    layout->addStretch();
    ApplyEnablingRules();
}

COptionsProfilePage::COptionsProfilePage(const OptionsContext* context, QWidget* parent)
    : COptionsPage(OptionsPage::kNoiseProfile, context, parent) {
    auto* layout = new QVBoxLayout(this);
    QGridLayout* folders = AddGroup(layout, tr("Folders"));
    folder_ = static_cast<QLineEdit*>(AddControl(folders, "Profile Folder:"));
    browse_ = new QPushButton(tr("Browse"), this);
    folders->addWidget(browse_, folders->rowCount() - 1, 2);
    QGridLayout* learning = AddGroup(layout, {});
    AddControl(learning, "Enable Profile Self-Learning");
    AddControl(learning, "Always Build Noise Profile for the Loaded Image");
    delete_ = new QPushButton(tr("Delete Learned Profiles"), this);
    learning->addWidget(delete_, learning->rowCount(), 0, Qt::AlignLeft);
    layout->addStretch();
    connect(browse_, &QPushButton::clicked, this, &COptionsProfilePage::Browse);
    connect(delete_, &QPushButton::clicked, this, &COptionsProfilePage::DeleteLearnedProfiles);
}

void COptionsProfilePage::Browse() {
    const std::string start = folder_->text().toStdString();
    std::optional<std::string> chosen;
    if (Context().chooseFolder) {
        chosen = Context().chooseFolder(start);
    } else {
        const QString folder =
            QFileDialog::getExistingDirectory(this, QString::fromUtf8(kProfileFolderTitle),
                                              folder_->text(), QFileDialog::ShowDirsOnly);
        if (!folder.isEmpty()) chosen = folder.toStdString();
    }
    if (chosen) folder_->setText(QString::fromStdString(*chosen));
}

void COptionsProfilePage::DeleteLearnedProfiles() {
    if (Ask(Question(kDeleteLearnedProfilesQuestion)) != MessageAnswer::kYes) return;
    const bool running = Context().workerRunning && Context().workerRunning();
    if (stillpix::DeleteLearnedProfiles(*Context().profiles, running) ==
        DeleteProfilesResult::kWorkerRunning)
        Ask({MessageKind::kWarning, kDeleteWhileProcessingMessage, MessageButtons::kOk});
}

void COptionsProfilePage::AfterStore() {
    const std::filesystem::path folder = Context().options->profileFolder;
    if (folder != Context().profiles->Folder()) Context().profiles->SetFolder(folder);
}

COptionsBatchPage::COptionsBatchPage(const OptionsContext* context, QWidget* parent)
    : COptionsPage(OptionsPage::kBatchAndBrowser, context, parent) {
    auto* layout = new QVBoxLayout(this);
    QGridLayout* batch = AddGroup(layout, tr("Batch Processing"));
    AddControl(batch, "Enable Self-Learning Profile Builder while processing the Batch");
    AddControl(batch,
               "Do not build image profile if sufficient data is available as a result of "
               "Self-Learning");
    AddControl(batch, "Batch Process Priority");
    QGridLayout* browser = AddGroup(layout, tr("Image Browser"));
    AddControl(browser,
               "Show notification window when a folder or files have been added to the Batch "
               "from the Image Browser");
    AddControl(browser, "Recently used folder list");
    clear_ = new QPushButton(tr("Clear Recent"), this);
    browser->addWidget(clear_, browser->rowCount() - 1, 2);
    layout->addStretch();
    connect(clear_, &QPushButton::clicked, this, &COptionsBatchPage::ClearRecent);
}

void COptionsBatchPage::ClearRecent() {
    if (Ask(Question(kClearRecentQuestion)) != MessageAnswer::kYes) return;
    std::vector<std::string> none;  // a window without a recent list still stores the empty one
    ClearRecentFolders(*Context().store, *Context().options,
                       Context().recentFolders ? *Context().recentFolders : none);
    Q_EMIT RecentFoldersCleared();
}

}  // namespace stillpix
