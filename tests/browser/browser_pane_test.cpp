// The image browser offscreen over a folder of mixed files: what it lists, the shooting data
// once the idle loader has read it, thumbnails only for visible items in the icon views and for
// every item in Details, sorting, the walk to a folder, and opening a file with its recent folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTreeView>
#include <QTreeWidget>

#include "browser/browser_dialog_bar.h"
#include "tests/document/document_fixture.h"
#include "tests/support/qt_application.h"
#include "tests/support/store_test.h"

namespace stillpix::test {
namespace {

class BrowserTest : public StoreTest {
protected:
    BrowserTest() {
        QtApplication();
        photos_ = folder_.Path() / "Photos";
        std::filesystem::create_directory(photos_);
    }
    void MakePane() {
        pane_ = std::make_unique<CBrowserDialogBar>(
            BrowserContext{&options_,
                           &store_,
                           &recent_,
                           [this](const std::string& path) { opened_.push_back(path); },
                           (folder_.Path() / "home").string(),
                           {}});
        pane_->resize(420, 700);
        pane_->show();
    }
    void LoadAll() {
        while (pane_->IdleStep()) {
        }
    }
    std::vector<std::string> ListedNames() const {
        std::vector<std::string> names;
        for (int row = 0; row < pane_->Model().Count(); ++row)
            names.push_back(pane_->Model().Record(row)->name);
        return names;
    }
    const IMAGETHUMBDATA* Named(const std::string& name) const {
        for (int row = 0; row < pane_->Model().Count(); ++row)
            if (pane_->Model().Record(row)->name == name) return pane_->Model().Record(row);
        return nullptr;
    }
    std::string Cell(const std::string& name, ListColumn column) const {
        return CellText(*Named(name), column);
    }

    std::filesystem::path photos_;
    AppOptions options_;
    std::vector<std::string> recent_;
    std::vector<std::string> opened_;
    std::unique_ptr<CBrowserDialogBar> pane_;
};

TEST_F(BrowserTest, MixedFilesListWithTheirShootingDataInDetails) {
    WriteScene(photos_ / "a.jpg", 300, 200);
    TagAsCamera(photos_ / "a.jpg", 800);
    Convert("-size 120x80 gradient:red-blue -depth 16 " + (photos_ / "b.tif").string());
    WriteScene(photos_ / "c.png", 64, 48);
    for (const char* name : {"d.bmp", "e.gif"}) WriteScene(photos_ / name, 50, 40);
    WriteScene(photos_ / "UPPER.JPG", 40, 30);
    WriteText(photos_ / "bad.jpg", std::string("\xff\xd8\xff\xe0 broken", 12));
    for (const char* name : {".hidden.jpg", ".jpg"}) WriteText(photos_ / name, "x");
    options_.settings3.browserView = 3;  // Details
    MakePane();
    ASSERT_TRUE(pane_->NavigateTo(photos_.string()));
    EXPECT_EQ(pane_->SelectedFolder(), photos_.string());
    std::vector<std::string> names = ListedNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"UPPER.JPG", "a.jpg", "b.tif", "bad.jpg", "c.png",
                                               "d.bmp"}));
    EXPECT_EQ(Cell("a.jpg", ListColumn::kModel), "");  // nothing shown before the loader
    LoadAll();
    using C = ListColumn;
    EXPECT_EQ((std::vector{Cell("a.jpg", C::kModel), Cell("a.jpg", C::kIso),
                           Cell("a.jpg", C::kDimensions), Cell("b.tif", C::kDimensions),
                           Cell("bad.jpg", C::kModel), Cell("bad.jpg", C::kDimensions)}),
              (std::vector<std::string>{"Canon EOS 5D", "ISO 800", "300x200", "120x80", "Unknown",
                                        "0x0"}));
    EXPECT_EQ(Named("a.jpg")->isoValue, 800);
    // Details reads information blocks only: no thumbnail was decoded.
    for (const auto& record : pane_->Model().Records())
        EXPECT_EQ(record->thumbnailState, ThumbnailState::kNone) << record->name;
    pane_->DetailsList()->selectionModel()->select(
        pane_->Model().index(pane_->Model().RowOf(Named("a.jpg")), 0), QItemSelectionModel::Select);
    EXPECT_EQ(pane_->InfoBox()->toPlainText().toStdString(),
              "File: " + (photos_ / "a.jpg").string() +
                  "\nModel: Canon EOS 5D\nDimensions: 300x200\nISO Speed: ISO 800\n");
    SaveScreenshotOf(pane_.get(), "browser_details");

    // By ISO (the order and its direction rule: browser_rules_test.cpp).
    pane_->SortBy(ListColumn::kIso);
    EXPECT_EQ(pane_->Model().Record(pane_->Model().Count() - 1)->name, "a.jpg");

    // In an icon view the corrupt file keeps its type icon and is not tried again.
    pane_->SetViewMode(ViewMode::kLarge);
    EXPECT_EQ(options_.settings3.browserView, 2);
    pane_->IconList()->scrollTo(pane_->Model().index(pane_->Model().RowOf(Named("bad.jpg")), 0));
    LoadAll();
    pane_->IconList()->scrollTo(pane_->Model().index(pane_->Model().RowOf(Named("a.jpg")), 0));
    LoadAll();
    EXPECT_EQ(Named("bad.jpg")->thumbnailState, ThumbnailState::kFailed);
    EXPECT_EQ(Named("a.jpg")->thumbnailState, ThumbnailState::kLoaded);
    EXPECT_LE(std::max(Named("a.jpg")->thumbnail.width(), Named("a.jpg")->thumbnail.height()), 128);
    EXPECT_FALSE(pane_->IdleStep());
    SaveScreenshotOf(pane_.get(), "browser_large");
}

