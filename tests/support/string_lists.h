// CStringArray in and out of tests: built from literals, compared as vectors.
#pragma once

#include "framework/cstring.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace kestrid_test {

inline CStringArray List(std::initializer_list<const char*> items) {
    CStringArray list;
    for (const char* item : items) list.Add(item);
    return list;
}

inline std::vector<std::string> Items(const CStringArray& list) {
    std::vector<std::string> items;
    for (const CString& item : list) items.push_back(item.str());
    return items;
}

}  // namespace kestrid_test
