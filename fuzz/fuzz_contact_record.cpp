// Contact records: any text written into a record reads back unchanged, and
// any line at all reads as a row without harm. The input is split at NUL
// bytes into name, fax and uuid; its first bytes choose level, flag and count.
#include "fuzz_check.h"
#include "service/contact_record.h"
#include "ui/contacts/contact_rows.h"

#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Arbitrary line (up to the first NUL) read as a record and as a row.
    const CString line = TextOf(data, size);
    ContactRecord read;
    if (ReadContactRecord(line, read)) {
        FUZZ_CHECK(read.level == 0 || read.level == 1);
        FUZZ_CHECK(read.org_flag == 0 || read.org_flag == 1);
        FUZZ_CHECK(read.member_count >= 0);
    }
    const ContactRowView row = ReadContactRow(line);
    FUZZ_CHECK(row.indent == 0 || row.indent == kMemberIndent);
    CStringArray chosen;
    chosen.Add(line);
    FUZZ_CHECK(IsPreChosen(row.fax, chosen) == (!row.fax.IsEmpty() && line.Find(row.fax, 0) != -1));

    // Round trip of a record made from the input.
    if (size < 3) return 0;
    ContactRecord record;
    record.level = data[0] & 1;
    record.org_flag = (data[0] >> 1) & 1;
    record.member_count = record.level == 1 ? static_cast<int>(data[1]) * 131 + data[2] : 0;
    std::vector<std::string> texts(3);
    size_t k = 0;
    for (size_t i = 3; i < size; ++i) {
        if (data[i] == 0) {
            if (++k == texts.size()) break;
        } else {
            texts[k] += static_cast<char>(data[i]);
        }
    }
    record.name = CString(texts[0]);
    record.fax = CString(texts[1]);
    record.uuid = CString(texts[2]);

    const CString written = WriteContactRecord(record);
    ContactRecord back;
    FUZZ_CHECK(ReadContactRecord(written, back));
    FUZZ_CHECK(back.level == record.level && back.org_flag == record.org_flag);
    FUZZ_CHECK(back.member_count == record.member_count);
    FUZZ_CHECK(back.name == record.name && back.fax == record.fax && back.uuid == record.uuid);
    const ContactRowView view = ReadContactRow(written);
    FUZZ_CHECK(view.is_member == (record.level == 0));
    FUZZ_CHECK(view.name == record.name && view.fax == record.fax && view.uuid == record.uuid);
    return 0;
}
