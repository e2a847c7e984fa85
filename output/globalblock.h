// Global memory blocks (the clipboard's and the print dialog's): a copy of
// one, made with the given GlobalAlloc flags. Null when the block cannot be
// read or memory ran out; the block itself is left as it was.
#pragma once
#include <windows.h>

#include <cstring>

inline HGLOBAL CopyGlobalBlock(HGLOBAL block, UINT flags) {
  const SIZE_T size = block ? GlobalSize(block) : 0;
  const void* from = size ? GlobalLock(block) : nullptr;
  if (!from) return nullptr;
  HGLOBAL copy = GlobalAlloc(flags, size);
  void* to = copy ? GlobalLock(copy) : nullptr;
  if (to) {
    std::memcpy(to, from, size);
    GlobalUnlock(copy);
  } else if (copy) {
    GlobalFree(copy);
    copy = nullptr;
  }
  GlobalUnlock(block);
  return copy;
}
