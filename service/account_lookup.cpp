#include "service/account_lookup.h"

#include "base/settings_store.h"
#include "service/http_exchange.h"
#include "service/response_scanning.h"
#include "service/text_at_wire.h"

#include <algorithm>
#include <vector>

namespace {

// The store carries at most kSettingsBufferSize - 1 bytes; longer text would
// read back as missing, so it is cut to what fits.
CString FitSetting(const CString& text) {
    return text.GetLength() < kSettingsBufferSize ? text : text.Left(kSettingsBufferSize - 1);
}

void Write(const char* name, const CString& text) {
    WriteSetting(kSettingsSection, name, FitSetting(text).GetString());
}

}  // namespace

std::vector<SettingPair> ReadAccountPairs(const CString& answer) {
    // Escaped quotes, commas and colons stay inside their names and values
    // until each is cut out and read.
    CString copy = ProtectEscapes(answer);
    copy.Remove("{");
    copy.Remove("}");
    copy.Remove("\"");
    CStringArray pieces;
    SplitText(copy, ",", pieces);
    std::vector<SettingPair> pairs;
    for (const CString& piece : pieces) {
        CStringArray parts;
        SplitText(piece, ":", parts);
        if (parts.GetSize() >= 2) pairs.push_back({DecodeAnswerText(parts[0]), DecodeAnswerText(parts[1])});
    }
    return pairs;
}

bool NamesAccount(const std::vector<SettingPair>& pairs) {
    CString user, account;
    for (const SettingPair& pair : pairs) {  // a later pair wins, as in the store
        if (pair.name == "userId") user = pair.value;
        if (pair.name == "accountId") account = pair.value;
    }
    auto named = [](const CString& id) { return !id.IsEmpty() && id != "null"; };
    return named(user) && named(account);
}

CString ReadDefaultCoverPageId(const CString& answer) {
    const int a = answer.Find("\"account\":{", 0);
    if (a == -1) return CString();
    const int f = answer.Find("\"faxDefaultCoverPage\":", a);
    if (f == -1) return CString();
    const int s = f + 22;
    // The value ends with its member: at the next comma, or at the brace that
    // closes the account object when it is the last member.
    const int comma = answer.Find(",", s);
    const int brace = answer.Find("}", s);
    const int end = comma == -1 ? brace : brace == -1 ? comma : std::min(comma, brace);
    if (end == -1) return CString();
    CString value = ProtectEscapes(answer.Mid(s, end - s));
    value.Remove("\"");
    return DecodeAnswerText(value);
}

int LookupAccount(const CString& key, bool silent, Notifier& notifier, const ServiceEndpoint& endpoint) {
    auto show = [&](const CString& text, unsigned icon) {
        if (!silent) notifier.Show(text, kServiceCaption, icon);
    };

    ExchangeRequest request;
    request.url = CString(endpoint.api_base.c_str()) + "/v1/me";
    request.headers = {"cache-control: no-cache", AuthorizationHeader(key)};

    // The stored account values change only once a key is accepted: a refused
    // key (an installer's bad key, a typing slip, a network failure) must not
    // leave the key already stored without its account.
    return RunExchange(endpoint, request, nullptr, [&](const ExchangeOutcome& outcome) {
        if (!outcome.transferred) {
            show(UploadFailedText(outcome.error_text), kIconHand);
            return kRequestFailed;
        }
        const CString& answer = outcome.answer;
        CString message;
        if (ReadServiceError(answer, message)) {
            show(message, kIconHand);
            return kRequestFailed;
        }
        // Only an answer the service marks as good, and that names the
        // account, verifies the key.
        if (outcome.http_status < 200 || outcome.http_status > 299 || !NamesAccount(ReadAccountPairs(answer))) {
            CString text;
            text.Format("Unable to verify key (HTTP %d)", static_cast<int>(outcome.http_status));
            show(text, kIconHand);
            return kRequestFailed;
        }
        // Values of an earlier account must not survive into this one.
        Write("userId", "");
        Write("accountId", "");
        Write("COVERPAGEID", "");
        for (const SettingPair& pair : ReadAccountPairs(answer)) {
            if (pair.name.GetLength() >= kSettingsBufferSize) continue;  // no reader could ask for it
            Write(pair.name.GetString(), pair.value);
        }
        Write("COVERPAGEID", ReadDefaultCoverPageId(answer));
        show("Success! Your driver setup is complete", kIconInformation);
        return 0;
    });
}
