// Which type of value libcurl reads for a transfer option, told by the
// option's number. Options set through a template (the request pattern's
// checked options) hide the value's type from curl's own compile-time check,
// and a mismatch there (an int or a size_t where curl reads a long, a long
// where it reads a curl_off_t) is read wrongly, often by the 32-bit build only.
#pragma once

#include <curl/curl.h>

#include <type_traits>

template <typename Value>
bool FitsCurlOption(CURLoption option) {
    using Pointee = std::remove_pointer_t<Value>;
    const int number = static_cast<int>(option);
    if (number < CURLOPTTYPE_OBJECTPOINT) return std::is_same<Value, long>::value;
    if (number < CURLOPTTYPE_FUNCTIONPOINT) return std::is_pointer<Value>::value && !std::is_function<Pointee>::value;
    if (number < CURLOPTTYPE_OFF_T) return std::is_pointer<Value>::value && std::is_function<Pointee>::value;
    if (number < CURLOPTTYPE_BLOB) return std::is_same<Value, curl_off_t>::value;
    return std::is_same<Value, curl_blob*>::value;
}
