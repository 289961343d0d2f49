// Windows half of the Ghostscript stand-in for runs under Wine. Wine starts a
// Unix program from CreateProcess without giving the parent a process handle,
// so the program could not wait for a Unix script installed as gswin32c.exe.
// This real Windows console program can be waited for: it hands its own
// arguments to gs-standin.sh (installed beside it), waits for the exit-code
// file the script writes when gs ends, and exits with that code.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

typedef char*(CDECL* UnixNameFunction)(LPCWSTR);
typedef WCHAR*(CDECL* DosNameFunction)(LPCSTR);

const DWORD kPollMilliseconds = 50;
const DWORD kGiveUpMilliseconds = 10 * 60 * 1000;  // never hang a test run

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<WCHAR> buffer(length > 0 ? length : 1);
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data());
}

bool UnixName(const std::string& windows_path, std::string& unix_path) {
    const auto to_unix = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!to_unix) return false;
    char* name = to_unix(Wide(windows_path).c_str());
    if (!name) return false;
    unix_path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return true;
}

// The Windows name of /bin/sh (normally Z:\bin\sh).
std::string ShellProgram() {
    const auto to_dos = reinterpret_cast<DosNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (to_dos) {
        WCHAR* name = to_dos("/bin/sh");
        if (name) {
            char buffer[MAX_PATH] = "";
            WideCharToMultiByte(CP_ACP, 0, name, -1, buffer, sizeof(buffer), nullptr, nullptr);
            HeapFree(GetProcessHeap(), 0, name);
            if (buffer[0]) return buffer;
        }
    }
    return "Z:\\bin\\sh";
}

// Our own command line without the program name, as the caller wrote it.
std::string Arguments() {
    const char* line = GetCommandLineA();
    if (*line == '"') {
        ++line;
        while (*line && *line != '"') ++line;
        if (*line == '"') ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

}  // namespace

int main() {
    char self[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof(self));
    if (length >= sizeof(self)) length = sizeof(self) - 1;
    self[length] = '\0';
    std::string folder = self;
    folder = folder.substr(0, folder.rfind('\\') + 1);

    const std::string script = folder + "gs-standin.sh";
    std::string unix_script;
    if (GetFileAttributesA(script.c_str()) == INVALID_FILE_ATTRIBUTES || !UnixName(script, unix_script)) {
        std::fprintf(stderr, "gswin32c stand-in: needs Wine and %s\n", script.c_str());
        return 1;
    }

    char temp_folder[MAX_PATH] = "";
    char temp_file[MAX_PATH] = "";
    if (!GetTempPathA(sizeof(temp_folder), temp_folder) || !GetTempFileNameA(temp_folder, "gsd", 0, temp_file)) {
        std::fprintf(stderr, "gswin32c stand-in: no temporary file\n");
        return 1;
    }
    const std::string marker = std::string(temp_file) + ".rc";
    std::string unix_marker;
    if (!UnixName(marker, unix_marker)) {
        DeleteFileA(temp_file);
        return 1;
    }

    std::string command = "\"" + ShellProgram() + "\" \"" + unix_script + "\" \"" + unix_marker + "\" " + Arguments();
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "gswin32c stand-in: cannot start %s (error %lu)\n", unix_script.c_str(), GetLastError());
        DeleteFileA(temp_file);
        return 1;
    }
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);

    int code = 1;
    DWORD waited = 0;
    while (GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (waited >= kGiveUpMilliseconds) {
            std::fprintf(stderr, "gswin32c stand-in: gs did not finish\n");
            DeleteFileA(temp_file);
            return 1;
        }
        Sleep(kPollMilliseconds);
        waited += kPollMilliseconds;
    }
    if (FILE* file = std::fopen(marker.c_str(), "r")) {
        if (std::fscanf(file, "%d", &code) != 1) code = 1;
        std::fclose(file);
    }
    DeleteFileA(marker.c_str());
    DeleteFileA(temp_file);
    return code;
}
