#include "ui/left_pane_dialog_bar.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "settings/custom_filters.h"
#include "settings/preset_selection.h"
#include "settings/profile_matching.h"
#include "ui/filter_save_dialog.h"
#include "ui/noise_filter_section.h"
#include "ui/preset_pictures.h"
#include "ui/profile_section.h"

namespace stillpix {
namespace {

constexpr int kExifBit = 1;
constexpr int kNoiseProfileBit = 2;

}  // namespace

CLeftPaneDialogBar::CLeftPaneDialogBar(const PaneContext& context, QWidget* parent)
    : QDockWidget(tr("Noise Filter"), parent), context_(context), ask_(MessageBoxPrompter(this)) {
    setObjectName(QStringLiteral("LeftPane"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    filter_ = new CNoiseFilterSection(body);
    exif_ = new QTreeWidget(body);
    exif_->setHeaderLabels({tr("Tag"), tr("Value")});
    exif_->setRootIsDecorated(false);
    exif_->setSelectionMode(QAbstractItemView::SingleSelection);
    profile_ = new CProfileMainEmbDialog(body);
    filler_ = new QWidget(body);
    QWidget* const sections[] = {filter_, exif_, profile_};
    const QString titles[] = {tr("Noise Filter"), tr("EXIF"), tr("Noise Profile")};
    for (int s = 0; s < 3; ++s) {
        sections_[s] = sections[s];
        headers_[s] = AddHeader(titles[s], s);
        layout->addWidget(headers_[s]);
        layout->addWidget(sections_[s], s == kNoiseFilterSection ? 0 : 1);
    }
    layout->addWidget(filler_, 1);
    setWidget(body);

    connect(filter_, &CNoiseFilterSection::ControlsChanged, this, &CLeftPaneDialogBar::Update);
    connect(filter_, &CNoiseFilterSection::PresetChosen, this, &CLeftPaneDialogBar::SelectPreset);
    connect(filter_, &CNoiseFilterSection::SaveClicked, this, &CLeftPaneDialogBar::SaveSettings);
    connect(filter_, &CNoiseFilterSection::DeleteClicked, this,
            &CLeftPaneDialogBar::DeleteSettings);
    connect(profile_, &CProfileMainEmbDialog::BandChanged, this,
            &CLeftPaneDialogBar::RefreshProfileSection);
    connect(profile_, &CProfileMainEmbDialog::SelfLearningClicked, this,
            &CLeftPaneDialogBar::OnSelfLearningClicked);

    OpenSection(kNoiseFilterSection, true);
    const int stored = context_.options->settings2.leftPaneSections;
    OpenSection(kExifSection, stored == kExifBit);
    OpenSection(kNoiseProfileSection, stored == kNoiseProfileBit);
    FillPresetList();
    RefreshFilterPane();
}

QToolButton* CLeftPaneDialogBar::AddHeader(const QString& title, int index) {
    auto* header = new QToolButton(sections_[index]->parentWidget());
    header->setText(title);
    header->setCheckable(true);
    header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    connect(header, &QToolButton::clicked, this, [this, index](bool open) {
        OpenSection(static_cast<Section>(index), open);
        Q_EMIT SectionsChanged();
    });
    return header;
}

void CLeftPaneDialogBar::SetDocument(CNoiseCleanerDoc* document) {
    document_ = document;
    Update();
    RefreshFilterPane();
}

void CLeftPaneDialogBar::Update() {
    current_ = filter_->ReadSettings(current_);
    filter_->ShowLabels(current_);
    if (document_) {
        const NoiseFilterParams params = ToNoiseFilterParams(current_);
        if (!(params == document_->FilterParameters())) document_->FilterParametersChanged(params);
        const int before = selected_;
        selected_ = NoteSettingsChange(*context_.presets, selected_, current_);
        ShowPresetInList(*filter_->PresetList(), selected_);
        if (selected_ != before) Q_EMIT PresetSelected(selected_);
    }
    filter_->ShowSettings(current_);
    UpdateCommands();
}

void CLeftPaneDialogBar::SelectPreset(int slot) {
    const PresetSelection selection = stillpix::SelectPreset(*context_.presets, slot);
    current_ = selection.current;
    selected_ = selection.slot;
    ShowSelection();
    Update();
    Q_EMIT PresetSelected(selected_);
}

void CLeftPaneDialogBar::ShowSelection() {
    filter_->ShowSettings(current_);
    ShowPresetInList(*filter_->PresetList(), selected_);
}

void CLeftPaneDialogBar::FillPresetList(const std::string& name) {
    const int slot =
        PresetToSelect(*context_.presets, context_.options->settings.defaultFilterSlot, name);
    stillpix::FillPresetList(*filter_->PresetList(), *context_.presets, slot);
    SelectPreset(slot);
}

void CLeftPaneDialogBar::ShowExifRows(const std::vector<std::string>& labels,
                                      const std::vector<std::string>& values) {
    exif_->clear();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const std::string value = i < values.size() ? values[i] : std::string();
        exif_->addTopLevelItem(new QTreeWidgetItem(
            {QString::fromStdString(labels[i]), QString::fromStdString(value)}));
    }
    exif_->resizeColumnToContents(0);
    exif_->resizeColumnToContents(1);
}

void CLeftPaneDialogBar::RefreshFilterPane() {
    UpdateCommands();
    RefreshProfileSection();
}

bool CLeftPaneDialogBar::SectionOpen(Section section) const {
    return headers_[section]->isChecked();
}

void CLeftPaneDialogBar::OpenSection(Section section, bool open) {
    headers_[section]->setChecked(open);
    headers_[section]->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    sections_[section]->setVisible(open);
    if (open && section != kNoiseFilterSection)
        OpenSection(section == kExifSection ? kNoiseProfileSection : kExifSection, false);
    if (open && section == kNoiseProfileSection) RefreshProfileSection();
    filler_->setVisible(!SectionOpen(kExifSection) && !SectionOpen(kNoiseProfileSection));
}

int CLeftPaneDialogBar::OpenSectionsField() const {
    return (SectionOpen(kExifSection) ? kExifBit : 0) |
           (SectionOpen(kNoiseProfileSection) ? kNoiseProfileBit : 0);
}

bool CLeftPaneDialogBar::Expanded() const { return filter_->Expanded(); }
void CLeftPaneDialogBar::SetExpanded(bool expanded) { filter_->SetExpanded(expanded); }

bool CLeftPaneDialogBar::CanSaveSettings() const { return CanSaveFilterSettings(HasImage()); }

bool CLeftPaneDialogBar::CanDeleteSettings() const {
    return CanDeleteFilterSettings(HasImage(), *context_.presets, selected_);
}

void CLeftPaneDialogBar::UpdateCommands() {
    filter_->SaveButton()->setEnabled(CanSaveSettings());
    filter_->DeleteButton()->setEnabled(CanDeleteSettings());
}

void CLeftPaneDialogBar::SaveSettings() {
    if (!CanSaveSettings()) return;
    CFilterSaveDialog dialog(*context_.store, *context_.presets, selected_, ask_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (dialog.Result().outcome == SaveFilterOutcome::kSaved) {
        FillPresetList(dialog.NameBox()->currentText().toStdString());
    } else {
        // Not written: keep the user's filter, held in "Custom" if the rebuild lost it.
        stillpix::FillPresetList(*filter_->PresetList(), *context_.presets, 0);
        selected_ = NoteSettingsChange(*context_.presets, selected_, current_);
        ShowSelection();
        Q_EMIT PresetSelected(selected_);
    }
    Q_EMIT PresetsRebuilt();
}

void CLeftPaneDialogBar::DeleteSettings() {
    if (!CanDeleteSettings()) return;
    const std::string name = context_.presets->slots[selected_].name;
    if (ask_({MessageKind::kQuestion, WithName(kFilterDeleteQuestion, name),
              MessageButtons::kYesNo}) != MessageAnswer::kYes)
        return;
    DeleteCustomFilter(*context_.store, *context_.presets, name);
    FillPresetList();
    Q_EMIT PresetsRebuilt();
}

void CLeftPaneDialogBar::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    Update();
}

bool CLeftPaneDialogBar::ProfileReady() const {
    return HasImage() && document_->Job().profileBuilt.load();
}

SelfLearningFacts CLeftPaneDialogBar::Facts() const {
    SelfLearningFacts facts;
    facts.imageLoaded = HasImage();
    facts.selfLearning = context_.options->settings2.selfLearning != 0;
    if (!facts.imageLoaded) return facts;
    facts.qualifies = ImageQualifies(document_->Image()->Formatter().Descriptor());
    facts.usesIndividualProfile = document_->UsesIndividualProfile();
    facts.profileReady = ProfileReady();
    // The worker writes its choice before it marks the profile built.
    facts.individualProfileBuilt =
        facts.profileReady && document_->Job().profileChoice.individualProfileBuilt;
    return facts;
}

void CLeftPaneDialogBar::RefreshProfileSection() {
    profile_->ShowSelfLearning(SelfLearningBox(Facts()));
    if (!ProfileReady()) {
        profile_->ShowText(QString::fromStdString(ProfileSectionText(HasImage(), false)));
        return;
    }
    const ImageJob& job = document_->Job();
    const CBitmapEx& image = *document_->Image();
    const bool grey = image.Grey() || image.BitsPerPixel() <= 16;
    profile_->ShowProfile(
        job.profiles[document_->UsesIndividualProfile() ? kIndividualProfile : kLearnedProfile],
        grey);
}

void CLeftPaneDialogBar::OnSelfLearningClicked(bool checked) {
    const SelfLearningFacts facts = Facts();
    switch (SelfLearningBoxClicked(checked, facts)) {
        case SelfLearningStep::kNone: break;
        case SelfLearningStep::kRefuse:
            profile_->ShowSelfLearning({true, facts.profileReady});
            ask_({MessageKind::kWarning,
                  SelfLearningRefusedText(document_->Image()->Formatter().Descriptor()),
                  MessageButtons::kOk});
            break;
        case SelfLearningStep::kAskEnable:
            if (ask_({MessageKind::kQuestion, kSelfLearningEnableQuestion,
                      MessageButtons::kYesNo}) != MessageAnswer::kYes) {
                profile_->ShowSelfLearning({true, facts.profileReady});
                break;
            }
            context_.options->settings2.selfLearning = 1;
            stillpix::SaveSettings(*context_.store, *context_.options);
            UseIndividualProfile(false);
            break;
        case SelfLearningStep::kAskBuild:
            if (ask_({MessageKind::kQuestion, kBuildOwnProfileQuestion, MessageButtons::kYesNo}) !=
                MessageAnswer::kYes) {
                profile_->ShowSelfLearning({false, facts.profileReady});
                break;
            }
            document_->RequestOwnProfile();
            RefreshProfileSection();
            break;
        case SelfLearningStep::kSwitch: UseIndividualProfile(checked); break;
    }
}

void CLeftPaneDialogBar::UseIndividualProfile(bool individual) {
    document_->SetUseIndividualProfile(individual);
    RefreshProfileSection();
}

}  // namespace stillpix
