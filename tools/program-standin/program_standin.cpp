// A stand-in for KestridUI.exe that only records how it was started: its
// whole command line (UTF-8) into started\<process id>.txt beside itself,
// written under another name first so a reader never sees half a record.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string out(size - 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::wstring folder = self;
    folder = folder.substr(0, folder.rfind(L'\\') + 1) + L"started\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring name = folder + std::to_wstring(GetCurrentProcessId());
    const std::string record = Utf8(GetCommandLineW());
    const HANDLE file = CreateFileW((name + L".part").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || !MoveFileExW((name + L".part").c_str(), (name + L".txt").c_str(), MOVEFILE_REPLACE_EXISTING)) return 1;
    return 0;
}
