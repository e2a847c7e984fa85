// Loading text records from the module's resources, and the decompressor's
// message box.
#include <windows.h>

#include "store/records.h"

HMODULE RecordModule;
HWND MessageBoxOwner;

void ShowDecodeError() { MessageBoxW(MessageBoxOwner, L"UnCompress() buffer error!", nullptr, MB_OK); }

unsigned char* LoadTextRecord(int32_t n, int32_t* code) {
  if (n <= 0) return nullptr;
  HMODULE module = RecordModule ? RecordModule : GetModuleHandleW(nullptr);
  const WORD id = static_cast<WORD>((RecordIdBase + n) & 0xFFFF);
  HRSRC resource = id ? FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10)) : nullptr;
  if (!resource) {
    if (code) *code = RecordMissing;
    return nullptr;
  }
  const DWORD size = SizeofResource(module, resource);
  HGLOBAL loaded = size ? LoadResource(module, resource) : nullptr;
  const auto* record = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
  if (!record) {
    if (code) *code = RecordUnreadable;
    return nullptr;
  }
  // The block length is trusted only as far as the resource reaches.
  int32_t blockLength = size >= 2 ? (int32_t(record[0]) << 8 | record[1]) : 0;
  const int32_t available = size > DWORD(RecordHeaderBytes) ? int32_t(size - RecordHeaderBytes) : 0;
  if (blockLength > available) blockLength = available;
  return ParseRecordBlock(available ? record + RecordHeaderBytes : nullptr, blockLength, code);
}
