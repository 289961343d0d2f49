// curl_formadd and CURLOPT_HTTPPOST are the form interface this client uses;
// libcurl marks them deprecated.
#define CURL_DISABLE_DEPRECATION 1

#include "service/http_exchange.h"

#include "service/curl_option_fit.h"
#include "service/http_exchange_callbacks.h"
#include "service/text_at_wire.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

size_t CollectResponse(void* data, size_t size, size_t count, void* user) {
    const size_t n = size * count;
    ResponseBuffer* buffer = static_cast<ResponseBuffer*>(user);
    char* grown = static_cast<char*>(std::realloc(buffer->memory, buffer->size + n + 1));
    if (!grown) {
        std::printf("not enough memory (realloc returned NULL)\n");
        return 0;
    }
    buffer->memory = grown;
    std::memcpy(buffer->memory + buffer->size, data, n);
    buffer->size += n;
    buffer->memory[buffer->size] = '\0';
    return n;
}

int TransferProgress(void* record, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow) {
    ProgressRecord* progress = static_cast<ProgressRecord*>(record);
    double now = 0.0;
    if (progress->curl) curl_easy_getinfo(progress->curl, CURLINFO_TOTAL_TIME, &now);
    if (now - progress->last_time >= 3.0) {
        progress->last_time = now;
        std::fprintf(stderr, "TOTAL TIME: %f \r\n", now);
    }
    std::fprintf(stderr, "UP: %" PRId64 " of %" PRId64 "  DOWN: %" PRId64 " of %" PRId64 "\r\n",
                 static_cast<int64_t>(ulnow), static_cast<int64_t>(ultotal), static_cast<int64_t>(dlnow),
                 static_cast<int64_t>(dltotal));
    if (dlnow >= kSubmissionAnswerCap) return 1;
    if (progress->watch && !progress->watch->KeepGoing(ulnow, ultotal)) return 1;
    return 0;
}

int AbandonedProgress(void* record, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(record)->load() ? 1 : 0;
}

int TransferProgressOld(void* record, double dltotal, double dlnow, double ultotal, double ulnow) {
    return TransferProgress(record, static_cast<curl_off_t>(dltotal), static_cast<curl_off_t>(dlnow),
                            static_cast<curl_off_t>(ultotal), static_cast<curl_off_t>(ulnow));
}

CString UploadFailedText(const CString& error_text) {
    CString text;
    text.Format("Upload Failed : %s", error_text.GetString());
    return text;
}

CString AuthorizationHeader(const CString& key) { return CString("authorization: Driver ") + key; }

const char kUnsafeHeaderText[] = "The key holds a control character and was not sent";

