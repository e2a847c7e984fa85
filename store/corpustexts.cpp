// The cache of decoded texts. Platform-free: the texts come from a source
// function that the shell points at the record loader.
#include "store/corpustexts.h"

#include <cstdlib>
#include <cstring>

#include "store/records.h"

unsigned char* (*CorpusTextSource)(int32_t record, int32_t* code) = nullptr;

namespace {

enum SlotState : uint8_t { SlotUnknown, SlotHeld, SlotMissing };

struct Slot {
  unsigned char* Text;
  uint16_t* Paragraphs;
  int32_t ParagraphCount;
  uint32_t Length;
  SlotState State;
};

Slot Slots[RecordCount + 1];
size_t HeldBytes;
uint32_t ByteCounts[256];

// One record in this many adds its bytes to the counts: enough to rank the
// bytes of a pattern, at a small part of the cost of counting everything.
constexpr int32_t CountEvery = 16;

}  // namespace

bool IndexParagraphs(const unsigned char* text, HeldText* out) {
  int32_t count = 0;
  size_t at = 0;
  while (text[at] != 0) {
    at += 3 + std::strlen(reinterpret_cast<const char*>(text + at + 2));
    ++count;
    if (at > 0xFFFF) return false;
  }
  auto* index = static_cast<uint16_t*>(std::malloc(sizeof(uint16_t) * (size_t(count) + 1)));
  if (!index) return false;
  at = 0;
  for (int32_t i = 0; i < count; ++i) {
    index[i] = static_cast<uint16_t>(at);
    at += 3 + std::strlen(reinterpret_cast<const char*>(text + at + 2));
  }
  index[count] = static_cast<uint16_t>(at);
  *out = HeldText{text, index, count, static_cast<uint32_t>(at + 1)};
  return true;
}

bool CorpusText(int32_t record, HeldText* out) {
  if (record < 1 || record > RecordCount) return false;
  Slot& slot = Slots[record];
  if (slot.State == SlotMissing) return false;
  if (slot.State == SlotUnknown) {
    if (!CorpusTextSource) return false;
    int32_t code = RecordOk;
    slot.Text = CorpusTextSource(record, &code);
    HeldText held;
    if (!slot.Text || !IndexParagraphs(slot.Text, &held)) {
      std::free(slot.Text);
      slot.Text = nullptr;
      // A record that is not there stays away; one that found no memory is
      // tried again by a later search.
      if (code != RecordUnreadable && code != RecordOk) slot.State = SlotMissing;
      return false;
    }
    slot.Paragraphs = const_cast<uint16_t*>(held.Paragraphs);
    slot.ParagraphCount = held.ParagraphCount;
    slot.Length = held.Length;
    slot.State = SlotHeld;
    HeldBytes += slot.Length + sizeof(uint16_t) * (size_t(slot.ParagraphCount) + 1);
    if (record % CountEvery == 1) {
      for (uint32_t i = 0; i < slot.Length; ++i) ++ByteCounts[slot.Text[i]];
    }
  }
  *out = HeldText{slot.Text, slot.Paragraphs, slot.ParagraphCount, slot.Length};
  return true;
}

size_t CorpusTextBytes() { return HeldBytes + sizeof Slots; }

const uint32_t* CorpusByteCounts() { return ByteCounts; }

void ReleaseCorpusTexts() {
  for (Slot& slot : Slots) {
    std::free(slot.Text);
    std::free(slot.Paragraphs);
    slot = Slot{};
  }
  HeldBytes = 0;
  std::memset(ByteCounts, 0, sizeof ByteCounts);
}
