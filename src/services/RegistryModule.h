// Settings in the registry: one named value under a section key, either under
// the program key (HKCU\Software\SWF.zel\<section>) or under a root directly.
#pragma once
#include <windows.h>

#include <string>

std::wstring GetRegString(const std::wstring& section, const std::wstring& name, const std::wstring& def,
                          bool useAppKey = true, HKEY root = HKEY_CURRENT_USER);
void SaveRegString(const std::wstring& section, const std::wstring& name, const std::wstring& value,
                   bool useAppKey = true, HKEY root = HKEY_CURRENT_USER);
long GetRegLong(const std::wstring& section, const std::wstring& name, long def, bool useAppKey = true,
                HKEY root = HKEY_CURRENT_USER);
void SaveRegLong(const std::wstring& section, const std::wstring& name, long value, bool useAppKey = true,
                 HKEY root = HKEY_CURRENT_USER);
// Booleans are stored as the texts "True" and "False".
bool GetRegBool(const std::wstring& section, const std::wstring& name, bool def, bool useAppKey = true,
                HKEY root = HKEY_CURRENT_USER);
void SaveRegBool(const std::wstring& section, const std::wstring& name, bool value, bool useAppKey = true,
                 HKEY root = HKEY_CURRENT_USER);
