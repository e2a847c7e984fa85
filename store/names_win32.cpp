// The corpus's names resource, found in the record module.
#include <windows.h>

#include "store/records.h"
#include "store/tractates.h"

bool FindCorpusNames(const unsigned char** bytes, size_t* size) {
  HMODULE module = RecordModule ? RecordModule : GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(CorpusNamesId), MAKEINTRESOURCEW(10));
  const DWORD length = resource ? SizeofResource(module, resource) : 0;
  HGLOBAL loaded = length ? LoadResource(module, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  *bytes = static_cast<const unsigned char*>(data);
  *size = length;
  return true;
}
