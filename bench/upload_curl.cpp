// The reference upload: the same multipart POST (the same form fields, the
// file streamed by libcurl, the same CA) written directly against libcurl.
// usage: bench_upload_curl API_BASE CA_PEM_FILE KEY PDF RESULT_FILE
#include "bench_support.h"
#include "curl_once.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s API_BASE CA_PEM_FILE KEY PDF RESULT_FILE\n", argv[0]);
        return 2;
    }
    CurlRequest request;
    request.url = std::string(argv[1]) + "/v1/fax/send";
    request.key = argv[3];
    request.form = [pdf = argv[4]](curl_mime* mime) {
        auto text = [mime](const char* name, const char* value) {
            curl_mimepart* part = curl_mime_addpart(mime);
            curl_mime_name(part, name);
            curl_mime_data(part, value, CURL_ZERO_TERMINATED);
        };
        text("recipientFax", "+15551230001");
        text("recipientContacts", "");
        text("coverPage", "false");
        curl_mimepart* file = curl_mime_addpart(mime);
        curl_mime_name(file, "file");
        curl_mime_filedata(file, pdf);
        curl_mime_type(file, "application/pdf");
    };
    request.prepare = [ca = argv[2]](CURL* curl) { curl_easy_setopt(curl, CURLOPT_CAINFO, ca); };

    UploadFigures figures;
    figures.rss_before_kib = ResidentKiB();
    figures.peak_reset = ResetPeakResident();
    const double start = NowSeconds();
    const CurlAnswer answer = CurlOnce(request);
    figures.seconds = NowSeconds() - start;
    figures.peak_kib = PeakResidentKiB();
    figures.confirmed =
        answer.code == CURLE_OK && answer.status == 200 && answer.body.find("\"success\":true") != std::string::npos;
    if (!figures.confirmed)
        std::fprintf(stderr, "upload failed: %s, status %ld: %s\n", curl_easy_strerror(answer.code), answer.status,
                     answer.body.c_str());

    if (!WriteUploadFigures(argv[5], figures)) return 1;
    return figures.confirmed ? 0 : 1;
}
