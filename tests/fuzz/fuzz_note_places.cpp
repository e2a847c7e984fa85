// Any text and any selection in it: a note taken on what the selection
// covers is found again on the same text at the very same place, and, on a
// text cut short, somewhere within it or not at all.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "store/notes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const TextSelection sel{uint16_t(data[0] | data[1] << 8), uint16_t(data[2] | data[3] << 8)};
  // Paragraphs of the rest: a 0 byte ends one, the byte after it is the
  // next one's style (0 there ends the list).
  std::vector<unsigned char> text{uint8_t(data[4] | 1), 0};
  for (size_t k = 5; k < size; ++k) {
    text.push_back(data[k]);
    if (data[k] == 0 && k + 1 < size) {
      text.push_back(uint8_t(data[++k] | 1));
      text.push_back(0);
    }
  }
  text.insert(text.end(), {0, 0, 0, 0});
  NoteAnchor anchor;
  if (!CaptureNoteAnchor(text.data(), sel, 1, NoteMainPane, &anchor)) return 0;
  NoteList list{};
  const DisplayChar note[] = {'n'};
  if (!AddNote(&list, anchor, note, 1, 0) || !PlaceNotes(&list, 1, NoteMainPane, text.data())) __builtin_trap();
  const Note& placed = list.Items[0];
  if (placed.Placed != NotePlacement::Kept || placed.At.Anchor != anchor.Start || placed.At.Focus != anchor.End)
    __builtin_trap();
  // The same text cut short: a place found lies within what is left.
  const size_t cut = text.size() / 2;
  std::vector<unsigned char> shorter(text.begin(), text.begin() + cut);
  shorter.insert(shorter.end(), {0, 0, 0, 0});
  if (!PlaceNotes(&list, 1, NoteMainPane, shorter.data())) __builtin_trap();
  if (placed.Placed != NotePlacement::Detached &&
      (std::max<size_t>(placed.At.Anchor, placed.At.Focus) > cut || placed.Placed == NotePlacement::Unplaced))
    __builtin_trap();
  FreeNotes(&list);
  return 0;
}
