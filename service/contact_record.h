// One line of the contact list: an entry (a person or an organisation) or a
// member of the organisation entry before it. Written and read only here, so
// the listing, the picker and its rows agree on the format.
#pragma once

#include "framework/cstring.h"

struct ContactRecord {
    int level = 1;         // 1 entry, 0 member
    int org_flag = 0;      // 1 organisation
    CString name;          // display name
    int member_count = 0;  // entries only: member records that follow
    CString fax;
    CString uuid;
};

// "1,<flag>,<name>,<count>,<fax>,<uuid>" for entries and
// "0,<flag>,<name>,,<fax>,<uuid>" for members. Inside the text fields a
// backslash escapes a comma or a backslash, so any text survives; text
// without either is written as it stands.
CString WriteContactRecord(const ContactRecord& record);

// The reverse of WriteContactRecord. A line too short to hold level and flag
// gives false; missing fields read as empty (member count 0).
bool ReadContactRecord(const CString& line, ContactRecord& record);
