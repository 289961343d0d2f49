// The reference upload: the same multipart POST (the same form fields, the
// file streamed by libcurl, the same CA) written directly against libcurl.
// usage: bench_upload_curl API_BASE CA_PEM_FILE KEY PDF RESULT_FILE
#include "bench_support.h"

#include <curl/curl.h>

#include <cstdio>
#include <string>

namespace {

size_t Collect(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s API_BASE CA_PEM_FILE KEY PDF RESULT_FILE\n", argv[0]);
        return 2;
    }
    const std::string url = std::string(argv[1]) + "/v1/fax/send";
    const std::string auth = std::string("authorization: Driver ") + argv[3];

    const long before = ResidentKiB();
    const bool reset = ResetPeakResident();
    const double start = NowSeconds();

    curl_global_init(CURL_GLOBAL_ALL);
    CURL* curl = curl_easy_init();
    curl_mime* mime = curl_mime_init(curl);
    auto text = [mime](const char* name, const char* value) {
        curl_mimepart* part = curl_mime_addpart(mime);
        curl_mime_name(part, name);
        curl_mime_data(part, value, CURL_ZERO_TERMINATED);
    };
    text("recipientFax", "+15551230001");
    text("recipientContacts", "");
    text("coverPage", "false");
    curl_mimepart* file = curl_mime_addpart(mime);
    curl_mime_name(file, "file");
    curl_mime_filedata(file, argv[4]);
    curl_mime_type(file, "application/pdf");

    curl_slist* headers = curl_slist_append(nullptr, auth.c_str());
    std::string answer;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);
    curl_easy_setopt(curl, CURLOPT_CAINFO, argv[2]);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    curl_mime_free(mime);
    curl_slist_free_all(headers);
    curl_global_cleanup();

    const double seconds = NowSeconds() - start;
    const long peak = PeakResidentKiB();
    const bool confirmed = code == CURLE_OK && status == 200 && answer.find("\"success\":true") != std::string::npos;
    if (!confirmed)
        std::fprintf(stderr, "upload failed: %s, status %ld: %s\n", curl_easy_strerror(code), status, answer.c_str());

    FILE* out = std::fopen(argv[5], "w");
    if (!out) return 1;
    std::fprintf(out,
                 "{\"seconds\": %.4f, \"rss_before_kib\": %ld, \"peak_kib\": %ld, \"peak_reset\": %s, "
                 "\"confirmed\": %s}\n",
                 seconds, before, peak, reset ? "true" : "false", confirmed ? "true" : "false");
    std::fclose(out);
    return confirmed ? 0 : 1;
}
