#include "base/version_file.h"

#include <cstdio>
#include <vector>

CString ReadVersionFile(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return CString();
    std::vector<char> buffer(90000 + 1, '\0');
    const size_t got = std::fread(buffer.data(), 1, 90000, file);
    std::fclose(file);
    buffer[got] = '\0';
    return CString(buffer.data());
}

CString VersionLabel(const CString& program_folder) {
    return CString("Vantrel v") + ReadVersionFile(program_folder + "Version.txt");
}
