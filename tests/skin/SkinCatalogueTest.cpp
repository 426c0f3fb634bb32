// SPDX-License-Identifier: MIT

#include "skin/SkinCatalogue.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string Folder(const TempFolder& t) {
    return t.Path() + "/skins/";
}

} // namespace

TEST(SkinCatalogue, ListsInfFilesSortedByCharacterCode) {
    TempFolder t;
    for (const char* name : {"c.inf", "B.inf", "a.inf", "D.INF", "notes.txt", ".hidden.inf"})
        t.Write(std::string("skins/") + name, "x");
    std::filesystem::create_directories(Folder(t) + "folder.inf");

    SkinCatalogue c;
    BuildSkinList(c, Folder(t));
    EXPECT_EQ(c.Count, 4);
    EXPECT_EQ(c.Current, 0);
    EXPECT_EQ(c.Names[0], "Default");
    EXPECT_EQ(c.Names[1], "B.inf");
    EXPECT_EQ(c.Names[2], "D.INF");
    EXPECT_EQ(c.Names[3], "a.inf");
    EXPECT_EQ(c.Names[4], "c.inf");
    EXPECT_EQ(c.Names[5], "");
}

TEST(SkinCatalogue, MissingFolderListsOnlyDefaultAndAtMostThirtyFilesAreKept) {
    SkinCatalogue c;
    BuildSkinList(c, "/nonexistent/tarvik/skins/");
    EXPECT_EQ(c.Count, 0);
    EXPECT_EQ(c.Names[0], "Default");

    // The first thirty in sorted order, whatever order the folder lists them in: made so
    // that neither the order of making nor its reverse gives them.
    TempFolder t;
    for (int first : {100, 130, 115})
        for (int i = first; i < first + 15; ++i)
            t.Write("skins/s" + std::to_string(i) + ".inf", "x");
    BuildSkinList(c, Folder(t));
    EXPECT_EQ(c.Count, MaxSkinFiles);
    for (int i = 1; i <= MaxSkinFiles; ++i)
        EXPECT_EQ(c.Names[i], std::string("s") + std::to_string(99 + i) + ".inf");
    t.Write("skins/s099.inf", "x");
    RefreshSkinList(c, Folder(t));
    EXPECT_EQ(c.Names[1], "s099.inf");
    EXPECT_EQ(c.Names[MaxSkinFiles], "s128.inf");
}

TEST(SkinCatalogue, RescanFollowsTheCurrentNameAndClearsDroppedEntries) {
    TempFolder t;
    t.Write("skins/a.inf", "x");
    t.Write("skins/b.inf", "x");
    SkinCatalogue c;
    BuildSkinList(c, Folder(t));
    c.Current = 2; // b.inf

    t.Write("skins/0.inf", "x");
    RefreshSkinList(c, Folder(t));
    EXPECT_EQ(c.Count, 3);
    EXPECT_EQ(c.Names[3], "b.inf");
    EXPECT_EQ(c.Current, 3);

    std::filesystem::remove(Folder(t) + "0.inf");
    std::filesystem::remove(Folder(t) + "a.inf");
    RefreshSkinList(c, Folder(t));
    EXPECT_EQ(c.Count, 1);
    EXPECT_EQ(c.Names[1], "b.inf");
    EXPECT_EQ(c.Current, 1);
    EXPECT_EQ(c.Names[2], "");
    EXPECT_EQ(c.Names[3], "");
    EXPECT_EQ(c.Names[0], "Default");
}

TEST(SkinCatalogue, CurrentKeepsItsNumberWhenItsFileIsGoneOrItIsTheBuiltInSkin) {
    TempFolder t;
    t.Write("skins/a.inf", "x");
    t.Write("skins/b.inf", "x");
    SkinCatalogue c;
    BuildSkinList(c, Folder(t));
    RefreshSkinList(c, Folder(t));
    EXPECT_EQ(c.Current, 0);

    c.Current = 1;
    std::filesystem::remove(Folder(t) + "a.inf");
    RefreshSkinList(c, Folder(t));
    EXPECT_EQ(c.Current, 1);
    EXPECT_EQ(c.Names[1], "b.inf");
}

TEST(SkinCatalogue, UserSkinsAreListedWithTheProgramsAndTakeThePlaceOfTheSameName) {
    TempFolder t;
    for (const char* name : {"c.inf", "Same.inf", "a.inf"})
        t.Write(std::string("skins/") + name, "x");
    for (const char* name : {"B.inf", "Same.inf"})
        t.Write(std::string("user/") + name, "x");
    const std::string user = t.Path() + "/user/";
    SkinCatalogue c;
    BuildSkinList(c, Folder(t), user);
    ASSERT_EQ(c.Count, 4);
    const std::pair<std::string, std::string> listed[] = {
        {"B.inf", user}, {"Same.inf", user}, {"a.inf", Folder(t)}, {"c.inf", Folder(t)}};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(c.Names[i], listed[i - 1].first);
        EXPECT_EQ(c.Folders[i], listed[i - 1].second);
    }

    // Thirty on the merged list, the first in sorted order, from either folder.
    for (int i = 0; i < 40; ++i)
        t.Write((i % 2 ? "skins/s" : "user/s") + std::to_string(100 + i) + ".inf", "x");
    c.Current = 2;
    RefreshSkinList(c, Folder(t), user);
    EXPECT_EQ(c.Count, MaxSkinFiles);
    EXPECT_EQ(c.Names[2], "Same.inf");
    EXPECT_EQ(c.Current, 2);
    EXPECT_EQ(c.Names[3], "a.inf");
    EXPECT_EQ(c.Names[4], "c.inf");
    EXPECT_EQ(c.Names[5], "s100.inf");
    EXPECT_EQ(c.Folders[5], user);
    EXPECT_EQ(c.Folders[6], Folder(t));
    EXPECT_EQ(c.Names[MaxSkinFiles], "s125.inf");
}
