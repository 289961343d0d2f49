#include "framework/cstring.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

CString::CString(const char* text) : m_text(text ? text : "") {}

CString::CString(const char* text, int length)
    : m_text(text && length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string()) {}

CString& CString::operator=(const char* text) {
    m_text = text ? text : "";
    return *this;
}

int CString::Find(const char* s, int start) const {
    if (!s || start < 0 || start > GetLength()) return -1;
    size_t pos = m_text.find(s, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(char c, int start) const {
    const char s[2] = {c, '\0'};
    return Find(s, start);
}

CString CString::Mid(int first) const {
    if (first < 0) first = 0;
    if (first >= GetLength()) return CString();
    return CString(m_text.substr(static_cast<size_t>(first)));
}

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (count < 0) count = 0;
    if (first >= GetLength()) return CString();
    return CString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int CString::Replace(const char* old_text, const char* new_text) {
    if (!old_text || !*old_text) return 0;
    const size_t old_len = std::strlen(old_text);
    const std::string replacement = new_text ? new_text : "";
    std::string result;
    int count = 0;
    size_t pos = 0;
    for (size_t hit; (hit = m_text.find(old_text, pos)) != std::string::npos; pos = hit + old_len) {
        result.append(m_text, pos, hit - pos);
        result += replacement;
        ++count;
    }
    if (count) {
        result.append(m_text, pos, std::string::npos);
        m_text.swap(result);
    }
    return count;
}

static bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

CString& CString::TrimLeft() {
    size_t n = 0;
    while (n < m_text.size() && IsBlank(m_text[n])) ++n;
    m_text.erase(0, n);
    return *this;
}

CString& CString::TrimRight() {
    size_t n = m_text.size();
    while (n > 0 && IsBlank(m_text[n - 1])) --n;
    m_text.resize(n);
    return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

CString& CString::MakeLower() {
    for (char& c : m_text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return *this;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) {
        m_text.clear();
    } else {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        m_text.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
}

void CStringArray::RemoveAt(int index, int count) {
    if (index < 0 || count <= 0 || index >= GetSize()) return;
    const int end = index + count > GetSize() ? GetSize() : index + count;
    m_items.erase(m_items.begin() + index, m_items.begin() + end);
}

void CStringArray::InsertAt(int index, const CString& item) {
    if (index < 0) index = 0;
    if (index > GetSize()) index = GetSize();
    m_items.insert(m_items.begin() + index, item);
}

void SplitText(const CString& text, const char* separator, CStringArray& pieces, int start) {
    pieces.RemoveAll();
    const int sep_len = separator ? static_cast<int>(std::strlen(separator)) : 0;
    if (start < 0) start = 0;
    int from = start;
    if (sep_len > 0) {
        for (int hit; (hit = text.Find(separator, from)) != -1; from = hit + sep_len)
            pieces.Add(text.Mid(from, hit - from));
    }
    pieces.Add(text.Mid(from));
}
