// The value types libcurl reads for each kind of transfer option, as the
// request pattern's checked options test them before anything is set.
#include "service/curl_option_fit.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

// Only its type is asked for.
using WriteCallback = size_t (*)(char*, size_t, size_t, void*);

struct Fit {
    const char* what;
    bool fits;
    bool expected;
};

TEST(CurlOptionFit, EachKindOfOptionTakesItsOwnTypeOnly) {
    const Fit cases[] = {
        {"long for a number", FitsCurlOption<long>(CURLOPT_CONNECTTIMEOUT), true},
        {"int for a number", FitsCurlOption<int>(CURLOPT_CONNECTTIMEOUT), false},
        {"size_t for a number", FitsCurlOption<size_t>(CURLOPT_LOW_SPEED_LIMIT), false},
        {"long long for a number", FitsCurlOption<long long>(CURLOPT_SSL_VERIFYPEER), false},
        {"pointer for a number", FitsCurlOption<const char*>(CURLOPT_NOPROGRESS), false},
        {"curl_off_t for a large number", FitsCurlOption<curl_off_t>(CURLOPT_POSTFIELDSIZE_LARGE), true},
        {"int for a large number", FitsCurlOption<int>(CURLOPT_POSTFIELDSIZE_LARGE), false},
        {"double for a large number", FitsCurlOption<double>(CURLOPT_MAX_SEND_SPEED_LARGE), false},
        {"text for a text", FitsCurlOption<const char*>(CURLOPT_URL), true},
        {"typed null for a text", FitsCurlOption<char*>(CURLOPT_CAINFO), true},
        {"list for a list", FitsCurlOption<curl_slist*>(CURLOPT_HTTPHEADER), true},
        {"number for a text", FitsCurlOption<long>(CURLOPT_URL), false},
        {"function for a data pointer", FitsCurlOption<WriteCallback>(CURLOPT_WRITEDATA), false},
        {"function for a callback", FitsCurlOption<WriteCallback>(CURLOPT_WRITEFUNCTION), true},
        {"data pointer for a callback", FitsCurlOption<void*>(CURLOPT_WRITEFUNCTION), false},
        {"blob for a blob", FitsCurlOption<curl_blob*>(CURLOPT_CAINFO_BLOB), true},
        {"text for a blob", FitsCurlOption<const char*>(CURLOPT_CAINFO_BLOB), false},
    };
    for (const Fit& c : cases) EXPECT_EQ(c.fits, c.expected) << c.what;
}

}  // namespace
