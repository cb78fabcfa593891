// The recent files list: newest first, each file once, at most ten.
#include "app/recent_files.h"

#include "../files/temp_dir.h"

#include <gtest/gtest.h>

using namespace ardenca;
using ardenca::testing::TempDir;

TEST(RecentFiles, NewestFirstEachFileOnceAtMostTen) {
    TempDir dir;
    RecentFiles recent;
    for (int i = 0; i < 12; ++i)
        recent.add(dir / ("f" + std::to_string(i) + ".gnd"));
    ASSERT_EQ(recent.paths().size(), RecentFiles::max_entries);
    EXPECT_EQ(recent.paths().front(), dir / "f11.gnd");
    EXPECT_EQ(recent.paths().back(), dir / "f2.gnd");

    // The same file by another spelling moves to the front instead of coming twice.
    recent.add(dir / "sub/../f5.gnd");
    EXPECT_EQ(recent.paths().front(), dir / "f5.gnd");
    EXPECT_EQ(std::count(recent.paths().begin(), recent.paths().end(), dir / "f5.gnd"), 1);
    EXPECT_EQ(recent.paths().size(), RecentFiles::max_entries);

    recent.remove(dir / "./f11.gnd");
    EXPECT_EQ(recent.paths().at(1), dir / "f10.gnd");
    recent.clear();
    EXPECT_TRUE(recent.paths().empty());
}

TEST(RecentFiles, ListReadBackIsCleanedUp) {
    TempDir dir;
    std::vector<std::string> stored{dir / "a.s1p", "", dir / "b.s1p", dir / "./a.s1p"};
    for (int i = 0; i < 10; ++i)
        stored.push_back(dir / ("old" + std::to_string(i) + ".s1p"));
    const RecentFiles recent(stored);
    ASSERT_EQ(recent.paths().size(), RecentFiles::max_entries);
    EXPECT_EQ(recent.paths().at(0), dir / "a.s1p");
    EXPECT_EQ(recent.paths().at(1), dir / "b.s1p");
    EXPECT_EQ(recent.paths().back(), dir / "old7.s1p");
}
