// The registry functions the spooler hands a print monitor (MONITORREG),
// over the real registry: for programs that load the monitor themselves.
#pragma once

#include <windows.h>
#include <winsplp.h>

namespace spooler_registry {

inline LONG WINAPI CreateKey(HANDLE key, LPCWSTR sub, DWORD options, REGSAM sam, PSECURITY_ATTRIBUTES security,
                             PHANDLE result, PDWORD disposition, HANDLE) {
    return RegCreateKeyExW(static_cast<HKEY>(key), sub, 0, nullptr, options, sam, security,
                           reinterpret_cast<PHKEY>(result), disposition);
}
inline LONG WINAPI OpenKey(HANDLE key, LPCWSTR sub, REGSAM sam, PHANDLE result, HANDLE) {
    return RegOpenKeyExW(static_cast<HKEY>(key), sub, 0, sam, reinterpret_cast<PHKEY>(result));
}
inline LONG WINAPI CloseKey(HANDLE key, HANDLE) { return RegCloseKey(static_cast<HKEY>(key)); }
inline LONG WINAPI DeleteKey(HANDLE key, LPCWSTR sub, HANDLE) { return RegDeleteKeyW(static_cast<HKEY>(key), sub); }
inline LONG WINAPI EnumKey(HANDLE key, DWORD index, LPWSTR name, PDWORD count, PFILETIME time, HANDLE) {
    return RegEnumKeyExW(static_cast<HKEY>(key), index, name, count, nullptr, nullptr, nullptr, time);
}
inline LONG WINAPI QueryInfoKey(HANDLE key, PDWORD keys, PDWORD key_size, PDWORD values, PDWORD value_size, PDWORD data,
                                PDWORD security, PFILETIME time, HANDLE) {
    return RegQueryInfoKeyW(static_cast<HKEY>(key), nullptr, nullptr, nullptr, keys, key_size, nullptr, values,
                            value_size, data, security, time);
}
inline LONG WINAPI SetValue(HANDLE key, LPCWSTR name, DWORD type, const BYTE* data, DWORD size, HANDLE) {
    return RegSetValueExW(static_cast<HKEY>(key), name, 0, type, data, size);
}
inline LONG WINAPI DeleteValue(HANDLE key, LPCWSTR name, HANDLE) {
    return RegDeleteValueW(static_cast<HKEY>(key), name);
}
inline LONG WINAPI EnumValue(HANDLE key, DWORD index, LPWSTR name, PDWORD count, PDWORD type, PBYTE data, PDWORD size,
                             HANDLE) {
    return RegEnumValueW(static_cast<HKEY>(key), index, name, count, nullptr, type, data, size);
}
inline LONG WINAPI QueryValue(HANDLE key, LPCWSTR name, PDWORD type, PBYTE data, PDWORD size, HANDLE) {
    return RegQueryValueExW(static_cast<HKEY>(key), name, nullptr, type, data, size);
}

inline MONITORREG Functions() {
    MONITORREG reg = {};
    reg.cbSize = sizeof(reg);
    reg.fpCreateKey = CreateKey;
    reg.fpOpenKey = OpenKey;
    reg.fpCloseKey = CloseKey;
    reg.fpDeleteKey = DeleteKey;
    reg.fpEnumKey = EnumKey;
    reg.fpQueryInfoKey = QueryInfoKey;
    reg.fpSetValue = SetValue;
    reg.fpDeleteValue = DeleteValue;
    reg.fpEnumValue = EnumValue;
    reg.fpQueryValue = QueryValue;
    return reg;
}

}  // namespace spooler_registry