TEST_F(BrowserTest, IconViewsLoadOnlyVisibleItemsAndDetailsLoadsThemAll) {
    WriteScene(photos_ / "scene.jpg", 200, 150);
    for (int i = 0; i < 60; ++i)
        std::filesystem::copy_file(photos_ / "scene.jpg",
                                   photos_ / ("p" + std::to_string(100 + i) + ".jpg"));
    options_.settings3.browserView = 0;  // Small
    MakePane();
    ASSERT_TRUE(pane_->NavigateTo(photos_.string()));
    LoadAll();
    int loaded = 0;
    for (const auto& record : pane_->Model().Records())
        loaded += record->thumbnailState == ThumbnailState::kLoaded ? 1 : 0;
    EXPECT_GT(loaded, 0);
    EXPECT_LT(loaded, 61);
    // Items still without a thumbnail share one framed type icon, whatever the folder's size.
    const auto decoration = [this](int row) {
        const QModelIndex index = pane_->Model().index(row, 0);
        return pane_->Model().data(index, Qt::DecorationRole).value<QPixmap>().cacheKey();
    };
    EXPECT_EQ(decoration(59), decoration(60));
    SaveScreenshotOf(pane_.get(), "browser_small");
    // Medium lists anew (another size); Details keeps the list and reads every item.
    pane_->SetViewMode(ViewMode::kMedium);
    LoadAll();
    SaveScreenshotOf(pane_.get(), "browser_medium");
    const IMAGETHUMBDATA* first = pane_->Model().Records().front().get();
    EXPECT_EQ(first->thumbnailState, ThumbnailState::kLoaded);
    pane_->SetViewMode(ViewMode::kDetails);
    EXPECT_EQ(pane_->Model().Records().front().get(), first);
    LoadAll();
    for (const auto& record : pane_->Model().Records()) EXPECT_TRUE(record->infoLoaded);
    EXPECT_EQ(pane_->InfoBox()->toPlainText(), "61 images");
}

TEST_F(BrowserTest, TheEventLoopsLoaderDecodesOnAThreadAndFillsWhatThePlainPassesFill) {
    WriteScene(photos_ / "scene.jpg", 300, 200);
    TagAsCamera(photos_ / "scene.jpg", 400);
    for (int i = 0; i < 30; ++i)
        std::filesystem::copy_file(photos_ / "scene.jpg",
                                   photos_ / ("p" + std::to_string(100 + i) + ".jpg"));
    WriteText(photos_ / "bad.jpg", std::string("\xff\xd8\xff\xe0 broken", 12));
    options_.settings3.browserView = 0;  // Small
    MakePane();
    ASSERT_TRUE(pane_->NavigateTo(photos_.string()));
    // A decode under way when the list is refreshed is dropped with that list.
    QCoreApplication::processEvents();
    pane_->RefreshList();
    QElapsedTimer waited;
    waited.start();
    while (pane_->LoaderRunning() && waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(pane_->LoaderRunning());
    using Fields = std::tuple<std::string, ThumbnailState, QImage, int, std::string, std::string,
                              bool, std::string>;
    const auto fields = [this] {
        std::vector<Fields> all;
        for (const auto& r : pane_->Model().Records())
            all.emplace_back(r->name, r->thumbnailState, r->thumbnail, r->width, r->model,
                             r->isoText, r->infoLoaded, r->sizeText);
        return all;
    };
    const std::vector<Fields> threaded = fields();
    int loaded = 0;
    for (const Fields& f : threaded) loaded += std::get<1>(f) == ThumbnailState::kLoaded ? 1 : 0;
    EXPECT_GT(loaded, 0);
    pane_->RefreshList();
    LoadAll();
    EXPECT_EQ(fields(), threaded);
}

TEST_F(BrowserTest, OpeningFromTheListRemembersTheFolderAndTheWalkIgnoresLetterCase) {
    WriteScene(photos_ / "a.png", 40, 30);
    options_.settings3.recentLength = 3;
    recent_ = {"/x/", "/y/", "/z/", "/w/"};
    MakePane();
    ASSERT_TRUE(pane_->NavigateTo(photos_.string()));
    Q_EMIT pane_->IconList()->doubleClicked(pane_->Model().index(0, 0));
    EXPECT_EQ(opened_, std::vector<std::string>{(photos_ / "a.png").string()});
    EXPECT_EQ(recent_.front(), photos_.string() + "/");
    EXPECT_EQ(LoadRecentFolders(store_, 10),
              (std::vector<std::string>{photos_.string() + "/", "/x/", "/y/"}));
    // "Desktop" and three folders.
    ASSERT_EQ(pane_->RecentMenu()->actions().size(), 4);
    EXPECT_EQ(pane_->RecentMenu()->actions()[0]->text(), "Desktop");
    pane_->RecentMenu()->actions()[0]->trigger();
    EXPECT_EQ(pane_->SelectedFolder(), "");
    EXPECT_EQ(pane_->Model().Count(), 0);

    std::string upper = photos_.string();
    upper.replace(upper.size() - 6, 6, "PHOTOS");
    EXPECT_TRUE(pane_->NavigateTo(upper));
    EXPECT_EQ(pane_->SelectedFolder(), photos_.string());
    EXPECT_FALSE(pane_->NavigateTo((photos_ / "gone").string()));
    EXPECT_EQ(pane_->SelectedFolder(), photos_.string());
}

}  // namespace
}  // namespace stillpix::test
