#include "service/service_endpoint.h"

#include "build_config.h"
#include "service/text_at_wire.h"

const char kServiceCaption[] = "Vantrel";

const ServiceEndpoint& DefaultEndpoint() {
    static const ServiceEndpoint endpoint = [] {
        ServiceEndpoint e;
        e.api_base = KESTRID_API_BASE;
        e.ca_pem = kKestridCaPem;
        return e;
    }();
    return endpoint;
}

CString EncodeQueryValue(const CString& value) {
    static const char hex[] = "0123456789ABCDEF";
    const CString utf8 = AnsiToUtf8(value);
    std::string out;
    for (const char ch : utf8.str()) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return CString(out);
}
