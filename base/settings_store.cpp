#include "base/settings_store.h"

#include <cstring>

const char kSettingsSection[] = "Settings";

CString ReadSettingText(const char* name, const char* section) {
    char buffer[kSettingsBufferSize];
    std::memset(buffer, 0, sizeof buffer);
    buffer[0] = '\0';
    ReadSetting(section, name, buffer);
    return CString(buffer);
}
