// The contact listing's answer turned into contact records, and those records
// read back as the picker's rows.
#include "fuzz_check.h"
#include "service/contact_listing.h"
#include "service/contact_record.h"
#include "ui/contacts/contact_rows.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CString answer = TextOf(data, size);
    CStringArray records;
    BuildContactList(answer, records);
    if (answer.Find("uuid\":", 0) == -1) FUZZ_CHECK(records.IsEmpty());

    // Every entry is followed by exactly the members it counts.
    int members_due = 0;
    for (const CString& line : records) {
        ContactRecord record;
        FUZZ_CHECK(ReadContactRecord(line, record));
        // Values are read from their escapes and UTF-8 once cut out: one
        // character at most for each written one, and never a NUL.
        for (const CString* field : {&record.name, &record.fax, &record.uuid}) {
            FUZZ_CHECK(field->GetLength() <= answer.GetLength());
            FUZZ_CHECK(field->str().find('\0') == std::string::npos);
        }
        const ContactRowView row = ReadContactRow(line);
        FUZZ_CHECK(row.name == record.name && row.fax == record.fax && row.uuid == record.uuid);
        if (members_due > 0) {
            FUZZ_CHECK(record.level == 0 && row.is_member);
            --members_due;
        } else {
            FUZZ_CHECK(record.level == 1 && !row.is_member);
            FUZZ_CHECK(record.fax.GetLength() < 16);
            members_due = record.member_count;
        }
    }
    FUZZ_CHECK(members_due == 0);
    return 0;
}
