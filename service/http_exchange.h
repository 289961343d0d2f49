// The one pattern every request to the fax service follows: global libcurl
// set-up around the request, a fresh handle, the response buffer, the options
// in a fixed order, one synchronous transfer, the diagnostic lines, and the
// clean-up in a fixed order.
#pragma once

#include "framework/cstring.h"
#include "service/service_endpoint.h"

#include <atomic>
#include <functional>
#include <vector>

// One part of a multipart form: copied text, or a file that libcurl reads
// during the transfer (named after its base name).
struct FormPart {
    CString name;
    CString contents;  // the text (ANSI; sent as UTF-8), or the file's path when is_file
    bool is_file = false;
    CString content_type;  // only for files; empty for none
};

// Looks at an upload as it goes, on the transfer's own thread; false stops
// the transfer (it then fails as aborted by the callback).
class UploadWatch {
public:
    virtual ~UploadWatch() = default;
    virtual bool KeepGoing(long long sent, long long total) = 0;
};

struct ExchangeRequest {
    CString url;
    std::vector<CString> headers;  // in the order they are sent
    // A POST with this form and the progress callbacks when set.
    bool multipart = false;
    std::vector<FormPart> form;
    // Asked on every progress call of a multipart request, when set.
    UploadWatch* upload_watch = nullptr;
    // When set, the transfer stops (failing as aborted by the callback) soon
    // after it turns true: nobody waits for its answer any more.
    const std::atomic<bool>* abandoned = nullptr;
};

struct ExchangeOutcome {
    bool transferred = false;  // false: a transport failure
    int curl_code = 0;
    CString error_text;  // libcurl's text for curl_code
    CString answer;      // up to the first zero byte; empty when nothing came
    long http_status = 0;
};

// Result codes shared by the requests.
constexpr int kNoTransferHandle = -2;
constexpr int kRequestFailed = -1;

// Runs the request. Without a transfer handle it returns kNoTransferHandle and
// calls nothing. Otherwise after_perform (when set) runs right after the
// transfer, whatever its outcome, then read_outcome judges it; its result is
// returned once everything is cleaned up. A transport failure has already
// been written to stderr when read_outcome sees it. An option that libcurl
// refuses is a transport failure with the refusal's code: the transfer is
// not performed.
int RunExchange(const ServiceEndpoint& endpoint, const ExchangeRequest& request,
                const std::function<void()>& after_perform,
                const std::function<int(const ExchangeOutcome&)>& read_outcome);

// The box of a transport failure: "Upload Failed : " and libcurl's text.
CString UploadFailedText(const CString& error_text);

// The header that carries the application key in every request.
CString AuthorizationHeader(const CString& key);

// False when the text holds a control character (any byte below 0x20): in a
// header it would end the line early or add a header of its own. A request
// with such a header is not sent; it fails with kUnsafeHeaderText.
bool IsHeaderSafe(const CString& text);
extern const char kUnsafeHeaderText[];

// The largest answer a submission may bring; the transfer stops at this.
constexpr long long kSubmissionAnswerCap = 600001;
