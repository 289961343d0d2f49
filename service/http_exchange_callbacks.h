// The libcurl callbacks of the request pattern, visible for tests.
#pragma once

#include <curl/curl.h>

#include <cstddef>

// Response buffer: a heap block kept zero-terminated after the last byte.
struct ResponseBuffer {
    char* memory;
    size_t size;
};

// Progress record of a submission.
class UploadWatch;
struct ProgressRecord {
    double last_time;
    CURL* curl;
    UploadWatch* watch = nullptr;  // may stop the upload
};

// Appends the received bytes to the ResponseBuffer in user.
size_t CollectResponse(void* data, size_t size, size_t count, void* user);

// Prints the time and byte counts; aborts once the answer reaches the cap.
int TransferProgress(void* record, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow);

// A transfer nobody waits for any more: non-zero (stop) once the flag in
// record, a const std::atomic<bool>, is set. Prints nothing.
int AbandonedProgress(void* record, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow);

// The older libcurl form of the same callback: truncates and forwards.
int TransferProgressOld(void* record, double dltotal, double dlnow, double ultotal, double ulnow);

// Asked before each option of a transfer is set; a code other than CURLE_OK
// refuses that option as libcurl itself would have. Lets tests prove that a
// transfer with a refused option is never performed. Null (the default) asks
// nothing.
using OptionGate = CURLcode (*)(CURLoption option);
void SetOptionGate(OptionGate gate);
