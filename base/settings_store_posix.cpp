// Per-user file store with the registry's semantics: a folder per key, a file
// per value (name escaped) holding the text's bytes, no terminator. The root is
// $KESTRID_SETTINGS_DIR, else $HOME/.config/kestrid, standing for
// HKEY_CURRENT_USER\Software.
#include "base/settings_store.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string SoftwareRoot() {
    if (const char* dir = std::getenv("KESTRID_SETTINGS_DIR"); dir && *dir) return dir;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/kestrid";
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool OpenOrCreate(const std::string& path) {
    return IsFolder(path) || mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && IsFolder(path));
}

// Like the registry: the root must exist, Fax and the section are created.
bool SectionFolder(const char* section, std::string& folder) {
    const std::string software = SoftwareRoot();
    if (!OpenOrCreate(software)) return false;
    const std::string fax = software + "/Fax";
    if (!OpenOrCreate(fax)) return false;
    folder = fax + "/" + section;
    return OpenOrCreate(folder);
}

// Value names come from the service's answers too; keep each one a single,
// harmless file name.
std::string ValueFile(const std::string& folder, const char* name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string file = folder + "/v_";
    for (const unsigned char c : std::string(name)) {
        if (std::isalnum(c) || c == '_' || c == '-') {
            file += static_cast<char>(c);
        } else {
            file += '%';
            file += hex[c >> 4];
            file += hex[c & 15];
        }
    }
    return file;
}

}  // namespace

void ReadSetting(const char* section, const char* name, char* buffer) {
    std::string folder;
    if (!SectionFolder(section, folder)) return;
    FILE* file = std::fopen(ValueFile(folder, name).c_str(), "rb");
    if (!file) return;
    char data[kSettingsBufferSize];
    const size_t size = std::fread(data, 1, sizeof data, file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || size >= sizeof data) return;  // too long for the buffer: missing
    std::memcpy(buffer, data, size);
    buffer[size] = '\0';
}

void WriteSetting(const char* section, const char* name, const char* text) {
    std::string folder;
    if (!SectionFolder(section, folder)) return;
    // Write aside and rename, so a reader never sees half a value.
    const std::string path = ValueFile(folder, name);
    const std::string temp = path + ".tmp";
    FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) return;
    const size_t length = std::strlen(text);
    const bool ok = std::fwrite(text, 1, length, file) == length;
    if (std::fclose(file) != 0 || !ok || std::rename(temp.c_str(), path.c_str()) != 0) std::remove(temp.c_str());
}
