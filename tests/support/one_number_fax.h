// The fax most service tests send: one typed number and no contact, with the
// key the fax sandbox accepts.
#pragma once

#include "service/fax_submission.h"

#include <string>

namespace kestrid_test {

inline FaxSubmission OneNumberFax(const std::string& pdf) {
    FaxSubmission fax;
    fax.key = "test-key-123";
    fax.print_file = pdf.c_str();
    fax.numbers.Add("(555)-123-4567");
    fax.contact_ids.Add("");
    fax.prefixes.Add("1");
    return fax;
}

}  // namespace kestrid_test
