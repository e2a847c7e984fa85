// Settings in the registry. Every accessor opens its key, handles one value
// and closes the key again; nothing keeps a key handle between calls.
//
// Memory handed out by the read accessors and by AllocOrDie comes from malloc
// and is released with free.
#include "output/settings.h"

#include "layout/scale.h"
#include "output/settings_data.h"
#include "store/records.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>

const wchar_t SettingsKeyPath[] = L"Software\\Quillary\\Orvane";
const wchar_t ParentKeyPath[] = L"software\\Quillary";

void (*OutOfMemoryExit)() = nullptr;
bool OutOfMemoryExitBegun = false;

namespace {

// Set while LoadSettings runs: AppSettings is then only partly filled, and
// saving it would overwrite the user's stored values. LoadStopped tells
// LoadSettings that the out-of-memory exit began while it read.
bool Loading = false;
bool LoadStopped = false;

constexpr int32_t DefaultFontAsciiBase = AsciiBaseUnicode;

// Closes a registry key when the reading function leaves, on every path.
struct KeyCloser {
  HKEY key = nullptr;
  ~KeyCloser() {
    if (key) RegCloseKey(key);
  }
};

bool OpenForReading(const wchar_t* keyPath, KeyCloser& closer) {
  return RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &closer.key) == ERROR_SUCCESS;
}

bool OpenForWriting(KeyCloser& closer) {
  return RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, &closer.key, nullptr) == ERROR_SUCCESS;
}

// Reads the whole of a value of an open key into a zero-padded block, so the
// data can be read as a terminated UTF-16 string whatever its size. *size
// gets the byte count actually read.
unsigned char* ReadValueBytes(HKEY key, const wchar_t* name, DWORD* type, DWORD* size, bool dieOnNoMemory) {
  DWORD needed = 0;
  if (RegQueryValueExW(key, name, nullptr, type, nullptr, &needed) != ERROR_SUCCESS) return nullptr;
  if (needed > 0x7FFFFFF0u) return nullptr;
  // Four spare bytes: an odd byte count still ends in a zero unit, and a
  // short REG_DWORD still reads as four bytes.
  size_t blockBytes = static_cast<size_t>(needed) + 4;
  void* block = dieOnNoMemory ? AllocOrDie(blockBytes) : std::malloc(blockBytes);
  if (!block) return nullptr;
  std::memset(block, 0, blockBytes);
  DWORD got = needed;
  if (RegQueryValueExW(key, name, nullptr, type, static_cast<BYTE*>(block), &got) != ERROR_SUCCESS ||
      got > needed) {
    std::free(block);
    return nullptr;
  }
  *size = got;
  return static_cast<unsigned char*>(block);
}

unsigned char* ReadSettingsBytes(const wchar_t* name, DWORD* size) {
  KeyCloser closer;
  if (!OpenForReading(SettingsKeyPath, closer)) return nullptr;
  DWORD type = 0;
  return ReadValueBytes(closer.key, name, &type, size, true);
}

bool WriteValue(const wchar_t* name, DWORD type, const void* bytes, DWORD count) {
  KeyCloser closer;
  if (!OpenForWriting(closer)) return false;
  return RegSetValueExW(closer.key, name, 0, type, static_cast<const BYTE*>(bytes), count) == ERROR_SUCCESS;
}

// The two strings replace their fields only when stored and not empty.
void LoadFontName() {
  DWORD size = 0;
  unsigned char* bytes = ReadSettingsBytes(L"FontName", &size);
  if (!bytes) return;
  FontNameFromStoredData(AppSettings.FontSettings.FontName, bytes, size);
  std::free(bytes);
}

void LoadSearchString() {
  DWORD size = 0;
  unsigned char* bytes = ReadSettingsBytes(L"SearchString", &size);
  if (!bytes) return;
  SearchStringFromStoredData(AppSettings.SearchString, bytes, size);
  std::free(bytes);
}

