#include "base/version_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

class VersionFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kestrid-version-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    void Write(const std::string& bytes) {
        FILE* f = std::fopen((folder_ / "Version.txt").c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    CString Folder() const { return CString((folder_.string() + "/").c_str()); }
    std::filesystem::path folder_;
};

TEST_F(VersionFile, MissingFileGivesTheBareLabel) { EXPECT_EQ(VersionLabel(Folder()), "Vantrel v"); }

TEST_F(VersionFile, KeepsTheLineBreakUnchanged) {
    Write("1.0\r\n");
    EXPECT_EQ(VersionLabel(Folder()), "Vantrel v1.0\r\n");
}

TEST_F(VersionFile, StopsAtZeroByteAndReadsAtMost90000Bytes) {
    Write(std::string("2.1\0junk", 8));
    EXPECT_EQ(ReadVersionFile((folder_ / "Version.txt").c_str()), "2.1");
    Write(std::string(100000, '7'));
    EXPECT_EQ(ReadVersionFile((folder_ / "Version.txt").c_str()).GetLength(), 90000);
}

}  // namespace
