#include "curl_once.h"

namespace {

size_t Keep(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

}  // namespace

CurlAnswer CurlOnce(const CurlRequest& request) {
    CurlAnswer answer;
    curl_global_init(CURL_GLOBAL_ALL);
    CURL* curl = curl_easy_init();
    if (!curl) {
        curl_global_cleanup();
        answer.code = CURLE_FAILED_INIT;
        return answer;
    }
    curl_slist* headers = nullptr;
    for (const std::string& header : request.headers) headers = curl_slist_append(headers, header.c_str());
    const std::string authorization = "authorization: Driver " + request.key;
    headers = curl_slist_append(headers, authorization.c_str());
    curl_mime* mime = nullptr;
    if (request.form) {
        mime = curl_mime_init(curl);
        request.form(mime);
        curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);
    }
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Keep);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
    if (request.prepare) request.prepare(curl);
    answer.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    curl_easy_cleanup(curl);
    curl_mime_free(mime);
    curl_slist_free_all(headers);
    curl_global_cleanup();
    return answer;
}
