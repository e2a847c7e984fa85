// The notes file on disk: a save cut short at every call leaves the old
// notes or the new ones whole; what a load does with each kind of file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "output/notesfile.h"

namespace {

std::wstring TestFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"orvane-notes-test\\sub";
}

std::string FileBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return "(missing)";
  char block[65536];
  DWORD got = 0;
  while (ReadFile(f, block, sizeof block, &got, nullptr) && got) bytes.append(block, got);
  CloseHandle(f);
  return bytes;
}

void PutFile(const std::wstring& path, const std::string& bytes, LONGLONG size = -1) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD wrote = 0;
  WriteFile(f, bytes.data(), DWORD(bytes.size()), &wrote, nullptr);
  if (size >= 0) {
    LARGE_INTEGER at;
    at.QuadPart = size;
    SetFilePointerEx(f, at, nullptr, FILE_BEGIN);
    SetEndOfFile(f);
  }
  CloseHandle(f);
}

void EmptyFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
  while (h != INVALID_HANDLE_VALUE) {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    if (!FindNextFileW(h, &found)) break;
  }
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

std::string TextOf(const NoteList& list) {
  std::string text(WriteNotesText(&list, -1, nullptr), '\0');
  WriteNotesText(&list, -1, text.data());
  return text;
}

// Notes of lines of count units each (over a write's block in all).
void Fill(NoteList* list, int notes, wchar_t letter) {
  NoteAnchor anchor{};
  anchor.Lesson = 1;
  anchor.Length = 1;
  anchor.Passage[0] = 'a';
  anchor.Start = anchor.End = NoNoteOffset;
  const std::wstring text(20000, letter);
  for (int i = 0; i < notes; ++i) AddNote(list, anchor, text.c_str(), int32_t(text.size()), 1000 + i);
}

// A process that stops at a call: that call and every later one do nothing
// but fail (a write is torn halfway); the system closes what was open.
int Calls, StopAt;
HANDLE WINAPI Create(LPCWSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g) {
  return Calls++ < StopAt ? CreateFileW(a, b, c, d, e, f, g) : INVALID_HANDLE_VALUE;
}
BOOL WINAPI Write(HANDLE h, LPCVOID bytes, DWORD size, LPDWORD wrote, LPOVERLAPPED o) {
  if (Calls++ < StopAt) return WriteFile(h, bytes, size, wrote, o);
  WriteFile(h, bytes, size / 2, wrote, o);
  return FALSE;
}
BOOL WINAPI Flush(HANDLE h) { return Calls++ < StopAt && FlushFileBuffers(h); }
BOOL WINAPI Close(HANDLE h) { return CloseHandle(h) && Calls++ < StopAt; }
BOOL WINAPI Move(LPCWSTR a, LPCWSTR b, DWORD flags) { return Calls++ < StopAt && MoveFileExW(a, b, flags); }
BOOL WINAPI Remove(LPCWSTR a) { return Calls++ < StopAt && DeleteFileW(a); }

TEST(NotesFile, SaveCutShortAtEveryCallLeavesOneWholeFile) {
  wchar_t home[MAX_PATH];
  ASSERT_TRUE(NotesFolder(home));
  EXPECT_NE(std::wstring(home).find(L"\\AppData\\Roaming\\Quillary\\Orvane"), std::wstring::npos) << home;
  const std::wstring folder = TestFolder();
  NoteList old{}, changed{};
  Fill(&old, 60, L'o');  // 1.2 MB: two blocks
  Fill(&changed, 80, L'n');
  const std::string oldText = TextOf(old), newText = TextOf(changed);
  const NotesFileCallTable real = NotesFileCalls;
  int32_t result = NotesWriteFailed;
  for (StopAt = 0; result != NotesOk; ++StopAt) {
    NotesFileCalls = real;
    ASSERT_EQ(SaveNotesTo(folder.c_str(), &old), NotesOk);
    Calls = 0;
    NotesFileCalls = NotesFileCallTable{Create, Write, Flush, Close, Move, Remove};
    result = SaveNotesTo(folder.c_str(), &changed);
    NotesFileCalls = real;
    NoteList loaded{};
    NotesLoadReport report;
    EXPECT_EQ(LoadNotesFrom(folder.c_str(), &loaded, &report), NotesOk) << StopAt;
    EXPECT_EQ(TextOf(loaded), result == NotesOk ? newText : oldText) << StopAt;
    EXPECT_EQ(FileBytes(folder + L"\\Notes.txt.new"), "(missing)") << StopAt;
    FreeNotes(&loaded);
    ASSERT_LT(StopAt, 20);
  }
  EXPECT_EQ(StopAt, 7) << "create, two writes, flush, close, move: each cut once";
  FreeNotes(&old);
  FreeNotes(&changed);
  EmptyFolder(folder);
}

