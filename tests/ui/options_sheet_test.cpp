// The "Options" sheet offscreen: each control shows its record field and writes it back on OK,
// the worked cases of its rules, Cancel, the range check, and the two buttons that act at once
// (one of them against a running worker). Screenshots of the four pages.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <deque>
#include <future>

#include "settings/options_pages.h"
#include "tests/document/document_fixture.h"
#include "tests/settings/learned_fixtures.h"
#include "tests/support/qt_application.h"
#include "ui/options_pages.h"
#include "ui/options_sheet.h"

namespace stillpix::test {
namespace {

class OptionsSheetTest : public DocumentTest {
protected:
    OptionsSheetTest() {
        QtApplication();
        BuildPresetTable(store_, presets_);
        options_.profileFolder = (folder_.Path() / "profiles").string();
        sheet_ = std::make_unique<COptionsSheet>(
            OptionsContext{.options = &options_,
                           .presets = &presets_,
                           .store = &store_,
                           .profiles = &profiles_,
                           .recentFolders = &recent_,
                           .workerRunning = [this] { return doc_->WorkerRunning(); },
                           .ask = {},
                           .chooseFolder = {}});
        sheet_->SetMessagePrompter([this](const UserMessage& m) {
            asked_.push_back(m);
            const MessageAnswer answer = answers_.empty() ? MessageAnswer::kYes : answers_.front();
            if (!answers_.empty()) answers_.pop_front();
            return answer;
        });
        sheet_->Open();
    }
    void ShowPage(OptionsPage page) { sheet_->Tabs()->setCurrentIndex(static_cast<int>(page)); }
    QWidget* Control(const char* name) {
        const OptionField& field = *FindOptionField(name);
        ShowPage(field.page);
        return sheet_->Page(field.page)->Control(name);
    }
    template <class W>
    W* Get(const char* name) {
        return qobject_cast<W*>(Control(name));
    }
    std::string Value(const OptionField& field) const {
        return field.field ? std::to_string(*field.field(const_cast<AppOptions&>(options_)))
                           : ControlText(field, options_);
    }
    bool Accept() {
        sheet_->accept();
        return sheet_->result() == QDialog::Accepted;
    }

