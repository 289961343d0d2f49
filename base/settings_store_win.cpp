// Registry store. Every key opened or created is closed on every path.
#include "base/settings_store.h"

#include <windows.h>

#include <cstring>

namespace {

// Opens name below parent with access, creating it (with KEY_WRITE) when it
// cannot be opened. Null on failure.
HKEY OpenOrCreate(HKEY parent, const char* name, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name, 0, access, &key) == ERROR_SUCCESS) return key;
    key = nullptr;
    if (RegCreateKeyExA(parent, name, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) return key;
    return nullptr;
}

// The three keys Software, Fax, <section>, closed together.
class SectionKeys {
public:
    SectionKeys(const char* section, REGSAM access) {
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, access, &m_software) != ERROR_SUCCESS) {
            m_software = nullptr;
            return;
        }
        m_fax = OpenOrCreate(m_software, "Fax", access);
        if (m_fax) m_section = OpenOrCreate(m_fax, section, access);
    }
    ~SectionKeys() {
        if (m_section) RegCloseKey(m_section);
        if (m_fax) RegCloseKey(m_fax);
        if (m_software) RegCloseKey(m_software);
    }
    SectionKeys(const SectionKeys&) = delete;
    SectionKeys& operator=(const SectionKeys&) = delete;
    HKEY section() const { return m_section; }

private:
    HKEY m_software = nullptr;
    HKEY m_fax = nullptr;
    HKEY m_section = nullptr;
};

}  // namespace

void ReadSetting(const char* section, const char* name, char* buffer) {
    SectionKeys keys(section, KEY_READ);
    if (!keys.section()) return;
    char data[kSettingsBufferSize];
    DWORD size = sizeof data;
    if (RegQueryValueExA(keys.section(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return;
    // We store values without a terminator, but the system may hand one back
    // (and other writers store one); either way the text ends there. What is
    // left must fit the caller's buffer with room for the terminator.
    DWORD length = size;
    if (length > 0 && data[length - 1] == '\0') --length;
    if (length >= sizeof data) return;
    std::memcpy(buffer, data, length);
    buffer[length] = '\0';
}

void WriteSetting(const char* section, const char* name, const char* text) {
    SectionKeys keys(section, KEY_WRITE);
    if (!keys.section()) return;
    RegSetValueExA(keys.section(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(std::strlen(text)));
}
