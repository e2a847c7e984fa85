#include "output/notes_rtf.h"

#include <cstdlib>
#include <cstring>

#include "output/rtf.h"
#include "store/places.h"

namespace {

constexpr char HeadingOpen[] = "{\\b\\fs28 ";
constexpr char PassageOpen[] = "{\\i ";
constexpr char GroupClose[] = "}";

struct Sink {
  char* out;
  size_t n;
  void Put(const char* s, size_t k) {
    if (out) std::memcpy(out + n, s, k);
    n += k;
  }
  void Put(const char* s) { Put(s, std::strlen(s)); }
  // A text as RTF paragraphs, through the copy's own escaping.
  void Body(const DisplayChar* units) {
    const size_t k = RtfBody(units, out ? out + n : nullptr);
    n += k;
  }
};

}  // namespace

size_t NotesRtfDocument(const NoteList* list, int32_t tractate, char* out) {
  auto* order = static_cast<int32_t*>(std::malloc((static_cast<size_t>(list->Count) + 1) * sizeof(int32_t)));
  if (!order) return 0;
  const int32_t count = NotesInTextOrder(list, tractate, order);
  Sink sink{out, 0};
  sink.Put(RtfHeader);
  int32_t page = -1;
  for (int32_t k = 0; k < count; ++k) {
    const Note& note = list->Items[order[k]];
    if (note.Anchor.Lesson != page) {
      page = note.Anchor.Lesson;
      DisplayChar name[MaxBookmarkNameUnits + 1];
      PlaceName(page, name);
      sink.Put(HeadingOpen);
      sink.Body(name);
      sink.Put(GroupClose);
    }
    DisplayChar passage[4 * NotePassageWhole + 8];
    NotePassageText(note.Anchor, passage, static_cast<int32_t>(sizeof passage / sizeof passage[0]));
    sink.Put(PassageOpen);
    sink.Body(passage);
    sink.Put(GroupClose);
    sink.Body(note.Text);
  }
  sink.Put(RtfClosing);
  if (out) out[sink.n] = 0;
  std::free(order);
  return sink.n;
}
