// The 8-bit counted string and string array every part of the program parses
// with. Only the operations the program relies on, with their exact edge rules:
// positions are zero-based, "not found" is -1, negative positions and counts
// clamp to 0 and counts clip at the end of the text.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CString {
public:
    CString() = default;
    CString(const char* text);  // NOLINT(google-explicit-constructor): implicit like the framework's own
    CString(const char* text, int length);
    CString(const std::string& text) : m_text(text) {}  // NOLINT(google-explicit-constructor)

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    const char* GetString() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }  // NOLINT(google-explicit-constructor)
    const std::string& str() const { return m_text; }
    char GetAt(int index) const { return m_text.at(static_cast<size_t>(index)); }

    // First occurrence of s at or after start; -1 when none, or when start is
    // negative or beyond the end.
    int Find(const char* s, int start = 0) const;
    int Find(char c, int start = 0) const;

    // from(text, p): the rest from p (negative p counts as 0).
    CString Mid(int first) const;
    // cut(text, p, n): n characters from p, clamped and clipped.
    CString Mid(int first, int count) const;
    CString Left(int count) const { return Mid(0, count); }

    // Replaces every non-overlapping occurrence, left to right; returns how many.
    int Replace(const char* old_text, const char* new_text);
    // remove(text, s): deletes every non-overlapping occurrence of s.
    int Remove(const char* s) { return Replace(s, ""); }

    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    CString& MakeLower();

    // Exact, case-sensitive comparison of the whole text.
    bool Equals(const char* s) const { return m_text == (s ? s : ""); }
    int Compare(const char* s) const { return m_text.compare(s ? s : ""); }

    // printf-style formatting; replaces the whole text.
    void Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    CString& operator=(const char* text);
    CString& operator+=(const CString& other) {
        m_text += other.m_text;
        return *this;
    }
    CString& operator+=(const char* text) {
        if (text) m_text += text;
        return *this;
    }
    CString& operator+=(char c) {
        m_text += c;
        return *this;
    }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_text + b.m_text); }
    friend CString operator+(const CString& a, const char* b) {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(const char* a, const CString& b) {
        CString r(a);
        r += b;
        return r;
    }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.Equals(b); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

private:
    std::string m_text;
};

class CStringArray {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    int Add(const CString& item) {
        m_items.push_back(item);
        return GetSize() - 1;
    }
    void RemoveAll() { m_items.clear(); }
    void RemoveAt(int index, int count = 1);
    void InsertAt(int index, const CString& item);
    void SetAt(int index, const CString& item) { m_items.at(static_cast<size_t>(index)) = item; }
    const CString& GetAt(int index) const { return m_items.at(static_cast<size_t>(index)); }
    CString& ElementAt(int index) { return m_items.at(static_cast<size_t>(index)); }
    const CString& operator[](int index) const { return GetAt(index); }
    CString& operator[](int index) { return ElementAt(index); }
    void Copy(const CStringArray& other) { m_items = other.m_items; }

    std::vector<CString>::const_iterator begin() const { return m_items.begin(); }
    std::vector<CString>::const_iterator end() const { return m_items.end(); }

private:
    std::vector<CString> m_items;
};

// Cuts text into pieces at every occurrence of separator, beginning at start.
// Empty pieces are kept: k separators give k + 1 pieces, an empty text one
// empty piece. The list is cleared first.
void SplitText(const CString& text, const char* separator, CStringArray& pieces, int start = 0);
