// Where the fax service is and how far it is trusted. The program always uses
// the build's values; tests point it at a local service.
#pragma once

#include "framework/cstring.h"

#include <string>

struct ServiceEndpoint {
    // Scheme and host; request paths are appended directly.
    std::string api_base;
    // PEM of the only CAs to trust; empty means the system store.
    std::string ca_pem;
    // Limits so that no request can block the window forever.
    long connect_timeout_s = 30;
    long low_speed_limit_bytes = 1;  // below this many bytes per second ...
    long low_speed_time_s = 60;      // ... for this long, the transfer is given up
};

// The build's service: KESTRID_API_BASE and the compiled-in CA (if any).
const ServiceEndpoint& DefaultEndpoint();

// Caption of every box the requests show.
extern const char kServiceCaption[];

// Percent-encodes a query value as the service reads it: the ANSI text as
// UTF-8, every byte outside A-Z a-z 0-9 - . _ ~ as %XX (upper-case hex), so a
// value can neither break nor extend the query.
CString EncodeQueryValue(const CString& value);
