// The in-memory record of every persisted setting, and the flag bits.
//
// AppSettings is zeroed at process start and filled by the settings loader
// (output/settings). Writers during a run: the settings loader and SaveSettings,
// SetCurrentArticle (Lesson, LastPosition), the shell's commands (Flags through
// UpdateReverse, BottomSection), the font dialog (FontSettings), the search
// (SearchString), the View menu (NightColours, LinksOff, NotesOff) and the shell's exit
// (TopLesson, MainTop, CommentaryTop, TopLengths). Everything else only reads it.
#pragma once
#include <cstdint>

#ifdef _WIN32
typedef wchar_t DisplayChar;  // UTF-16 on Windows
#define DISPLAY_TEXT(s) L##s
#else
typedef char16_t DisplayChar;  // the same units in the platform-free build
#define DISPLAY_TEXT(s) u##s
#endif

constexpr int FontNameUnits = 32;      // 31 characters and the terminator
constexpr int SearchStringBytes = 34;  // 33 bytes and the terminator

struct FontSettings {
  DisplayChar FontName[FontNameUnits];  // empty: no font chosen yet
  int32_t FontSize;                     // points in the panes (elsewhere: layout/scale.h); 0 = the face's default height
  int32_t FontAsciiBase;                // display code of the first letter
};

struct AppSettingsRecord {
  ::FontSettings FontSettings;
  uint16_t LastPosition;
  uint32_t Flags;
  uint16_t Lesson;
  unsigned char SearchString[SearchStringBytes];
  int32_t BottomSection;
  uint16_t BottomSectionLastPosition;
  int32_t SurroundingGutter;
  uint32_t NightColours;   // 1: the panes show the night scheme; 0 otherwise
  uint32_t LinksOff;       // 1: View > Links is off (stored as ShowLinks 0); 0: on
  uint32_t NotesOff;       // 1: View > Notes is off (stored as ShowNotes 0); 0: on
  // Where each pane's top line was at exit, as places keep it (a packed
  // PanePosition, store/places.h), and the Lesson they belong to. Written by
  // the shell just before the settings are saved.
  int32_t TopLesson;
  uint32_t MainTop;
  uint32_t CommentaryTop;
  // What proves that the tops still belong: the rows (LastPosition,
  // BottomSectionLastPosition) saved with them, as read (the settings code
  // writes the rows it saves), and the lengths of both texts (the shell's).
  // Each a PackPair.
  uint32_t TopRows;
  uint32_t TopLengths;
};
extern AppSettingsRecord AppSettings;

// A number for each pane as one stored number: the main pane's in the low
// 16 bits, the commentary's in the high ones.
constexpr uint32_t PackPair(uint16_t main, uint16_t commentary) {
  return main | static_cast<uint32_t>(commentary) << 16;
}

// Bits of Flags.
constexpr uint32_t DefaultFlags = 0xD1140040u;
constexpr uint32_t ScrollBarSync = 0x000000C0u;
constexpr uint32_t Reverse = 0x00000800u;
constexpr uint32_t KeyPageModeMask = 0x00700000u;
constexpr int KeyPageModeShift = 20;
constexpr uint32_t ClickPageModeMask = 0x07000000u;
constexpr int ClickPageModeShift = 24;
constexpr uint32_t ClickVertical = 0x10000000u;
constexpr uint32_t ClickPaging = 0x80000000u;

// Commentary shares: the code is the menu command minus 400, its tens digit
// over its units digit the commentary's part of the height (1 is Minimal).
// Any other stored code falls back to the default.
constexpr int32_t DefaultBottomSection = 12;
constexpr bool IsShareCode(int32_t code) {
  return code == 1 || code == 12 || code == 13 || code == 14 || code == 23 || code == 34;
}

// Width of the gutter around the panes when none is stored.
constexpr int32_t DefaultGutter = 10;

// Letter mappings the system offers.
constexpr int32_t AsciiBaseLatin = 97;
constexpr int32_t AsciiBaseCodePage = 224;
constexpr int32_t AsciiBaseUnicode = 1488;
