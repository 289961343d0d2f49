#include "base/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class FileSettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("kestrid-settings-" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        setenv("KESTRID_SETTINGS_DIR", root_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("KESTRID_SETTINGS_DIR");
        fs::remove_all(root_);
    }
    fs::path root_;
};

TEST_F(FileSettingsStore, FreshProfileReadCreatesTheSectionAndYieldsEmptyText) {
    EXPECT_EQ(ReadSettingText("USERNAME"), "");
    EXPECT_TRUE(fs::is_directory(root_ / "Fax" / "Settings"));
}

TEST_F(FileSettingsStore, WritesWithoutTerminatorAndReadsBack) {
    WriteSetting(kSettingsSection, "USERNAME", "abc");
    const fs::path file = root_ / "Fax" / "Settings" / "v_USERNAME";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 3u);
    EXPECT_EQ(ReadSettingText("USERNAME"), "abc");

    WriteSetting(kSettingsSection, "USERNAME", "");
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_EQ(ReadSettingText("USERNAME"), "");
}

TEST_F(FileSettingsStore, FailedReadLeavesTheCallersBuffer) {
    char buffer[kSettingsBufferSize];
    std::strcpy(buffer, "caller");
    ReadSetting(kSettingsSection, "missing", buffer);
    EXPECT_STREQ(buffer, "caller");
}

TEST_F(FileSettingsStore, ValuesOf2000BytesOrMoreReadAsMissing) {
    WriteSetting(kSettingsSection, "big", std::string(1999, 'x').c_str());
    EXPECT_EQ(ReadSettingText("big").GetLength(), 1999);
    for (size_t size : {2000u, 5000u}) {
        WriteSetting(kSettingsSection, "big", std::string(size, 'x').c_str());
        EXPECT_EQ(ReadSettingText("big"), "") << size;
    }
}

TEST_F(FileSettingsStore, NamesFromAnswersStayInsideTheSection) {
    WriteSetting(kSettingsSection, "../../escape", "v");
    WriteSetting(kSettingsSection, "a/b", "w");
    EXPECT_EQ(ReadSettingText("../../escape"), "v");
    EXPECT_EQ(ReadSettingText("a/b"), "w");
    // Only the section's own folders exist, and both values are files in it.
    std::vector<fs::path> folders, files;
    for (const auto& entry : fs::recursive_directory_iterator(root_))
        (entry.is_directory() ? folders : files).push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<fs::path>{root_ / "Fax", root_ / "Fax" / "Settings"}));
    EXPECT_EQ(files.size(), 2u);
    for (const fs::path& file : files) EXPECT_EQ(file.parent_path(), root_ / "Fax" / "Settings") << file;
}

TEST_F(FileSettingsStore, MissingRootReadsEmptyAndWritesNothing) {
    setenv("KESTRID_SETTINGS_DIR", (root_ / "no" / "such").c_str(), 1);
    EXPECT_EQ(ReadSettingText("USERNAME"), "");
    WriteSetting(kSettingsSection, "USERNAME", "abc");
    EXPECT_FALSE(fs::exists(root_ / "no"));
}

}  // namespace
