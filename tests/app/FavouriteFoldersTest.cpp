#include "app/FavouriteFolders.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace mv {
namespace {

using test::TTempDir;
using Items = std::vector<std::string>;

void WriteText(const std::string& path, const std::string& text) {
    test::WriteBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

TEST(FavouriteFolders, MostRecentFirstAndRewrittenWithCrLf) {
    TTempDir dir;
    const std::string file = dir / "folders.dat";
    WriteText(file, "/A/\r\n/B/\r\n/C/\r\n");
    TFavouriteFolders favourites;
    favourites.Load(file);
    EXPECT_EQ(favourites.Items(), (Items{"/A/", "/B/", "/C/"}));
    favourites.AddToPrefFolders("/C/");
    EXPECT_EQ(favourites.Items(), (Items{"/C/", "/A/", "/B/"}));
    favourites.AddToPrefFolders("/D/");
    EXPECT_EQ(favourites.Items(), (Items{"/D/", "/C/", "/A/", "/B/"}));
    EXPECT_EQ(test::ReadText(file), "/D/\r\n/C/\r\n/A/\r\n/B/\r\n");
    // Letter case counts.
    favourites.AddToPrefFolders("/a/");
    EXPECT_EQ(favourites.Items(), (Items{"/a/", "/D/", "/C/", "/A/", "/B/"}));
}

TEST(FavouriteFolders, EmptyLinesAndLineEndsAsWritten) {
    TTempDir dir;
    const std::string file = dir / "folders.dat";
    WriteText(file, "/A/\n\r\n/B/\r\n/C/");
    TFavouriteFolders favourites;
    favourites.Load(file);
    EXPECT_EQ(favourites.Items(), (Items{"/A/", "", "/B/", "/C/"}));
    WriteText(file, "");
    favourites.Load(file);
    EXPECT_TRUE(favourites.Items().empty());
}

TEST(FavouriteFolders, OfTwoEqualLinesTheLaterGoes) {
    TTempDir dir;
    const std::string file = dir / "folders.dat";
    WriteText(file, "/X/\r\n/A/\r\n/X/\r\n/B/\r\n");
    TFavouriteFolders favourites;
    favourites.Load(file);
    favourites.AddToPrefFolders("/B/");
    EXPECT_EQ(favourites.Items(), (Items{"/B/", "/X/", "/A/", "/X/"}));
    favourites.AddToPrefFolders("/X/");
    EXPECT_EQ(favourites.Items(), (Items{"/X/", "/B/", "/X/", "/A/"}));
    // Again: now the copy at the front stays and the later one moves up.
    std::filesystem::remove(file);
    favourites.AddToPrefFolders("/X/");
    EXPECT_EQ(favourites.Items(), (Items{"/X/", "/X/", "/B/", "/A/"}));
    EXPECT_EQ(test::ReadText(file), "/X/\r\n/X/\r\n/B/\r\n/A/\r\n");
    // Adding the first folder of a list without copies changes nothing but
    // still rewrites the file.
    favourites.Load(file);
    favourites.AddToPrefFolders("/B/");
    std::filesystem::remove(file);
    favourites.AddToPrefFolders("/B/");
    EXPECT_EQ(favourites.Items(), (Items{"/B/", "/X/", "/X/", "/A/"}));
    EXPECT_TRUE(std::filesystem::exists(file));
}

TEST(FavouriteFolders, MissingOrUnwritableFileIsNoError) {
    TTempDir dir;
    TFavouriteFolders favourites;
    favourites.Load(dir / "fehlt/folders.dat");
    EXPECT_TRUE(favourites.Items().empty());
    favourites.AddToPrefFolders("/A/");
    EXPECT_EQ(favourites.Items(), (Items{"/A/"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "fehlt"));
}

} // namespace
} // namespace mv
