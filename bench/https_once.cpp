// One HTTPS request as the program makes it: libcurl's global set-up, a
// fresh handle trusting only the given CA, a GET with the key's header, the
// answer into memory, the clean-up. Prints "request|<ms>|<HTTP status>|<bytes>"
// for each of the N requests (each timed on its own, in this one process).
// usage: https_once <url> <ca.pem> <key> [N]
#include "curl_once.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

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
    CurlRequest request;
    request.url = argv[1];
    request.key = argv[3];
    request.headers = {"cache-control: no-cache"};
    // The CA from memory, as the program holds it.
    request.prepare = [&ca](CURL* curl) {
        curl_blob blob{};
        blob.data = const_cast<char*>(ca.data());
        blob.len = ca.size();
        blob.flags = CURL_BLOB_COPY;
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
        curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &blob);
    };
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    int result = 0;
    for (int i = 0; i < count; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const CurlAnswer answer = CurlOnce(request);
        QueryPerformanceCounter(&end);
        if (answer.code != CURLE_OK) {
            std::printf("failed|%s\n", curl_easy_strerror(answer.code));
            result = 1;
            continue;
        }
        std::printf(
            "request|%.1f|%ld|%zu\n",
            1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
            answer.status, answer.body.size());
    }
    return result;
}
