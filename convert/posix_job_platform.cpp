#include "convert/posix_job_platform.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;  // NOLINT(readability-redundant-declaration): POSIX does not promise it in <unistd.h>

std::string NativePath(const CString& path) {
    std::string native = path.str();
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

std::vector<std::string> SplitCommandLine(const CString& command_line) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    bool quoted = false;
    for (const char c : command_line.str()) {
        if (c == '"') {
            quoted = !quoted;
            in_word = true;  // "" is an empty argument
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) words.push_back(word);
    return words;
}

CString PosixJobPlatform::ModulePath() {
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return CString();
    std::string path(buffer.data(), static_cast<size_t>(length));
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return CString(path);
}

RunResult PosixJobPlatform::RunAndWait(const CString& command_line) {
    RunResult result;
    std::vector<std::string> words = SplitCommandLine(command_line);
    if (words.empty()) return result;
    for (std::string& word : words) {
        for (char& c : word) {
            if (c == '\\') c = '/';
        }
    }
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // glibc's posix_spawn reports a failed exec as its own result, which is
    // what a failed CreateProcessA means here.
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return result;
    result.started = true;

    int status = 0;
    pid_t waited = 0;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited == pid) {
        result.exit_code_known = true;
        if (WIFEXITED(status)) {
            result.exit_code = static_cast<unsigned long>(WEXITSTATUS(status));
        } else {
            result.exit_code = 128 + static_cast<unsigned long>(WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        }
    }
    return result;
}

bool PosixJobPlatform::CopyOver(const CString& from, const CString& to) {
    const int source = open(NativePath(from).c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return false;
    struct stat info {};
    if (fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(source);
        return false;
    }
    const int target = open(NativePath(to).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (target < 0) {
        close(source);
        return false;
    }
    bool ok = true;
    std::vector<char> buffer(65536);
    for (;;) {
        const ssize_t got = read(source, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0) break;
        ssize_t done = 0;
        while (done < got) {
            const ssize_t put = write(target, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                ok = false;
                break;
            }
            done += put;
        }
        if (!ok) break;
    }
    close(source);
    if (close(target) != 0) ok = false;
    return ok;
}

bool PosixJobPlatform::Remove(const CString& path) {
    if (path.IsEmpty()) return false;
    return unlink(NativePath(path).c_str()) == 0;
}

bool PosixJobPlatform::Exists(const CString& path) {
    if (path.IsEmpty()) return false;
    return access(NativePath(path).c_str(), F_OK) == 0;
}

long long PosixJobPlatform::SizeOf(const CString& path) {
    struct stat info {};
    if (path.IsEmpty() || stat(NativePath(path).c_str(), &info) != 0) return -1;
    return static_cast<long long>(info.st_size);
}

bool PosixJobPlatform::MakeFolder(const CString& path) { return mkdir(NativePath(path).c_str(), 0777) == 0; }

ClaimResult PosixJobPlatform::ClaimNew(const CString& path) {
    const int fd = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? ClaimResult::Taken : ClaimResult::Failed;
    close(fd);
    return ClaimResult::Claimed;
}

LocalTime PosixJobPlatform::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    LocalTime time;
    time.year = parts.tm_year + 1900;
    time.month = parts.tm_mon + 1;
    time.day = parts.tm_mday;
    time.hour = parts.tm_hour;
    time.minute = parts.tm_min;
    time.second = parts.tm_sec;
    return time;
}
