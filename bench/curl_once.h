// One request made with libcurl alone, as a program that makes just that one
// makes it: libcurl's global set-up, a fresh handle, the key's authorization
// header, the answer into memory, then every clean-up. The reference the
// program's own transfers are measured against, natively and under Wine.
#pragma once

// curl.h brings winsock2.h, which must come before windows.h.
#include <curl/curl.h>

#include <functional>
#include <string>
#include <vector>

struct CurlRequest {
    std::string url;
    std::string key;
    // Sent before the authorization header.
    std::vector<std::string> headers;
    // Sets what this request adds on the handle, such as the CA to trust.
    std::function<void(CURL*)> prepare;
    // When set: the request is a multipart POST of the form it fills.
    std::function<void(curl_mime*)> form;
};

struct CurlAnswer {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
};

CurlAnswer CurlOnce(const CurlRequest& request);