int32_t ReadSetting(const wchar_t* name, int32_t fallback) {
  return ReadDwordSetting(SettingsKeyPath, name, fallback);
}

// When a number is written back at exit.
enum class Written { Always, IfNotZero, WithMainPane, WithCommentaryPane };

// One stored number: its name, its default when absent, how a read value
// goes into AppSettings (with its range check) and what is written back.
struct NumberSetting {
  const wchar_t* Name;
  int32_t Default;
  void (*Take)(int32_t stored);
  int32_t (*Give)();
  Written When;
};

// In the order they are read and written.
constexpr NumberSetting NumberSettings[] = {
    {L"FontSize", 0, [](int32_t v) { AppSettings.FontSettings.FontSize = v; },
     [] { return AppSettings.FontSettings.FontSize; }, Written::IfNotZero},
    {L"FontAsciiBase", DefaultFontAsciiBase, [](int32_t v) { AppSettings.FontSettings.FontAsciiBase = v; },
     [] { return AppSettings.FontSettings.FontAsciiBase; }, Written::IfNotZero},
    {L"LastPosition", 0, [](int32_t v) { AppSettings.LastPosition = static_cast<uint16_t>(v); },
     [] { return static_cast<int32_t>(AppSettings.LastPosition); }, Written::WithMainPane},
    {L"Flags", static_cast<int32_t>(DefaultFlags), [](int32_t v) { AppSettings.Flags = static_cast<uint32_t>(v); },
     [] { return static_cast<int32_t>(AppSettings.Flags); }, Written::Always},
    {L"Lesson", 0, [](int32_t v) { AppSettings.Lesson = static_cast<uint16_t>(v); },
     [] { return static_cast<int32_t>(AppSettings.Lesson); }, Written::IfNotZero},
    // The commentary height divides by the units digit and the menu checks
    // the item of the code: anything but a menu code falls back to the default.
    {L"BottomSection", DefaultBottomSection,
     [](int32_t v) { AppSettings.BottomSection = IsShareCode(v) ? v : DefaultBottomSection; },
     [] { return AppSettings.BottomSection; }, Written::Always},
    {L"BottomSectionLastPosition", 0,
     [](int32_t v) { AppSettings.BottomSectionLastPosition = static_cast<uint16_t>(v); },
     [] { return static_cast<int32_t>(AppSettings.BottomSectionLastPosition); }, Written::WithCommentaryPane},
    {L"NightColours", 0, [](int32_t v) { AppSettings.NightColours = v == 1 ? 1 : 0; },
     [] { return static_cast<int32_t>(AppSettings.NightColours); }, Written::Always},
    {L"ShowLinks", 1, [](int32_t v) { AppSettings.LinksOff = v == 0 ? 1 : 0; },
     [] { return AppSettings.LinksOff ? 0 : 1; }, Written::Always},
    {L"ShowNotes", 1, [](int32_t v) { AppSettings.NotesOff = v == 0 ? 1 : 0; },
     [] { return AppSettings.NotesOff ? 0 : 1; }, Written::Always},
    {L"TopLesson", 0, [](int32_t v) { AppSettings.TopLesson = v; }, [] { return AppSettings.TopLesson; },
     Written::WithMainPane},
    {L"MainTop", 0, [](int32_t v) { AppSettings.MainTop = static_cast<uint32_t>(v); },
     [] { return static_cast<int32_t>(AppSettings.MainTop); }, Written::WithMainPane},
    {L"CommentaryTop", 0, [](int32_t v) { AppSettings.CommentaryTop = static_cast<uint32_t>(v); },
     [] { return static_cast<int32_t>(AppSettings.CommentaryTop); }, Written::WithCommentaryPane},
    // The rows written with the tops, whatever was read.
    {L"TopRows", 0, [](int32_t v) { AppSettings.TopRows = static_cast<uint32_t>(v); },
     [] { return static_cast<int32_t>(PackPair(AppSettings.LastPosition, AppSettings.BottomSectionLastPosition)); },
     Written::WithMainPane},
    {L"TopLengths", 0, [](int32_t v) { AppSettings.TopLengths = static_cast<uint32_t>(v); },
     [] { return static_cast<int32_t>(AppSettings.TopLengths); }, Written::WithMainPane},
};

