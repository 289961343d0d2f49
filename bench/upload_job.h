// The upload both of our upload benchmarks make: one typed number, the PDF
// and key from the command line, and the service from it too.
// usage of both: <program> API_BASE CA_PEM_FILE KEY PDF RESULT_FILE
#pragma once

#include "bench_support.h"
#include "service/fax_submission.h"

#include <cstdio>

struct UploadJob {
    ServiceEndpoint endpoint;
    FaxSubmission fax;
    const char* result_file = nullptr;
};

// False (after the usage line) when the arguments are not the five expected.
inline bool ReadUploadJob(int argc, char** argv, UploadJob* job) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s API_BASE CA_PEM_FILE KEY PDF RESULT_FILE\n", argv[0]);
        return false;
    }
    job->endpoint.api_base = argv[1];
    job->endpoint.ca_pem = ReadWholeFile(argv[2]);
    job->fax.key = argv[3];
    job->fax.print_file = argv[4];
    job->fax.numbers.Add("5551230001");
    job->fax.contact_ids.Add("");
    job->fax.prefixes.Add("1");
    job->result_file = argv[5];
    return true;
}
