#include "base/program_folder.h"

#include <gtest/gtest.h>

TEST(ProgramFolder, IsTheModulePathUpToItsLastBackslash) {
    struct Case {
        const char* module;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Kestrid Fax\\KestridUI.exe", "C:\\Program Files\\Kestrid Fax\\"},
        {"C:\\KestridUI.exe", "C:\\"},
        {"\\\\server\\share\\app\\KestridUI.exe", "\\\\server\\share\\app\\"},
        {"KestridUI.exe", "KestridUI.exe"},  // no backslash: used whole
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgramFolderFromModulePath(c.module).str(), c.folder) << c.module;
    }
}
