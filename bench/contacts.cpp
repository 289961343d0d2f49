// Reading a contacts answer of 300, 3000 and 30000 contacts: the program's
// reader against nlohmann-json parsing the same body into the same records.
// Prints one JSON line per size: best-of-N CPU milliseconds for each.
#include "bench_support.h"
#include "service/contact_listing.h"
#include "service/contact_record.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// An answer in the service's shape: every tenth contact an organisation with
// two members, the member array last in each contact.
std::string MakeAnswer(int count) {
    std::string body = "{\"count\":" + std::to_string(count) + ",\"rows\":[";
    char buffer[512];
    for (int i = 0; i < count; ++i) {
        const bool org = i % 10 == 9;
        std::snprintf(buffer, sizeof buffer,
                      "%s{\"uuid\":\"c%08d-5a1e-4c2d-9b3f-7e6d%08d\",\"name\":\"%s%05d\",\"lastName\":%s,"
                      "\"faxNumber\":\"+1555%07d\",\"isOrganization\":%s,\"email\":\"contact%d@example.com\","
                      "\"contacts\":[",
                      i ? "," : "", i, i, org ? "Office " : "Name", i, org ? "null" : "\"Last\"", i,
                      org ? "true" : "false", i);
        body += buffer;
        if (org) {
            for (int m = 0; m < 2; ++m) {
                std::snprintf(buffer, sizeof buffer,
                              "%s{\"uuid\":\"m%08d-%d\",\"name\":\"Member %d of %d\",\"faxNumber\":\"+1666%07d\","
                              "\"isOrganization\":false}",
                              m ? "," : "", i, m, m, i, i * 2 + m);
                body += buffer;
            }
        }
        body += "]}";
    }
    body += "]}";
    return body;
}

std::string Text(const nlohmann::json& object, const char* key) {
    const auto it = object.find(key);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// The same records from a real JSON parse.
void ReadWithJson(const std::string& body, CStringArray& records) {
    records.RemoveAll();
    const nlohmann::json answer = nlohmann::json::parse(body);
    for (const nlohmann::json& row : answer.at("rows")) {
        ContactRecord entry;
        entry.name = CString(Text(row, "name"));
        const std::string last = Text(row, "lastName");
        if (!last.empty()) entry.name += CString(" ") + CString(last);
        entry.fax = CString(Text(row, "faxNumber"));
        entry.uuid = CString(Text(row, "uuid"));
        entry.org_flag = row.value("isOrganization", false) ? 1 : 0;
        if (entry.fax.GetLength() >= 16) continue;
        const int position = records.Add("");
        for (const nlohmann::json& member : row.value("contacts", nlohmann::json::array())) {
            ContactRecord m;
            m.level = 0;
            m.name = CString(Text(member, "name"));
            m.fax = CString(Text(member, "faxNumber"));
            m.uuid = CString(Text(member, "uuid"));
            m.org_flag = member.value("isOrganization", false) ? 1 : 0;
            records.Add(WriteContactRecord(m));
            ++entry.member_count;
        }
        records.SetAt(position, WriteContactRecord(entry));
    }
}

template <typename F>
double BestMs(int rounds, F&& f) {
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        const double start = CpuSeconds();
        f();
        best = std::min(best, (CpuSeconds() - start) * 1000.0);
    }
    return best;
}

}  // namespace

int main() {
    int status = 0;
    for (const int count : {300, 3000, 30000}) {
        const std::string body = MakeAnswer(count);
        const CString answer(body);
        const int rounds = count >= 30000 ? 5 : 20;
        CStringArray ours, reference;
        const double ours_ms = BestMs(rounds, [&] { BuildContactList(answer, ours); });
        const double json_ms = BestMs(rounds, [&] { ReadWithJson(body, reference); });
        // Both readers must agree, or the timing compares different work.
        bool same = ours.GetSize() == reference.GetSize();
        for (int i = 0; same && i < ours.GetSize(); ++i) same = ours[i] == reference[i];
        if (!same) status = 1;
        std::printf(
            "{\"contacts\": %d, \"bytes\": %zu, \"records\": %d, \"ours_ms\": %.3f, \"nlohmann_ms\": %.3f, "
            "\"same_records\": %s}\n",
            count, body.size(), ours.GetSize(), ours_ms, json_ms, same ? "true" : "false");
        std::fflush(stdout);
    }
    return status;
}
