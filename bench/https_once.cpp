// One HTTPS request as the program makes it: libcurl's global set-up, a
// fresh handle trusting only the given CA, a GET with the key's header, the
// answer into memory, the clean-up. Prints "request|<ms>|<HTTP status>|<bytes>"
// for each of the N requests (each timed on its own, in this one process).
// usage: https_once <url> <ca.pem> <key> [N]
// curl.h brings winsock2.h, which must come before windows.h.
#include <curl/curl.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

size_t Keep(char* data, size_t size, size_t count, void* answer) {
    static_cast<std::string*>(answer)->append(data, size * count);
    return size * count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: https_once <url> <ca.pem> <key> [N]\n");
        return 2;
    }
    std::ifstream file(argv[2], std::ios::binary);
    std::stringstream pem;
    pem << file.rdbuf();
    const std::string ca = pem.str();
    if (ca.empty()) {
        std::fprintf(stderr, "https_once: no CA in %s\n", argv[2]);
        return 2;
    }
    const int count = argc > 4 ? std::atoi(argv[4]) : 1;
    const std::string authorization = std::string("authorization: Driver ") + argv[3];
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    int result = 0;
    for (int i = 0; i < count; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        curl_global_init(CURL_GLOBAL_ALL);
        CURL* curl = curl_easy_init();
        if (!curl) return 1;
        std::string answer;
        curl_slist* headers = curl_slist_append(nullptr, "cache-control: no-cache");
        headers = curl_slist_append(headers, authorization.c_str());
        curl_blob blob{};
        blob.data = const_cast<char*>(ca.data());
        blob.len = ca.size();
        blob.flags = CURL_BLOB_COPY;
        curl_easy_setopt(curl, CURLOPT_URL, argv[1]);
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
        curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &blob);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Keep);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
        const CURLcode code = curl_easy_perform(curl);
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        curl_global_cleanup();
        QueryPerformanceCounter(&end);
        if (code != CURLE_OK) {
            std::printf("failed|%s\n", curl_easy_strerror(code));
            result = 1;
            continue;
        }
        std::printf(
            "request|%.1f|%ld|%zu\n",
            1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
            status, answer.size());
    }
    return result;
}
