#include "base/application_name.h"

#include <gtest/gtest.h>

namespace {

TEST(ApplicationName, IsTheFileNameWithoutItsExtension) {
    struct Case {
        const char* module;
        const char* name;
    } cases[] = {
        {"C:\\Program Files\\Vantrel Fax\\KestridUI.exe", "KestridUI"},
        {"Z:/tmp/kestrid-e2e/Vantrel Fax/KestridUI.exe", "KestridUI"},
        {"C:\\Vantrel.Fax\\Vantrel.Fax.exe", "Vantrel.Fax"},  // only the last dot, only in the name
        {"C:\\Vantrel.Fax\\KestridUI", "KestridUI"},
        {"KestridUI.exe", "KestridUI"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ApplicationNameFromModulePath(c.module), c.name) << c.module;
}

}  // namespace
