#include "sandbox_fixture.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

const std::string kSandboxScript = std::string(KESTRID_SOURCE_DIR) + "/tools/fax-sandbox/sandbox.py";
const std::string kMakeCa = std::string(KESTRID_SOURCE_DIR) + "/tools/fax-sandbox/make-ca.sh";
const std::string kView = std::string(KESTRID_SOURCE_DIR) + "/tests/native/service/sandbox_view.py";

[[noreturn]] void Fatal(const std::string& what) {
    std::fprintf(stderr, "sandbox fixture: %s\n", what.c_str());
    std::abort();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::unique_ptr<Sandbox> g_trusted;
std::unique_ptr<Sandbox> g_untrusted;

class ScratchEnvironment : public testing::Environment {
public:
    void TearDown() override {
        g_trusted.reset();
        g_untrusted.reset();
        std::error_code ignored;
        fs::remove_all(ScratchDir(), ignored);
    }
};
[[maybe_unused]] testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ScratchEnvironment);

}  // namespace

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) Fatal("cannot run " + command);
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
    if (pclose(pipe) != 0) Fatal("failed: " + command);
    return output;
}

const std::string& ScratchDir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/kestrid-service-XXXXXX";
        if (!mkdtemp(pattern)) Fatal("no scratch folder");
        const std::string settings = std::string(pattern) + "/settings";
        fs::create_directories(settings);
        setenv("KESTRID_SETTINGS_DIR", settings.c_str(), 1);
        return std::string(pattern);
    }();
    return dir;
}

void ClearSettings() {
    const std::string settings = ScratchDir() + "/settings";
    std::error_code ignored;
    fs::remove_all(settings, ignored);
    fs::create_directories(settings);
}

Sandbox& TrustedSandbox() {
    if (!g_trusted) g_trusted = std::make_unique<Sandbox>(ScratchDir() + "/trusted", ScratchDir() + "/ca-trusted");
    return *g_trusted;
}

Sandbox& UntrustedSandbox() {
    if (!g_untrusted) g_untrusted = std::make_unique<Sandbox>(ScratchDir() + "/untrusted", ScratchDir() + "/ca-other");
    return *g_untrusted;
}

Sandbox::Sandbox(const std::string& work_dir, const std::string& ca_dir) {
    fs::create_directories(work_dir);
    RunCommand("'" + kMakeCa + "' '" + ca_dir + "' 2>&1");
    m_ca_pem = ReadWholeFile(ca_dir + "/ca.pem");
    m_log = work_dir + "/requests.jsonl";
    m_outbox = work_dir + "/outbox";
    const std::string ready = work_dir + "/port";
    fs::remove(ready);

    const pid_t pid = fork();
    if (pid < 0) Fatal("fork failed");
    if (pid == 0) {
        if (FILE* null = std::fopen("/dev/null", "w")) dup2(fileno(null), 1);
        execlp("python3", "python3", kSandboxScript.c_str(), "--port", "0", "--tls", ca_dir.c_str(), "--log",
               m_log.c_str(), "--outbox", m_outbox.c_str(), "--ready-file", ready.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    m_pid = pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            m_pid = -1;
            Fatal("the sandbox ended at start-up");
        }
        const std::string text = ReadWholeFile(ready);
        if (!text.empty()) {
            m_port = std::atoi(text.c_str());
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Fatal("the sandbox did not come up");
}

Sandbox::~Sandbox() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
}

ServiceEndpoint Sandbox::Endpoint() const {
    ServiceEndpoint endpoint;
    endpoint.api_base = base();
    endpoint.ca_pem = TrustedSandbox().ca_pem();
    endpoint.connect_timeout_s = 10;
    endpoint.low_speed_limit_bytes = 1;
    endpoint.low_speed_time_s = 10;
    return endpoint;
}

void Sandbox::SetThrottle(long rate) { Control("/_sandbox/throttle", "{\"rate\":" + std::to_string(rate) + "}"); }

void Sandbox::SetFault(const std::string& mode, int count) {
    Control("/_sandbox/fault", "{\"mode\":\"" + mode + "\",\"count\":" + std::to_string(count) + "}");
}

void Sandbox::Control(const std::string& path, const std::string& body) {
    CURL* curl = curl_easy_init();
    if (!curl) Fatal("no curl handle");
    curl_blob blob{const_cast<char*>(m_ca_pem.data()), m_ca_pem.size(), CURL_BLOB_COPY};
    curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &blob);
    const std::string url = base() + path;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char*, size_t size, size_t count, void*) { return size * count; });
    long status = 0;
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (code != CURLE_OK || status != 200) Fatal("cannot post " + body + " to " + path);
}

std::vector<LoggedRequest> Sandbox::Requests() const {
    std::vector<LoggedRequest> requests;
    if (!fs::exists(m_log)) return requests;
    LoggedRequest current;
    for (const std::string& line : Lines(RunCommand("python3 '" + kView + "' log '" + m_log + "'"))) {
        if (line.rfind("R ", 0) == 0) {
            std::istringstream in(line.substr(2));
            in >> current.method >> current.path;
            std::getline(in >> std::ws, current.query);
        } else if (line.rfind("H ", 0) == 0) {
            current.headers.push_back(line.substr(2));
        } else if (line.rfind("P ", 0) == 0) {
            current.parts = line.substr(2);
        } else if (line.rfind("S ", 0) == 0) {
            current.status = line.substr(2);
        } else if (line == ".") {
            // Control requests of the tests themselves are not the client's.
            if (current.path.rfind("/_sandbox/", 0) != 0) requests.push_back(current);
            current = LoggedRequest{};
        }
    }
    return requests;
}

LoggedRequest Sandbox::LastRequest() const {
    const std::vector<LoggedRequest> requests = Requests();
    if (requests.empty()) return LoggedRequest{};
    return requests.back();
}

std::vector<StoredPart> Sandbox::StoredFax(int seq) const {
    std::vector<StoredPart> parts;
    for (const std::string& line : Lines(RunCommand("python3 '" + kView + "' outbox '" + OutboxFolder(seq) + "'"))) {
        StoredPart part;
        std::istringstream in(line);
        std::getline(in, part.name, '\t');
        std::getline(in, part.filename, '\t');
        std::getline(in, part.content_type, '\t');
        std::getline(in, part.size, '\t');
        std::getline(in, part.value, '\t');
        std::getline(in, part.bytes_hex);
        parts.push_back(part);
    }
    return parts;
}

int Sandbox::StoredFaxCount() const {
    int count = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(m_outbox, ec)) {
        if (entry.is_directory() &&
            entry.path().filename().string().find_first_not_of("0123456789") == std::string::npos)
            ++count;
    }
    return count;
}
