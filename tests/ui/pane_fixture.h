// A noise filter pane over the document test fixture: the real preset table and settings store
// on a temporary file, message boxes answered by the fixture's window.
#pragma once

#include <memory>

#include <QComboBox>
#include <QLabel>
#include <QSlider>

#include "tests/document/document_fixture.h"
#include "tests/support/qt_application.h"
#include "ui/left_pane_dialog_bar.h"
#include "ui/noise_filter_section.h"

namespace stillpix::test {

class PaneTest : public DocumentTest {
protected:
    PaneTest() {
        QtApplication();
        BuildPresetTable(store_, presets_);
        pane_ = std::make_unique<CLeftPaneDialogBar>(PaneContext{&presets_, &options_, &store_});
        pane_->SetMessagePrompter([this](const UserMessage& m) { return window_.Show(m); });
        pane_->SetDocument(doc_.get());
        QObject::connect(pane_.get(), &CLeftPaneDialogBar::PresetSelected,
                         [this](int slot) { toolbarSlot_ = slot; });
    }
    void OpenScene(int iso = 0, const std::string& extra = "") {
        WriteScene(File("scene.png"), 96, 64, extra);
        if (iso > 0) TagAsCamera(File("scene.png"), iso);
        OpenAndProfile(File("scene.png"));
        pane_->RefreshFilterPane();
    }
    CNoiseFilterSection& Filter() { return *pane_->FilterSection(); }
    void Move(int field, int value) { Filter().Slider(field)->setValue(value); }
    std::string Label(int field) { return Filter().ValueLabel(field)->text().toStdString(); }

    PresetTable presets_;
    std::unique_ptr<CLeftPaneDialogBar> pane_;
    int toolbarSlot_ = -1;
};

}  // namespace stillpix::test