    PresetTable presets_;
    std::vector<std::string> recent_;
    std::unique_ptr<COptionsSheet> sheet_;
    std::vector<UserMessage> asked_;
    std::deque<MessageAnswer> answers_;
};

// The control's value as it shows it, and typing or choosing one.
std::string Shown(QWidget* w) {
    if (auto* box = qobject_cast<QCheckBox*>(w)) return box->isChecked() ? "on" : "off";
    if (auto* list = qobject_cast<QComboBox*>(w)) return list->currentText().toStdString();
    if (auto* slider = qobject_cast<QSlider*>(w)) return std::to_string(slider->value());
    if (auto* spin = qobject_cast<QSpinBox*>(w)) return std::to_string(spin->value());
    return qobject_cast<QLineEdit*>(w)->text().toStdString();
}

void Enter(QWidget* w, const std::string& text) {
    if (auto* box = qobject_cast<QCheckBox*>(w)) return box->setChecked(text == "on");
    if (auto* list = qobject_cast<QComboBox*>(w)) {
        if (list->isEditable()) return list->setEditText(QString::fromStdString(text));
        return list->setCurrentIndex(list->findText(QString::fromStdString(text)));
    }
    if (auto* slider = qobject_cast<QSlider*>(w)) return slider->setValue(std::stoi(text));
    if (auto* spin = qobject_cast<QSpinBox*>(w)) return spin->setValue(std::stoi(text));
    qobject_cast<QLineEdit*>(w)->setText(QString::fromStdString(text));
}

TEST_F(OptionsSheetTest, EveryControlShowsItsFieldAndWritesItBackAlone) {
    struct Case {
        const char* name;
        const char* held;  // the field (a number, or the text)
        const char* shown;
        const char* entered;
        const char* stored;
    };
    // clang-format off
    const Case cases[] = {
        {"Show \"Open File Dialog\" on startup", "1", "on", "off", "0"},
        {"Image default zoom value", "25", "25%", "150%", "150"},
        {"Embedded ICC profiles", "2", "Do not apply", "Apply on open", "1"},
        {"Append default suffix to the original name", "0", "off", "on", "1"},
        {"Default suffix", "_x", "_x", "_abcdefghijklmnopqrstuvwx", "_abcdefghijklmnopqrs"},
        {"JPEG Quality", "77", "77", "55", "55"},
        {"Tiff bit rate", "0", "24(8) bpp", "48(16) bpp*", "1"},
        {"Tiff compression", "2", "None", "LZW", "1"},
        {"Update Preview Window when filter parameters changed", "1", "on", "off", "0"},
        {"Preview Window update delay (seconds)", "4", "4", "7", "7"},
        {"Show Automatic Preview Information when turning the preview ON on the toolbar",
         "1", "off", "on", "0"},
        {"Default Filter Settings", "3", "Portrait", "Night Scene", "2"},
        {"Reset to default Filter Settings when new image opened", "0", "off", "on", "1"},
        {"Show summary window after processing", "1", "on", "off", "0"},
        {"Profile Folder:", "/a/b", "/a/b", "/c/d", "/c/d"},
        {"Enable Profile Self-Learning", "0", "off", "on", "1"},
        {"Always Build Noise Profile for the Loaded Image", "1", "on", "off", "0"},
        {"Enable Self-Learning Profile Builder while processing the Batch", "0", "off", "on", "1"},
        {"Do not build image profile if sufficient data is available as a result of "
         "Self-Learning", "1", "on", "off", "0"},
        {"Batch Process Priority", "1", "Low", "Normal", "0"},
        {"Show notification window when a folder or files have been added to the Batch from "
         "the Image Browser", "0", "off", "on", "1"},
        {"Recently used folder list", "3", "3", "9", "9"},
    };
    // clang-format on
    ASSERT_EQ(std::size(cases), OptionFields().size());
    for (const Case& c : cases) {
        const OptionField& field = *FindOptionField(c.name);
        if (field.field) *field.field(options_) = std::stoi(c.held);
        else StoreControlText(field, c.held, options_);
        sheet_->Open();
        QWidget* control = Control(c.name);
        EXPECT_EQ(Shown(control), c.shown) << c.name;
        Enter(control, c.entered);
        std::vector<std::string> before;
        for (const OptionField& other : OptionFields()) before.push_back(Value(other));
        ASSERT_TRUE(Accept()) << c.name;
        EXPECT_EQ(Value(field), c.stored) << c.name;
        for (std::size_t i = 0; i < before.size(); ++i)
            if (&OptionFields()[i] != &field) {
                EXPECT_EQ(Value(OptionFields()[i]), before[i]) << c.name << " changed " << i;
            }
    }
    // Every page saved: the store reads back what is in memory, and the store saves where the
    // folder now points.
    EXPECT_EQ(LoadSettings(store_, "/unused").profileFolder, "/c/d");
    EXPECT_EQ(profiles_.Folder(), "/c/d");
}

TEST_F(OptionsSheetTest, TheJpegLabelAndTheEnablingRulesReachTheWidgets) {
    auto* slider = Get<QSlider>("JPEG Quality");
    auto* label = slider->parentWidget()->findChild<QLabel*>();
    slider->setSliderDown(true);
    slider->setValue(42);
    EXPECT_EQ(label->text(), "90%");  // not while dragging
    slider->setSliderDown(false);
    EXPECT_EQ(label->text(), "42%");

    const char* const rules[][4] = {
        {"Append default suffix to the original name", "Default suffix", "off", "on"},
        {"Update Preview Window when filter parameters changed",
         "Preview Window update delay (seconds)", "off", "on"},
        {"Tiff bit rate", kTiffNote, "24(8) bpp", "48(16) bpp*"},
    };
    options_.settings.autoPreview = 0;
    sheet_->Open();
    EXPECT_FALSE(Control("Preview Window update delay (seconds)")->isEnabled());  // on opening
    for (const auto& [by, name, off, on] : rules) {
        QWidget* dependent = sheet_->Page(FindOptionField(by)->page)->Control(name);
        Enter(Control(by), on);
        EXPECT_TRUE(dependent->isEnabled()) << name;
        Enter(Control(by), off);
        EXPECT_FALSE(dependent->isEnabled()) << name;
        for (const QLabel* buddy : dependent->parentWidget()->findChildren<QLabel*>())
            EXPECT_TRUE(buddy->buddy() != dependent || !buddy->isEnabled()) << name;
    }
}

TEST_F(OptionsSheetTest, OutOfRangeNumberKeepsTheSheetOpenAndCancelWritesNothing) {
    const auto fileBefore = ReadFileBytes(file_);
    const AppOptions held = options_;
    Enter(Control("JPEG Quality"), "12");
    auto* recent = dynamic_cast<COptionsNumberBox*>(Control("Recently used folder list"));
    recent->setValue(10);
    recent->stepBy(1);
    EXPECT_EQ(recent->value(), 10);  // the spin buttons stay in range
    recent->setValue(15);            // typed
    ShowPage(OptionsPage::kGeneral);
    EXPECT_FALSE(Accept());
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].text, IntegerRangeMessage(1, 10));
    EXPECT_EQ(sheet_->Tabs()->currentIndex(), int(OptionsPage::kBatchAndBrowser));
    Enter(Control("Default suffix"), "_other");
    sheet_->reject();
    EXPECT_EQ(EncodeAppSettings(options_.settings), EncodeAppSettings(held.settings));
    EXPECT_EQ(EncodeAppSettings3(options_.settings3), EncodeAppSettings3(held.settings3));
    EXPECT_EQ(ReadFileBytes(file_), fileBefore);
}