void DestroyPane(PaneView** pane) {
  if (!pane || !*pane) return;
  DestroyPaneView(*pane, true);
  *pane = nullptr;
}

}  // namespace

int32_t ReadDwordSetting(const wchar_t* keyPath, const wchar_t* name, int32_t fallback) {
  if (!keyPath) keyPath = SettingsKeyPath;
  KeyCloser closer;
  if (!OpenForReading(keyPath, closer)) return fallback;
  DWORD type = 0;
  DWORD size = 0;
  unsigned char* bytes = ReadValueBytes(closer.key, name, &type, &size, false);
  if (!bytes) return fallback;
  int32_t value = NumberFromStoredData(type, bytes, size);
  std::free(bytes);
  return value;
}

wchar_t* ReadStringSetting(const wchar_t* name) {
  DWORD size = 0;
  unsigned char* bytes = ReadSettingsBytes(name, &size);
  // Only whole units count: a lone last byte is dropped. The block always has
  // a zero unit after the data (see ReadValueBytes).
  if (bytes && (size & 1)) bytes[size - 1] = 0;
  return reinterpret_cast<wchar_t*>(bytes);
}

unsigned char* ReadBinarySetting(const wchar_t* name, DWORD* size) {
  DWORD got = 0;
  unsigned char* bytes = ReadSettingsBytes(name, &got);
  if (size) *size = bytes ? got : 0;
  return bytes;
}

