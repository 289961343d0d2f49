// The per-user settings: HKEY_CURRENT_USER\Software\Fax\<section>\<name> on
// Windows, a folder per section and a file per value elsewhere. Text values
// only, carried in 2000-byte buffers.
#pragma once

#include "framework/cstring.h"

constexpr int kSettingsBufferSize = 2000;
extern const char kSettingsSection[];  // "Settings", the only section used

// Reads a value into buffer (kSettingsBufferSize bytes, owned by the caller).
// On any failure, including a value of 2000 bytes or more, the buffer is left
// exactly as the caller filled it. Creates the section when it is missing.
void ReadSetting(const char* section, const char* name, char* buffer);

// Writes text as the value; a failure is silent.
void WriteSetting(const char* section, const char* name, const char* text);

// The usual read: a cleared buffer, so a missing value reads as empty text.
CString ReadSettingText(const char* name, const char* section = kSettingsSection);