// Browse, "Delete Learned Profiles" (refused while a run is under way) and "Clear Recent".
TEST_F(OptionsSheetTest, TheButtonsOfTheProfileAndBatchPages) {
    std::vector<std::string> starts;
    std::optional<std::string> choice = "/elsewhere";
    sheet_->SetFolderChooser([&](const std::string& start) {
        starts.push_back(start);
        return choice;
    });
    ShowPage(OptionsPage::kNoiseProfile);
    auto* profile = static_cast<COptionsProfilePage*>(sheet_->Page(OptionsPage::kNoiseProfile));
    profile->BrowseButton()->click();
    choice.reset();
    profile->BrowseButton()->click();  // cancelled: the text stays
    EXPECT_EQ(starts, (std::vector<std::string>{options_.profileFolder, "/elsewhere"}));
    EXPECT_EQ(Shown(Control("Profile Folder:")), "/elsewhere");

    ASSERT_TRUE(
        profiles_.AddLearnedProfile("/a.jpg", Record(Descriptor({}), UniformProfile(40, 900))));
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    ASSERT_TRUE(doc_->StartRun([released](JobRun& run) {
        released.wait();
        run.job->workerRunning.store(false);
    }));
    answers_ = {MessageAnswer::kNo, MessageAnswer::kYes, MessageAnswer::kOk};
    profile->DeleteButton()->click();
    profile->DeleteButton()->click();
    ASSERT_EQ(asked_.size(), 3u);
    EXPECT_EQ(asked_[0].text, kDeleteLearnedProfilesQuestion);
    EXPECT_EQ(asked_[2].text, kDeleteWhileProcessingMessage);
    EXPECT_EQ(profiles_.Count(), 1);
    release.set_value();
    doc_->WaitForWorker();
    profile->DeleteButton()->click();
    EXPECT_EQ(profiles_.Count(), 0);

    recent_ = {"/a/", "/b/"};
    int cleared = 0;
    QObject::connect(sheet_.get(), &COptionsSheet::RecentFoldersCleared, [&] { ++cleared; });
    ShowPage(OptionsPage::kBatchAndBrowser);
    auto* batch = static_cast<COptionsBatchPage*>(sheet_->Page(OptionsPage::kBatchAndBrowser));
    answers_ = {MessageAnswer::kNo};
    batch->ClearRecentButton()->click();
    EXPECT_EQ(recent_.size(), 2u);
    batch->ClearRecentButton()->click();
    EXPECT_EQ(asked_.back().text, kClearRecentQuestion);
    EXPECT_TRUE(recent_.empty());
    EXPECT_EQ(cleared, 1);
}

TEST_F(OptionsSheetTest, ScreenshotsOfTheFourPages) {
    sheet_->show();
    const char* files[] = {"options_general.png", "options_noise_filter.png",
                           "options_noise_profile.png", "options_batch_browser.png"};
    for (int i = 0; i < kOptionsPages; ++i) {
        sheet_->Tabs()->setCurrentIndex(i);
        EXPECT_TRUE(sheet_->grab().save(QString::fromStdString(ScreenshotFolder() / files[i])));
    }
    EXPECT_EQ(sheet_->Buttons()->buttons().size(), 2);  // OK and Cancel, no Apply or Help
    sheet_->hide();
}

}  // namespace
}  // namespace stillpix::test
