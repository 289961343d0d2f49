#include "service/contact_record.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

CString EscapeField(const CString& text) {
    std::string out;
    for (const char c : text.str()) {
        if (c == ',' || c == '\\') out += '\\';
        out += c;
    }
    return CString(out);
}

// Splits at commas that no backslash escapes, undoing the escapes.
std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            fields.back() += text[++i];
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

}  // namespace

CString WriteContactRecord(const ContactRecord& record) {
    CString line;
    if (record.level == 0) {
        line.Format("0,%d,%s,,%s,%s", record.org_flag, EscapeField(record.name).GetString(),
                    EscapeField(record.fax).GetString(), EscapeField(record.uuid).GetString());
    } else {
        line.Format("1,%d,%s,%d,%s,%s", record.org_flag, EscapeField(record.name).GetString(), record.member_count,
                    EscapeField(record.fax).GetString(), EscapeField(record.uuid).GetString());
    }
    return line;
}

bool ReadContactRecord(const CString& line, ContactRecord& record) {
    record = ContactRecord{};
    const std::string& text = line.str();
    if (text.size() < 3 || text[1] != ',' || (text[0] != '0' && text[0] != '1') || (text[2] != '0' && text[2] != '1'))
        return false;
    if (text.size() > 3 && text[3] != ',') return false;
    record.level = text[0] - '0';
    record.org_flag = text[2] - '0';
    if (text.size() <= 4) return true;

    const std::vector<std::string> fields = SplitFields(text.substr(4));
    auto field = [&fields](size_t i) { return i < fields.size() ? CString(fields[i]) : CString(); };
    record.name = field(0);
    const int count = std::atoi(field(1).GetString());
    record.member_count = count > 0 ? count : 0;
    record.fax = field(2);
    record.uuid = field(3);
    return true;
}
