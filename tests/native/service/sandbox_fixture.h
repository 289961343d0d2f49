// Runs the local fax service over HTTPS with a throw-away CA for the request
// tests, and reads back what it logged and stored.
#pragma once

#include "service/service_endpoint.h"

#include <string>
#include <vector>

struct LoggedRequest {
    std::string method;
    std::string path;
    std::string query;                 // raw, as sent
    std::vector<std::string> headers;  // "name: value", in the order received
    std::string parts;                 // multipart part names, comma-separated
    std::string status;
};

struct StoredPart {
    std::string name, filename, content_type, size, value;  // value as JSON text, "-" for files
    std::string bytes_hex;                                  // a text part's bytes as they came; "-" for files
};

class Sandbox {
public:
    // Makes (or reuses) the CA in ca_dir and starts the service; aborts the
    // test program when it does not come up.
    Sandbox(const std::string& work_dir, const std::string& ca_dir);
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    int port() const { return m_port; }
    std::string base() const { return "https://localhost:" + std::to_string(m_port); }
    const std::string& ca_pem() const { return m_ca_pem; }
    // An endpoint that trusts this sandbox's CA, with short limits.
    ServiceEndpoint Endpoint() const;

    // The next count requests get the fault ("none" clears).
    void SetFault(const std::string& mode, int count = 1);
    // Request bodies are read at no more than rate bytes per second (0: no limit).
    void SetThrottle(long rate);
    std::vector<LoggedRequest> Requests() const;
    LoggedRequest LastRequest() const;
    size_t RequestCount() const { return Requests().size(); }
    // The parts of the seq-th stored fax, and the outbox folder of it.
    std::vector<StoredPart> StoredFax(int seq) const;
    std::string OutboxFolder(int seq) const { return m_outbox + "/" + std::to_string(seq); }
    int StoredFaxCount() const;

private:
    // Posts body to a control path; aborts when the sandbox refuses it.
    void Control(const std::string& path, const std::string& body);

    int m_port = 0;
    int m_pid = -1;
    std::string m_ca_pem;
    std::string m_log;
    std::string m_outbox;
};

// The test program's scratch folder; KESTRID_SETTINGS_DIR points into it.
const std::string& ScratchDir();
// Empties the settings store.
void ClearSettings();
// The sandbox whose CA the endpoints trust, and an unrelated one.
Sandbox& TrustedSandbox();
Sandbox& UntrustedSandbox();

std::string ReadWholeFile(const std::string& path);
// Runs a command and returns its standard output.
std::string RunCommand(const std::string& command);