HGLOBAL ReadBlobSetting(const wchar_t* name, HGLOBAL fallback) {
  KeyCloser closer;
  if (!OpenForReading(SettingsKeyPath, closer)) return fallback;
  DWORD size = 0;
  if (RegQueryValueExW(closer.key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) {
    return fallback;
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!block) return fallback;
  void* bytes = GlobalLock(block);
  bool read = false;
  if (bytes) {
    DWORD got = size;
    read = RegQueryValueExW(closer.key, name, nullptr, nullptr, static_cast<BYTE*>(bytes), &got) ==
           ERROR_SUCCESS;
    GlobalUnlock(block);
  }
  if (!read) {
    GlobalFree(block);
    return fallback;
  }
  return block;
}

bool WriteDwordSetting(const wchar_t* name, int32_t value) {
  DWORD data = static_cast<DWORD>(value);
  return WriteValue(name, REG_DWORD, &data, sizeof data);
}

bool WriteStringSetting(const wchar_t* name, const wchar_t* value) {
  if (!value) return false;
  size_t units = std::wcslen(value) + 1;
  if (units > 0x3FFFFFFFu) return false;
  return WriteValue(name, REG_SZ, value, static_cast<DWORD>(units * sizeof(wchar_t)));
}

bool WriteBinarySetting(const wchar_t* name, const void* bytes, DWORD count) {
  if (!bytes && count != 0) return false;
  return WriteValue(name, REG_BINARY, bytes, count);
}

int32_t ReadSurroundingGutter() { return ReadDwordSetting(ParentKeyPath, L"SurroundingGutter", DefaultGutter); }

int32_t LoadSettings() {
  // Only the two strings are read through AllocOrDie; when it fails, loading
  // stops and nothing is saved.
  Loading = true;
  LoadStopped = false;
  LoadFontName();
  if (!LoadStopped) LoadSearchString();
  Loading = false;
  if (LoadStopped) return 1;
  for (const NumberSetting& setting : NumberSettings) setting.Take(ReadSetting(setting.Name, setting.Default));
  return 0;
}

void SaveSettings(PaneView** mainPane, PaneView** commentaryPane) {
  if (AppSettings.SearchString[0] != 0) {
    unsigned char search[SearchStringBytes] = {};
    size_t n = strnlen(reinterpret_cast<const char*>(AppSettings.SearchString), SearchStringBytes - 1);
    std::memcpy(search, AppSettings.SearchString, n);
    WriteBinarySetting(L"SearchString", search, static_cast<DWORD>(n + 1));
  }
  if (AppSettings.FontSettings.FontName[0] != 0) {
    wchar_t face[FontNameUnits] = {};
    for (int i = 0; i < FontNameUnits - 1 && AppSettings.FontSettings.FontName[i] != 0; ++i) {
      face[i] = static_cast<wchar_t>(AppSettings.FontSettings.FontName[i]);
    }
    WriteStringSetting(L"FontName", face);
  }
  // The rows are the panes' at this moment, not the ones loaded.
  const PaneView* main = mainPane ? *mainPane : nullptr;
  const PaneView* commentary = commentaryPane ? *commentaryPane : nullptr;
  if (main) AppSettings.LastPosition = main->FirstRow;
  if (commentary) AppSettings.BottomSectionLastPosition = commentary->FirstRow;
  for (const NumberSetting& setting : NumberSettings) {
    const int32_t value = setting.Give();
    const bool write = setting.When == Written::Always || (setting.When == Written::IfNotZero && value != 0) ||
                       (setting.When == Written::WithMainPane && main) ||
                       (setting.When == Written::WithCommentaryPane && commentary);
    if (write) WriteDwordSetting(setting.Name, value);
  }
  DestroyPane(mainPane);
  DestroyPane(commentaryPane);
  PostQuitMessage(0);
}

namespace {

// How far a monitor's work area lies from its corner: the normal rectangle
// of a placement counts from the work area (workspace coordinates) of the
// monitor it lies on, not from the screen's origin.
POINT WorkAreaOffset(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return POINT{0, 0};
  return POINT{info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

// Where a top-level window restores to, in screen coordinates, and its
// placement's show state; false when the window cannot tell.
bool RestoredRect(HWND window, RECT* rect, UINT* show) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement) || !GetWindowRect(window, rect)) return false;
  const RECT& normal = placement.rcNormalPosition;
  *show = placement.showCmd;
  const bool minimised = IsIconic(window) || *show == SW_SHOWMINIMIZED || *show == SW_MINIMIZE ||
                         *show == SW_SHOWMINNOACTIVE;
  if (minimised || *show == SW_SHOWMAXIMIZED || IsZoomed(window)) {
    // Only the normal rectangle tells where the window restores to: turn it
    // into screen coordinates with the work area of its own monitor (for a
    // minimised window, whose icon may lie anywhere, the monitor of the
    // rectangle itself).
    const HMONITOR monitor = minimised ? MonitorFromRect(&normal, MONITOR_DEFAULTTONEAREST)
                                        : MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    *rect = normal;
    const POINT offset = WorkAreaOffset(monitor);
    OffsetRect(rect, offset.x, offset.y);
    // A show state that brings a minimised window back.
    if (minimised) *show = (placement.flags & WPF_RESTORETOMAXIMIZED) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  }
  // Otherwise the window's rectangle, as the user sees it: a window snapped
  // to a screen's edge keeps its size from before the snap as its normal
  // rectangle, but it is the snapped one that is on the screen.
  return true;
}

// Writes where a window restores to under the given names, in this order:
// top, left, width, height and (unless null) the show state.
void SavePlacement(HWND window, const wchar_t* const names[5]) {
  RECT rect{};
  UINT show = 0;
  if (!RestoredRect(window, &rect, &show)) return;
  WriteDwordSetting(names[0], rect.top);
  WriteDwordSetting(names[1], rect.left);
  WriteDwordSetting(names[2], rect.right - rect.left);
  WriteDwordSetting(names[3], rect.bottom - rect.top);
  if (names[4]) WriteDwordSetting(names[4], static_cast<int32_t>(show));
}

}  // namespace

