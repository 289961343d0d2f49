#include "ui/contacts/contact_paging.h"

#include <algorithm>

void ResetPaging(ContactPaging& paging, int list_size) {
    paging.page_count = 0;
    if (list_size > 0) paging.page_count = list_size / paging.page_size + (list_size % paging.page_size ? 1 : 0);
    paging.first_index = 0;
    paging.end_index = std::min(paging.page_size, list_size);
    paging.current_page = 0;
}

void PageSizeUp(ContactPaging& paging, int list_size) {
    paging.page_size = std::min(paging.page_size + 1, kMaxPageSize);
    ResetPaging(paging, list_size);
}

void PageSizeDown(ContactPaging& paging, int list_size) {
    paging.page_size = std::max(paging.page_size - 1, kMinPageSize);
    ResetPaging(paging, list_size);
}

bool PreviousPage(ContactPaging& paging, int list_size) {
    if (!PreviousEnabled(paging)) return false;
    paging.current_page = std::max(paging.current_page - 1, 0);
    paging.first_index = paging.current_page * paging.page_size;
    paging.end_index = std::min(paging.first_index + paging.page_size, list_size);
    return true;
}

bool NextPage(ContactPaging& paging, int list_size) {
    if (!NextEnabled(paging)) return false;
    paging.current_page += 1;
    if (paging.current_page >= paging.page_count) paging.current_page = paging.page_count - 1;
    if (paging.current_page < 0) paging.current_page = 0;
    paging.first_index = paging.current_page * paging.page_size;
    paging.end_index = std::min(paging.first_index + paging.page_size, list_size);
    if (paging.first_index >= paging.end_index) paging.first_index = paging.end_index;
    return true;
}

CString RangeLabel(const ContactPaging& paging) {
    CString text;
    if (paging.page_count > 0) text.Format("%d-%d/%d", paging.first_index + 1, paging.end_index, paging.page_count);
    return text;
}

CString PageSizeLabel(const ContactPaging& paging) {
    CString text;
    text.Format("%d", paging.page_size);
    return text;
}

bool PreviousEnabled(const ContactPaging& paging) { return paging.page_count > 0 && paging.current_page > 0; }

bool NextEnabled(const ContactPaging& paging) {
    return paging.page_count > 0 && paging.current_page + 1 < paging.page_count;
}
