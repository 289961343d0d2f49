// The local fax service a Windows test program was started with
// (run_with_sandbox.sh), as the service code addresses it.
#pragma once

#include "service/service_endpoint.h"
#include "tests/support/test_env.h"

#include <string>

namespace kestrid_test {

inline ServiceEndpoint SandboxEndpoint() {
    ServiceEndpoint endpoint;
    endpoint.api_base = Env("KESTRID_TEST_API_BASE");
    endpoint.ca_pem = ReadWholeFile(Env("KESTRID_TEST_CA_FILE"));
    return endpoint;
}

// False when the program was not started through the script: no address or no CA.
inline bool NamesASandbox(const ServiceEndpoint& endpoint) {
    return !endpoint.api_base.empty() && endpoint.ca_pem.find("BEGIN CERTIFICATE") != std::string::npos;
}

}  // namespace kestrid_test