bool IsHeaderSafe(const CString& text) {
    for (const char c : text.str())
        if (static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

namespace {

OptionGate g_option_gate = nullptr;

// Sets the options of one transfer and keeps the first one libcurl refuses:
// a transfer without all of them must not go out, least of all one that would
// then trust the system store, wait for ever or lose its answer.
class CheckedOptions {
public:
    explicit CheckedOptions(CURL* curl) : m_curl(curl) {}

    template <typename Value>
    void Set(CURLoption option, Value value) {
        Note(option, Apply(option, value));
    }

    // Empties a CA location. A TLS back end without such a location (Schannel
    // has no CA folder) answers "not built in": nothing there to fall back on.
    void Clear(CURLoption option) {
        const CURLcode code = Apply(option, static_cast<char*>(nullptr));
        Note(option, code == CURLE_NOT_BUILT_IN ? CURLE_OK : code);
    }

    CURLcode refusal() const { return m_refusal; }

private:
    template <typename Value>
    CURLcode Apply(CURLoption option, Value value) {
        if (m_refusal != CURLE_OK) return CURLE_OK;
        // curl cannot check the type here: a value it would misread is refused.
        if (!FitsCurlOption<Value>(option)) return CURLE_BAD_FUNCTION_ARGUMENT;
        const CURLcode gate = g_option_gate ? g_option_gate(option) : CURLE_OK;
        return gate != CURLE_OK ? gate : curl_easy_setopt(m_curl, option, value);
    }

    void Note(CURLoption option, CURLcode code) {
        if (code == CURLE_OK || m_refusal != CURLE_OK) return;
        m_refusal = code;
        std::fprintf(stderr, "curl_easy_setopt(%d) failed: %s\n", static_cast<int>(option), curl_easy_strerror(code));
    }

    CURL* m_curl;
    CURLcode m_refusal = CURLE_OK;
};

// Certificates are always verified; a configured CA is the only one trusted.
void SetTransportOptions(CheckedOptions& options, const ServiceEndpoint& endpoint) {
    options.Set(CURLOPT_SSL_VERIFYPEER, 1L);
    options.Set(CURLOPT_SSL_VERIFYHOST, 2L);
    if (!endpoint.ca_pem.empty()) {
        options.Clear(CURLOPT_CAINFO);
        options.Clear(CURLOPT_CAPATH);
        curl_blob blob{};
        blob.data = const_cast<char*>(endpoint.ca_pem.data());
        blob.len = endpoint.ca_pem.size();
        blob.flags = CURL_BLOB_COPY;
        options.Set(CURLOPT_CAINFO_BLOB, &blob);
    }
    options.Set(CURLOPT_CONNECTTIMEOUT, endpoint.connect_timeout_s);
    options.Set(CURLOPT_LOW_SPEED_LIMIT, endpoint.low_speed_limit_bytes);
    options.Set(CURLOPT_LOW_SPEED_TIME, endpoint.low_speed_time_s);
}

// Returns false when a part cannot be added (out of memory).
bool BuildForm(const std::vector<FormPart>& parts, curl_httppost** first, curl_httppost** last) {
    for (const FormPart& part : parts) {
        CURLFORMcode code;
        if (!part.is_file) {
            // The service reads form text as UTF-8.
            const CString text = AnsiToUtf8(part.contents);
            code = curl_formadd(first, last, CURLFORM_COPYNAME, part.name.GetString(), CURLFORM_COPYCONTENTS,
                                text.GetString(), CURLFORM_END);
        } else if (!part.content_type.IsEmpty()) {
            code = curl_formadd(first, last, CURLFORM_COPYNAME, part.name.GetString(), CURLFORM_FILE,
                                part.contents.GetString(), CURLFORM_CONTENTTYPE, part.content_type.GetString(),
                                CURLFORM_END);
        } else {
            code = curl_formadd(first, last, CURLFORM_COPYNAME, part.name.GetString(), CURLFORM_FILE,
                                part.contents.GetString(), CURLFORM_END);
        }
        if (code != CURL_FORMADD_OK) return false;
    }
    return true;
}

}  // namespace

void SetOptionGate(OptionGate gate) { g_option_gate = gate; }

int RunExchange(const ServiceEndpoint& endpoint, const ExchangeRequest& request,
                const std::function<void()>& after_perform,
                const std::function<int(const ExchangeOutcome&)>& read_outcome) {
    ResponseBuffer chunk{static_cast<char*>(std::malloc(1)), 0};

    curl_slist* headers = nullptr;
    bool headers_ok = true;
    bool headers_safe = true;
    for (const CString& header : request.headers) {
        headers_safe = headers_safe && IsHeaderSafe(header);
        curl_slist* grown = curl_slist_append(headers, header.GetString());
        if (grown) headers = grown;
        else headers_ok = false;
    }

    curl_global_init(CURL_GLOBAL_ALL);
    curl_httppost* form_first = nullptr;
    curl_httppost* form_last = nullptr;
    bool form_ok = true;
    if (request.multipart) form_ok = BuildForm(request.form, &form_first, &form_last);

    int result = kNoTransferHandle;
    CURL* curl = curl_easy_init();
    if (curl) {
        ProgressRecord progress{0.0, curl, request.upload_watch};
        CheckedOptions options(curl);
        if (request.multipart) {
            options.Set(CURLOPT_PROGRESSFUNCTION, &TransferProgressOld);
            options.Set(CURLOPT_PROGRESSDATA, &progress);
            options.Set(CURLOPT_XFERINFOFUNCTION, &TransferProgress);
            options.Set(CURLOPT_XFERINFODATA, &progress);
            options.Set(CURLOPT_NOPROGRESS, 0L);
        } else if (request.abandoned) {
            options.Set(CURLOPT_XFERINFOFUNCTION, &AbandonedProgress);
            options.Set(CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(request.abandoned));
            options.Set(CURLOPT_NOPROGRESS, 0L);
        }
        SetTransportOptions(options, endpoint);
        options.Set(CURLOPT_WRITEFUNCTION, &CollectResponse);
        options.Set(CURLOPT_WRITEDATA, &chunk);
        options.Set(CURLOPT_URL, request.url.GetString());
        options.Set(CURLOPT_HTTPHEADER, headers);
        if (request.multipart) options.Set(CURLOPT_HTTPPOST, form_first);

        // A request missing a header, a form part or an option must not go out
        // as if whole, and a header that could split into more must not go out
        // at all.
        CURLcode code = CURLE_BAD_FUNCTION_ARGUMENT;
        if (headers_safe) code = headers_ok && form_ok && chunk.memory ? options.refusal() : CURLE_OUT_OF_MEMORY;
        if (headers_safe && code == CURLE_OK) code = curl_easy_perform(curl);
        if (after_perform) after_perform();

        ExchangeOutcome outcome;
        outcome.curl_code = static_cast<int>(code);
        if (code != CURLE_OK) {
            outcome.error_text = headers_safe ? curl_easy_strerror(code) : kUnsafeHeaderText;
            std::fprintf(stderr, "curl_easy_perform() failed: %s\n", outcome.error_text.GetString());
        } else {
            outcome.transferred = true;
            outcome.answer = chunk.size > 0 ? CString(chunk.memory) : CString();
            curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &outcome.http_status);
            std::printf("%s\n", outcome.answer.GetString());
        }
        result = read_outcome(outcome);
    }

    if (curl) curl_easy_cleanup(curl);
    std::free(chunk.memory);
    if (form_first) curl_formfree(form_first);
    curl_slist_free_all(headers);
    curl_global_cleanup();
    return result;
}
