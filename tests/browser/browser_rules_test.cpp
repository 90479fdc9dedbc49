// The thumbnail list's rules: views, sorting with its direction rule, the information box, the
// recent folders and the walk of the tree, and which files a folder lists.
#include <gtest/gtest.h>

#include <algorithm>

#include "browser/folder_listing.h"
#include "browser/list_layout.h"
#include "browser/recent_folders.h"
#include "tests/support/temp_folder.h"

namespace stillpix::test {
namespace {

TEST(BrowserRules, ViewsGiveTheirThumbnailSizesAndUnknownValuesGiveMedium) {
    const std::pair<int, int> cases[] = {{0, 64}, {1, 96}, {2, 128}, {3, 16}, {4, 96}, {-1, 96}};
    for (const auto& [stored, size] : cases)
        EXPECT_EQ(ThumbnailSize(ViewModeOf(stored)), size) << stored;
}

IMAGETHUMBDATA Item(const char* name, int iso, uint64_t size, int w, int h, const char* model,
                    const char* date) {
    IMAGETHUMBDATA item;
    item.name = name, item.isoValue = iso, item.fileSize = size, item.width = w, item.height = h;
    item.model = model, item.dateText = date;
    return item;
}

std::string Names(const std::vector<IMAGETHUMBDATA*>& items) {
    std::string names;
    for (const IMAGETHUMBDATA* item : items) names += item->name;
    return names;
}

TEST(BrowserRules, EachKeySortsAscendingAndTheSameKeyAgainReverses) {
    IMAGETHUMBDATA a = Item("a", 800, 3000, 30, 20, "Nikon", "2007:01:02");
    IMAGETHUMBDATA b = Item("B", 100, 1000, 10, 10, "Canon", "2008:01:01");
    IMAGETHUMBDATA c = Item("c", 400, 2000, 40, 40, "canon", "2006:12:31");
    using C = ListColumn;
    // Names and models compare byte-wise: upper case first.
    // clang-format off
    for (const auto& [key, ascending] : {std::pair{C::kName, "Bac"}, {C::kIso, "Bca"}, {C::kSize, "Bca"},
                                         {C::kDimensions, "Bac"}, {C::kModel, "Bac"}, {C::kDate, "caB"}}) {
        // clang-format on
        std::vector<IMAGETHUMBDATA*> items = {&a, &b, &c};
        SortItems(items, SortState{key, false});
        EXPECT_EQ(Names(items), ascending);
        SortItems(items, SortState{key, true});
        EXPECT_EQ(Names(items), std::string(std::string_view(ascending).rbegin(),
                                            std::string_view(ascending).rend()));
    }
    // The pane starts on the name column ascending: the first "By Name" sorts descending, and
    // another key keeps the direction.
    SortState state;
    for (const auto& [key, descending] :
         {std::pair{C::kName, true}, {C::kIso, true}, {C::kIso, false}}) {
        state.Choose(key);
        EXPECT_EQ(state.descending, descending);
    }
}

TEST(BrowserRules, TheInformationBoxFollowsTheSelectionAndTheLoader) {
    IMAGETHUMBDATA item = Item("a.jpg", 0, 0, 0, 0, "Unknown", "");
    item.path = "/p/a.jpg";
    EXPECT_EQ(InfoBoxText({}, 12), "12 images");
    EXPECT_EQ(InfoBoxText({&item, &item}, 12), "2 images selected");
    EXPECT_EQ(InfoBoxText({&item}, 12), "File: /p/a.jpg\r\n");
    item.thumbnailState = ThumbnailState::kLoaded, item.model = "Canon EOS 5D";
    item.width = 300, item.height = 200, item.isoText = "ISO 800";
    EXPECT_EQ(InfoBoxText({&item}, 12),
              "File: /p/a.jpg\r\nModel: Canon EOS 5D\r\nDimensions: 300x200\r\nISO Speed: ISO "
              "800\r\n");
}

TEST(BrowserRules, RecentFoldersMoveToTheFrontAndTheDropDownShowsTheConfiguredNumber) {
    std::vector<std::string> recent = {"/a/", "/b/", "/c/", "/d/", "/e/"};
    EXPECT_FALSE(RememberFolder(recent, "/a/"));  // already first: nothing changes
    EXPECT_TRUE(RememberFolder(recent, "/c/"));
    EXPECT_EQ(recent, (std::vector<std::string>{"/c/", "/a/", "/b/", "/d/", "/e/"}));
    EXPECT_TRUE(RememberFolder(recent, "/C/"));  // another spelling is another folder
    EXPECT_EQ(recent.size(), 6u);
    EXPECT_EQ(RecentEntries(recent, 3), (std::vector<std::string>{"/C/", "/c/", "/a/"}));
    EXPECT_EQ(RecentEntries(recent, 0).size(), 1u);
}

TEST(BrowserRules, TheWalkGoesOneFolderAtATimeIgnoringLetterCase) {
    EXPECT_EQ(WalkPrefixes("/home/u", "/home/u/Photos/2007"),
              (std::vector<std::string>{"/home/u/Photos/", "/home/u/Photos/2007/"}));
    EXPECT_EQ(WalkPrefixes("/", "/tmp//x/").size(), 2u);
    EXPECT_TRUE(WalkPrefixes("/home/u", "/home/other/x").empty());
    EXPECT_TRUE(NodeMatches("/home/u/Photos", "/home/u/photos/", false));
    EXPECT_FALSE(NodeMatches("/home/u/Photos", "/home/u/photos/", true));
    EXPECT_FALSE(NodeMatches("", "/", false));
}

TEST(BrowserRules, AFolderListsItsImageFilesOnly) {
    TempFolder folder;
    for (const char* name : {"a.jpg", "b.TIF", "c.png", "d.bmp", "e.gif", ".hidden.jpg", ".jpg",
                             "notes.txt", "f.jpe", "noextension"})
        WriteText(folder.Path() / name, "x");
    std::filesystem::create_directory(folder.Path() / "sub.jpg");
    std::vector<std::string> names;
    for (const ListedImageFile& file : ListImageFiles(folder.Path().string())) {
        EXPECT_EQ(file.path, file.folder + file.name);
        names.push_back(file.name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.jpg", "b.TIF", "c.png", "d.bmp", "f.jpe"}));
    EXPECT_TRUE(ListImageFiles(folder / "missing").empty());
    EXPECT_TRUE(HasSubfolders(folder.Path().string()));
}

}  // namespace
}  // namespace stillpix::test
