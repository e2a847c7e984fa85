// A notes file is whatever a hand edit, a later version or a broken disk
// left. Every note read is written back in a form that reads again to the
// very same notes without a damaged line, and exports as RTF.
#include <cstdint>
#include <cstring>
#include <vector>

#include "output/notes_rtf.h"
#include "store/notes.h"

namespace {
std::vector<char> Written(const NoteList* list) {
  std::vector<char> out(WriteNotesText(list, -1, nullptr));
  WriteNotesText(list, -1, out.data());
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<char> bytes(data, data + size);
  NoteList list{};
  NotesReadReport report;
  if (!ReadNotesText(bytes.data(), bytes.size(), &list, &report)) return 0;
  if (report.NotesRead != list.Count) __builtin_trap();
  const std::vector<char> once = Written(&list);
  NoteList again{};
  if (!ReadNotesText(once.data(), once.size(), &again, &report)) __builtin_trap();
  if (report.DamagedLines || report.NotesLost || report.Later || again.Count != list.Count) __builtin_trap();
  for (int32_t i = 0; i < list.Count; ++i)
    if (!SameNote(list.Items[i], again.Items[i])) __builtin_trap();
  if (Written(&again) != once) __builtin_trap();
  std::vector<char> rtf(NotesRtfDocument(&list, -1, nullptr) + 1);
  if (NotesRtfDocument(&list, -1, rtf.data()) + 1 != rtf.size()) __builtin_trap();
  FreeNotes(&list);
  FreeNotes(&again);
  return 0;
}
