// The settings store against the real (Wine) registry.
#include "base/settings_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kSection[] = "Software\\Fax\\Settings";

struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

RawValue QueryRaw(const char* name) {
    RawValue value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSection, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        value.found = RegQueryValueExA(key, name, nullptr, &value.type, value.bytes.data(), &size) == ERROR_SUCCESS;
        value.bytes.resize(size);
    }
    RegCloseKey(key);
    return value;
}

// The value as the registry keeps it: text is held in UTF-16, so this shows
// exactly how many characters were written and whether a terminator was.
RawValue QueryStored(const char* name) {
    RawValue value;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Fax\\Settings", 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    wchar_t wide_name[64];
    MultiByteToWideChar(CP_ACP, 0, name, -1, wide_name, 64);
    BYTE data[8192];
    DWORD size = sizeof data;
    value.found = RegQueryValueExW(key, wide_name, nullptr, &value.type, data, &size) == ERROR_SUCCESS;
    if (value.found) value.bytes.assign(data, data + size);
    RegCloseKey(key);
    return value;
}

bool KeyExists(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Runs another program to completion; true when it exited with 0.
bool RunProgram(std::string command_line) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

class RegistrySettings : public ::testing::Test {
protected:
    // Every test starts from a profile that has never seen the program.
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Fax");
        ASSERT_FALSE(KeyExists("Software\\Fax"));
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Fax"); }
};

TEST_F(RegistrySettings, FreshProfileReadCreatesTheKeysAndYieldsEmptyText) {
    EXPECT_EQ(ReadSettingText("USERNAME"), "");
    EXPECT_TRUE(KeyExists(kSection));
    EXPECT_FALSE(QueryRaw("USERNAME").found);  // reading writes no value
}

TEST_F(RegistrySettings, TextIsStoredAsRegSzOfItsLengthWithoutTerminator) {
    WriteSetting(kSettingsSection, "USERNAME", "abc");
    RawValue value = QueryStored("USERNAME");
    ASSERT_TRUE(value.found);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    // We hand the registry three bytes; like Windows, Wine appends the
    // terminator itself when the byte after the counted data is zero.
    ASSERT_GE(value.bytes.size(), 3 * sizeof(WCHAR));
    ASSERT_LE(value.bytes.size(), 4 * sizeof(WCHAR));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(value.bytes.data()), 3), L"abc");
    if (value.bytes.size() == 4 * sizeof(WCHAR)) {
        EXPECT_EQ(value.bytes[6] | value.bytes[7], 0);
    }
    EXPECT_EQ(ReadSettingText("USERNAME"), "abc");

    WriteSetting(kSettingsSection, "USERNAME", "");
    value = QueryStored("USERNAME");
    ASSERT_TRUE(value.found);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.bytes.size(), 0u);
    EXPECT_EQ(ReadSettingText("USERNAME"), "");
}

TEST_F(RegistrySettings, WriteCreatesMissingKeys) {
    WriteSetting(kSettingsSection, "userId", "u1");
    EXPECT_EQ(ReadSettingText("userId"), "u1");
    // A later write of the same name wins.
    WriteSetting(kSettingsSection, "userId", "u2");
    EXPECT_EQ(ReadSettingText("userId"), "u2");
}

TEST_F(RegistrySettings, ValuesTooLongForTheBufferReadAsEmptyAndLeaveTheBuffer) {
    // Written by another program, as an installer or a user might.
    const std::string big(2000, 'x');
    ASSERT_TRUE(RunProgram("reg.exe add HKCU\\Software\\Fax\\Settings /v big /t REG_SZ /f /d " + big));
    ASSERT_TRUE(QueryRaw("big").found);
    EXPECT_EQ(ReadSettingText("big"), "");

    char buffer[kSettingsBufferSize] = "caller";
    ReadSetting(kSettingsSection, "big", buffer);
    EXPECT_STREQ(buffer, "caller");

    // Exactly 2000 bytes without a terminator: no room left to terminate it.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSection, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "full", 0, REG_SZ, reinterpret_cast<const BYTE*>(big.data()), 2000), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadSettingText("full"), "");

    WriteSetting(kSettingsSection, "edge", std::string(1999, 'y').c_str());
    EXPECT_EQ(ReadSettingText("edge").GetLength(), 1999);
}

TEST_F(RegistrySettings, OtherSectionsAreSeparate) {
    WriteSetting("Other", "USERNAME", "elsewhere");
    EXPECT_EQ(ReadSettingText("USERNAME"), "");
    EXPECT_EQ(ReadSettingText("USERNAME", "Other"), "elsewhere");
}

}  // namespace
