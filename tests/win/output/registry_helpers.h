// Direct registry access for the settings tests: presetting values the way a
// user or an older run may have left them, and reading back what was written.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "output/settings.h"

inline void DeleteSettingsTree() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillary"); }

inline void PutValue(const wchar_t* keyPath, const wchar_t* name, DWORD type, const void* bytes, DWORD count) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                           &key, nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(bytes), count));
  RegCloseKey(key);
}

inline void PutDword(const wchar_t* name, uint32_t value) {
  PutValue(SettingsKeyPath, name, REG_DWORD, &value, sizeof value);
}

// A REG_SZ with exactly the bytes given: no terminator is added.
inline void PutStringBytes(const wchar_t* name, const std::wstring& units, DWORD byteCount) {
  PutValue(SettingsKeyPath, name, REG_SZ, units.data(), byteCount);
}

// A REG_SZ with its terminator, as a well-behaved writer stores it.
inline void PutString(const wchar_t* name, const std::wstring& text) {
  PutStringBytes(name, text, static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

inline void PutBinary(const wchar_t* name, const std::vector<unsigned char>& bytes) {
  PutValue(SettingsKeyPath, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

struct StoredValue {
  bool present = false;
  DWORD type = REG_NONE;
  std::vector<unsigned char> bytes;
  uint32_t Dword() const {
    uint32_t v = 0;
    for (size_t i = 0; i < 4 && i < bytes.size(); ++i) v |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return v;
  }
};

inline StoredValue GetValue(const wchar_t* name) {
  StoredValue out;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &out.type, nullptr, &size) == ERROR_SUCCESS) {
    out.bytes.resize(size);
    if (RegQueryValueExW(key, name, nullptr, &out.type, out.bytes.data(), &size) == ERROR_SUCCESS) {
      out.present = true;
      out.bytes.resize(size);
    }
  }
  RegCloseKey(key);
  return out;
}

// Takes the quit message SaveSettings posts; false if there is none.
inline bool TakeQuitMessage(WPARAM* code) {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
  if (code) *code = msg.wParam;
  return true;
}
