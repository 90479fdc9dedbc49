#include "ui/options_sheet.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/options_pages.h"

namespace stillpix {

COptionsSheet::COptionsSheet(const OptionsContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setWindowTitle(QString::fromUtf8(kOptionsSheetTitle));
    tabs_ = new QTabWidget(this);
    pages_ = {new COptionsGeneralPage(&context_, this), new COptionsFilterPage(&context_, this),
              new COptionsProfilePage(&context_, this), new COptionsBatchPage(&context_, this)};
    for (int i = 0; i < kOptionsPages; ++i)
        tabs_->addTab(pages_[i], QString::fromUtf8(kOptionsPageTitles[i]));
    connect(pages_[int(OptionsPage::kBatchAndBrowser)], &COptionsPage::RecentFoldersCleared, this,
            &COptionsSheet::RecentFoldersCleared);
    connect(tabs_, &QTabWidget::currentChanged, this, &COptionsSheet::ShowPage);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &COptionsSheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &COptionsSheet::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
}

void COptionsSheet::Open() {
    shown_.fill(false);
    if (tabs_->currentIndex() != 0) tabs_->setCurrentIndex(0);  // shows it
    else ShowPage(0);
}

bool COptionsSheet::Run() {
    Open();
    return exec() == QDialog::Accepted;
}

void COptionsSheet::ShowPage(int index) {
    if (index < 0 || shown_[index]) return;
    shown_[index] = true;
    pages_[index]->Load();
}

void COptionsSheet::accept() {
    // A number outside its range keeps the sheet open on its page, and nothing is stored.
    for (int i = 0; i < kOptionsPages; ++i) {
        if (!shown_[i]) continue;
        if (COptionsNumberBox* box = pages_[i]->InvalidNumberBox()) {
            tabs_->setCurrentIndex(i);
            const auto [low, high] = box->Bounds();
            context_.Ask(
                this, {MessageKind::kWarning, IntegerRangeMessage(low, high), MessageButtons::kOk});
            box->setFocus();
            box->selectAll();
            return;
        }
    }
    for (int i = 0; i < kOptionsPages; ++i)
        if (shown_[i]) pages_[i]->Store();
    QDialog::accept();
}

}  // namespace stillpix
