#include "files/disk_file.h"
#include "tests/support/temp_dir.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string readAll(VirtualFile& f) {
    std::string s(f.size, '\0');
    EXPECT_EQ(f.read(&s[0], f.size), f.size);
    return s;
}

} // namespace

TEST(DiskFile, ReadsWritesSeeksAndCountsBytes) {
    TempDir tmp(true);
    DiskFile out;
    ASSERT_TRUE(out.openWrite("events.scr"));
    EXPECT_FALSE(out.openWrite("other")); // one file per object
    EXPECT_EQ(out.write("0:01.000 flash\n", 15), 15u);
    EXPECT_EQ(out.write("stopdemo", 8), 8u);
    EXPECT_EQ(out.bytesWritten(), 23u);
    EXPECT_TRUE(out.close());
    EXPECT_FALSE(out.close());

    DiskFile in;
    ASSERT_TRUE(in.openRead("events.scr"));
    EXPECT_EQ(in.size, 23u);
    EXPECT_TRUE(in.seek(9));
    char word[5] = {};
    EXPECT_EQ(in.read(word, 5), 5u);
    EXPECT_EQ(std::string(word, 5), "flash");
    EXPECT_EQ(in.tell(), 14u);
    EXPECT_TRUE(in.seekRelative(-14));
    EXPECT_EQ(in.tell(), 0u);
    EXPECT_EQ(readAll(in), "0:01.000 flash\nstopdemo");
    EXPECT_EQ(in.read(word, 5), 0u); // at the end

    // Writing again truncates and restarts the counter.
    DiskFile again;
    ASSERT_TRUE(again.openWrite("events.scr"));
    EXPECT_EQ(again.bytesWritten(), 0u);
    again.write("x", 1);
    again.close();
    ASSERT_TRUE(in.close());
    ASSERT_TRUE(in.openRead("events.scr"));
    EXPECT_EQ(in.size, 1u);
}

TEST(DiskFile, SearchPathAndDrivePrefix) {
    TempDir tmp(true);
    tmp.write("beside.txt", "parent folder");
    tmp.write("data/inside.txt", "data folder");
    std::filesystem::create_directories(tmp.path("run"));
    std::filesystem::current_path(tmp.path("run"));

    DiskFile f;
    EXPECT_EQ(f.searchPath(), ".\\;..\\");
    // Not in the working folder: found one folder up through "..\".
    ASSERT_TRUE(f.openRead("beside.txt"));
    EXPECT_EQ(readAll(f), "parent folder");
    f.close();
    // Backslashes inside names work too, and a drive prefix is dropped.
    ASSERT_TRUE(f.openRead("data\\inside.txt"));
    f.close();
    ASSERT_TRUE(f.openRead("C:data\\inside.txt"));
    EXPECT_EQ(readAll(f), "data folder");
    f.close();
    EXPECT_FALSE(f.openRead("nowhere.txt"));
    EXPECT_TRUE(f.exists("beside.txt"));
    EXPECT_FALSE(f.exists("nowhere.txt"));

    // A replaced search path no longer looks one folder up; a clone keeps it.
    f.setSearchPath(".\\");
    EXPECT_FALSE(f.openRead("beside.txt"));
    std::unique_ptr<VirtualFile> copy(f.clone());
    EXPECT_FALSE(copy->openRead("beside.txt"));
    f.setSearchPath("..\\data\\;..\\");
    ASSERT_TRUE(f.openRead("inside.txt"));
    f.close();
    std::filesystem::current_path(tmp.path());
}

TEST(DiskFile, ClosedFileReadsNothing) {
    DiskFile f;
    char b[4];
    EXPECT_EQ(f.read(b, 4), 0u);
    EXPECT_EQ(f.write(b, 4), 0u);
    EXPECT_FALSE(f.seek(0));
    EXPECT_EQ(f.tell(), 0u);
    EXPECT_FALSE(f.openRead(nullptr));
}