TEST(NotesFile, LoadKeepsEveryFileItCannotTakeWhole) {
  const std::wstring folder = TestFolder(), path = folder + L"\\Notes.txt";
  const std::string note = "[note]\npage: 5 main\npassage: \xD7\x92\ntext: x\n";
  const struct { std::string file; LONGLONG size; int32_t result; int32_t notes; bool kept, readOnly; } cases[] = {
      {"Orvane notes 1\n" + note + "bogus\n" + note + "page: 3 main\n", -1, NotesDamaged, 2, false, false},
      {"Orvane notes 1\n\xC0\x80\n" + note, -1, NotesDamaged, 1, false, false},
      {"Orvane notes 7\n[new]\n" + note, -1, NotesLaterVersion, 1, true, true},
      {"Orvane notes 1\n" + note, 64 << 20 | 1, NotesRefused, 0, true, true},
      {"Orvane notes 1\n" + note, -1, NotesOk, 1, true, false},
      {"", -2, NotesOk, 0, true, false},  // no file
  };
  for (const auto& c : cases) {
    EmptyFolder(folder);
    NoteList made{};
    ASSERT_EQ(SaveNotesTo(folder.c_str(), &made), NotesOk);  // the folder made
    if (c.size == -2) DeleteFileW(path.c_str());
    else PutFile(path, c.file, c.size);
    PutFile(path + L".new", "half a save");
    const std::string before = FileBytes(path);
    NoteList list{};
    NotesLoadReport report;
    EXPECT_EQ(LoadNotesFrom(folder.c_str(), &list, &report), c.result) << c.file;
    EXPECT_EQ(list.Count, c.notes) << c.file;
    EXPECT_EQ(list.ReadOnly, c.readOnly) << c.file;
    EXPECT_EQ(FileBytes(path + L".new"), "(missing)");
    if (c.kept) {
      EXPECT_TRUE(FileBytes(path) == before) << c.file;
    }
    if (c.readOnly) {
      EXPECT_EQ(SaveNotesTo(folder.c_str(), &list), NotesReadOnlyList);
    }
    if (c.result == NotesDamaged) {
      // The damaged file aside as it was; in its place what was read.
      const std::wstring copy = report.DamagedCopy;
      EXPECT_NE(copy.find(L"\\Notes-damaged-"), std::wstring::npos);
      EXPECT_EQ(FileBytes(copy), before);
      NoteList again{};
      EXPECT_EQ(LoadNotesFrom(folder.c_str(), &again, &report), NotesOk);
      EXPECT_EQ(TextOf(again), TextOf(list));
      // Damaged again within the same second: another copy, the first kept.
      PutFile(path, c.file);
      FreeNotes(&again);
      EXPECT_EQ(LoadNotesFrom(folder.c_str(), &again, &report), NotesDamaged);
      EXPECT_NE(std::wstring(report.DamagedCopy), copy);
      EXPECT_EQ(FileBytes(copy), before);
      FreeNotes(&again);
    }
    FreeNotes(&list);
  }
  EmptyFolder(folder);
}

}  // namespace