void SaveWindowPlacement(HWND window) {
  static const wchar_t* const names[] = {L"Top", L"Left", L"Width", L"Height", L"showCmd"};
  SavePlacement(window, names);
}

namespace {

// The least of a window's caption bar that must lie in one work area for
// a stored place to be kept, in 96-DPI pixels: room to take hold of it.
constexpr int DragHoldWidth = 40;
constexpr int DragHoldHeight = 8;

struct DragHold {
  RECT Bar;  // the caption bar between the system menu's icon and the buttons
  LONG Width, Height;
  bool Found;
};

BOOL CALLBACK FindDragHold(HMONITOR monitor, HDC, RECT*, LPARAM data) {
  auto* hold = reinterpret_cast<DragHold*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT part{};
  hold->Found = GetMonitorInfoW(monitor, &info) && IntersectRect(&part, &hold->Bar, &info.rcWork) &&
                part.right - part.left >= hold->Width && part.bottom - part.top >= hold->Height;
  return !hold->Found;
}

}  // namespace

bool CaptionInReach(const RECT& window) {
  const int dpi = DpiOfWindow(nullptr);
  const LONG frame = MetricForDpi(SM_CYSIZEFRAME, dpi) + MetricForDpi(SM_CXPADDEDBORDER, dpi);
  const LONG caption = MetricForDpi(SM_CYCAPTION, dpi);
  // In 64 bits: a stored place may lie at the end of the coordinates' range.
  auto at = [](int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  DragHold hold{{at(int64_t{window.left} + frame + caption), at(int64_t{window.top} + frame),
                 at(int64_t{window.right} - frame - 3 * MetricForDpi(SM_CXSIZE, dpi)),
                 at(int64_t{window.top} + frame + caption)},
                ScaleForDpi(DragHoldWidth, dpi), ScaleForDpi(DragHoldHeight, dpi), false};
  EnumDisplayMonitors(nullptr, nullptr, FindDragHold, reinterpret_cast<LPARAM>(&hold));
  return hold.Found;
}

namespace {

// A rectangle whose caption cannot be taken hold of (a monitor removed, a
// changed resolution, a bad value) brought whole onto the work area of the
// monitor it overlaps most, or, on no monitor, of the given one (null: the
// nearest); shrunk to it where it is larger. Otherwise it stays as it is.
RECT OntoScreen(RECT wanted, HMONITOR fallback) {
  if (CaptionInReach(wanted)) return wanted;
  // Empty rectangles intersect nothing, so test at least one pixel.
  RECT probe{wanted.left, wanted.top, wanted.right > wanted.left ? wanted.right : wanted.left + 1,
             wanted.bottom > wanted.top ? wanted.bottom : wanted.top + 1};
  HMONITOR monitor = MonitorFromRect(&probe, MONITOR_DEFAULTTONULL);
  if (!monitor) monitor = fallback ? fallback : MonitorFromRect(&probe, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return wanted;
  const RECT& work = info.rcWork;
  const LONG width = std::min(wanted.right - wanted.left, work.right - work.left);
  const LONG height = std::min(wanted.bottom - wanted.top, work.bottom - work.top);
  const LONG left = std::max(work.left, std::min(wanted.left, work.right - width));
  const LONG top = std::max(work.top, std::min(wanted.top, work.bottom - height));
  return RECT{left, top, left + width, top + height};
}

}  // namespace

bool StoredWindowPlacement(int showCommand, RECT* rect, int* show) {
  const int32_t top = ReadSetting(L"Top", 0);
  const int32_t left = ReadSetting(L"Left", 0);
  int32_t width = ReadSetting(L"Width", 0);
  int32_t height = ReadSetting(L"Height", 0);
  *show = ReadSetting(L"showCmd", showCommand);
  // A stored state that would hide the window, or no state at all, leaves the
  // program running with nothing to see: use the state it was started with.
  if (*show <= SW_HIDE || *show > SW_MAX) *show = showCommand;
  if (width <= 0 && height <= 0) return false;
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  const int64_t right = static_cast<int64_t>(left) + width;
  const int64_t bottom = static_cast<int64_t>(top) + height;
  if (right > INT32_MAX || bottom > INT32_MAX) {
    // Beyond the coordinates' range: on no screen, with its size.
    *rect = OntoScreen(RECT{INT32_MIN, INT32_MIN, INT32_MIN + width, INT32_MIN + height}, nullptr);
    return true;
  }
  *rect = OntoScreen(RECT{left, top, static_cast<LONG>(right), static_cast<LONG>(bottom)}, nullptr);
  return true;
}

void RestoreWindowPlacement(HWND window, int showCommand) {
  RECT rect{};
  int show = showCommand;
  if (StoredWindowPlacement(showCommand, &rect, &show)) {
    MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
  }
  ShowWindow(window, show);
}

void SetCurrentArticle(int32_t n) {
  if (n == 0) {
    if (AppSettings.Lesson == 0) {
      AppSettings.Lesson = 1;
      AppSettings.LastPosition = 0;
    }
    return;
  }
  if (AppSettings.Lesson == static_cast<uint16_t>(n)) return;
  AppSettings.Lesson = static_cast<uint16_t>(n);
  AppSettings.LastPosition = 0;
}

void* AllocOrDie(size_t bytes) {
  // The out-of-memory exit runs once: a failure while its message box is up,
  // or after it, only reports null to its caller.
  void* block = std::malloc(bytes ? bytes : 1);
  if (block) return block;
  if (OutOfMemoryExitBegun) return nullptr;
  OutOfMemoryExitBegun = true;
  MessageBoxW(MessageBoxOwner, L"There is not enough memory, aborting", L"Error", MB_OK | MB_ICONERROR);
  if (Loading) {
    // The settings are not all read yet: end without saving anything.
    LoadStopped = true;
    PostQuitMessage(0);
  } else if (OutOfMemoryExit) {
    OutOfMemoryExit();
  } else {
    SaveSettings(nullptr, nullptr);
  }
  return nullptr;
}

namespace {

constexpr const wchar_t* ResultsPlaceNames[] = {L"ResultsTop", L"ResultsLeft", L"ResultsWidth", L"ResultsHeight",
                                                nullptr};
constexpr const wchar_t* NotesPlaceNames[] = {L"NotesTop", L"NotesLeft", L"NotesWidth", L"NotesHeight", nullptr};

// A tool window's stored place under names (top, left, width, height).
bool ReadToolPlacement(const wchar_t* const names[], RECT* rect, HMONITOR fallback) {
  const int32_t width = ReadSetting(names[2], 0);
  const int32_t height = ReadSetting(names[3], 0);
  const int32_t left = ReadSetting(names[1], 0);
  const int32_t top = ReadSetting(names[0], 0);
  if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF || left < -0x7FFF || left > 0x7FFF ||
      top < -0x7FFF || top > 0x7FFF) {
    return false;
  }
  *rect = OntoScreen(RECT{left, top, left + width, top + height}, fallback);
  return true;
}

}  // namespace

bool ReadResultsPlacement(RECT* rect, HMONITOR fallback) {
  return ReadToolPlacement(ResultsPlaceNames, rect, fallback);
}

void SaveResultsPlacement(HWND window) { SavePlacement(window, ResultsPlaceNames); }

bool ReadNotesPlacement(RECT* rect, HMONITOR fallback) { return ReadToolPlacement(NotesPlaceNames, rect, fallback); }

void SaveNotesPlacement(HWND window) { SavePlacement(window, NotesPlaceNames); }
