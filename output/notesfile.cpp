#include "output/notesfile.h"

#include <shlobj.h>

#include <cstdlib>
#include <cwchar>

#include "output/notes_rtf.h"
#include "store/product.h"

NotesFileCallTable NotesFileCalls = {CreateFileW, WriteFile, FlushFileBuffers, CloseHandle, MoveFileExW, DeleteFileW};

namespace {

constexpr wchar_t FileName[] = L"Notes.txt";
constexpr wchar_t NewSuffix[] = L".new";
constexpr DWORD WriteChunk = 1u << 20;

// folder + "\" + name (+ suffix) into out; false when it does not fit.
bool Join(const wchar_t* folder, const wchar_t* name, const wchar_t* suffix, wchar_t out[MAX_PATH]) {
  const int n = std::swprintf(out, MAX_PATH, L"%ls\\%ls%ls", folder, name, suffix);
  return n > 0 && n < MAX_PATH;
}

// Makes the folder and those above it that are missing.
bool MakeFolder(const wchar_t* folder) {
  wchar_t path[MAX_PATH];
  const size_t n = std::wcslen(folder);
  if (n >= MAX_PATH) return false;
  for (size_t k = 0; k <= n; ++k) {
    path[k] = folder[k];
    if ((folder[k] == L'\\' || folder[k] == 0) && k > 0 && folder[k - 1] != L':' && folder[k - 1] != L'\\') {
      path[k] = 0;
      CreateDirectoryW(path, nullptr);  // there already, or made; checked below
      path[k] = folder[k];
    }
  }
  const DWORD attributes = GetFileAttributesW(folder);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads a whole file into a malloc'ed block. NotesOk; NotesUnreadable with
// *missing set when there is no such file; NotesRefused when it is larger
// than any notes file; NotesNoMemory.
int32_t ReadWholeFile(const wchar_t* path, char** bytes, size_t* size, bool* missing) {
  *bytes = nullptr;
  *size = 0;
  *missing = false;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    *missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return NotesUnreadable;
  }
  LARGE_INTEGER length;
  int32_t result = NotesOk;
  if (!GetFileSizeEx(file, &length)) {
    result = NotesUnreadable;
  } else if (length.QuadPart > static_cast<LONGLONG>(MaxNotesFileBytes)) {
    result = NotesRefused;
  } else {
    const size_t total = static_cast<size_t>(length.QuadPart);
    *bytes = static_cast<char*>(std::malloc(total + 1));
    if (!*bytes) result = NotesNoMemory;
    while (result == NotesOk && *size < total) {
      DWORD got = 0;
      const DWORD want = total - *size > WriteChunk ? WriteChunk : static_cast<DWORD>(total - *size);
      if (!ReadFile(file, *bytes + *size, want, &got, nullptr) || got == 0) result = NotesUnreadable;
      *size += got;
    }
  }
  CloseHandle(file);
  if (result != NotesOk) {
    std::free(*bytes);
    *bytes = nullptr;
    *size = 0;
  }
  return result;
}

// Keeps a damaged file aside under a name of its own; false when no copy
// could be made (the file then stays as the only copy).
bool KeepAside(const wchar_t* folder, const wchar_t* path, wchar_t copy[MAX_PATH]) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  for (int attempt = 1; attempt <= 20; ++attempt) {
    wchar_t name[64];
    std::swprintf(name, 64, L"Notes-damaged-%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    wchar_t suffix[16] = L".txt";
    if (attempt > 1) std::swprintf(suffix, 16, L"-%d.txt", attempt);
    if (!Join(folder, name, suffix, copy)) break;
    if (CopyFileW(path, copy, TRUE)) return true;
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  copy[0] = 0;
  return false;
}

// Writes a block made by a writer (counted with null first), as a save does.
template <typename Writer>
int32_t WriteMade(const wchar_t* path, Writer write) {
  const size_t size = write(nullptr);
  if (size == 0) return NotesNoMemory;
  char* bytes = static_cast<char*>(std::malloc(size + 1));
  if (!bytes) return NotesNoMemory;
  write(bytes);
  const int32_t result = WriteWholeFile(path, bytes, size);
  std::free(bytes);
  return result;
}

}  // namespace

bool NotesFolder(wchar_t folder[MAX_PATH]) {
  // Loaded from the system folder by its full path (never from beside the
  // program) and not imported, so that the reader starts without it.
  wchar_t dll[MAX_PATH];
  const UINT n = GetSystemDirectoryW(dll, MAX_PATH);
  if (n == 0 || n >= MAX_PATH - 16) return false;
  std::wcscat(dll, L"\\shell32.dll");
  HMODULE shell = GetModuleHandleW(L"shell32.dll");
  if (!shell) shell = LoadLibraryW(dll);
  if (!shell) return false;
  using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
  const auto get = reinterpret_cast<GetFolderPath>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathW")));
  wchar_t appData[MAX_PATH];
  if (!get || get(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData) != S_OK || !appData[0]) return false;
  const int k = std::swprintf(folder, MAX_PATH, L"%ls\\Quillary\\Orvane", appData);
  return k > 0 && k < MAX_PATH;
}

int32_t WriteWholeFile(const wchar_t* path, const char* bytes, size_t size) {
  wchar_t fresh[MAX_PATH];
  const int n = std::swprintf(fresh, MAX_PATH, L"%ls%ls", path, NewSuffix);
  if (n <= 0 || n >= MAX_PATH) return NotesWriteFailed;
  HANDLE file = NotesFileCalls.Create(fresh, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return NotesWriteFailed;
  bool ok = true;
  for (size_t done = 0; ok && done < size;) {
    const DWORD want = size - done > WriteChunk ? WriteChunk : static_cast<DWORD>(size - done);
    DWORD wrote = 0;
    ok = NotesFileCalls.Write(file, bytes + done, want, &wrote, nullptr) && wrote == want;
    done += want;
  }
  ok = ok && NotesFileCalls.Flush(file);
  ok = NotesFileCalls.Close(file) && ok;
  ok = ok && NotesFileCalls.Move(fresh, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) NotesFileCalls.Remove(fresh);
  return ok ? NotesOk : NotesWriteFailed;
}

int32_t SaveNotesTo(const wchar_t* folder, const NoteList* list) {
  if (list->ReadOnly) return NotesReadOnlyList;
  wchar_t path[MAX_PATH];
  if (!Join(folder, FileName, L"", path) || !MakeFolder(folder)) return NotesNoFolder;
  return WriteMade(path, [list](char* out) { return WriteNotesText(list, -1, out); });
}

int32_t SaveNotes(const NoteList* list) {
  wchar_t folder[MAX_PATH];
  return NotesFolder(folder) ? SaveNotesTo(folder, list) : NotesNoFolder;
}

int32_t SaveNotesOrSay(HWND owner, const NoteList* list) {
  const int32_t result = SaveNotes(list);
  if (result == NotesOk || result == NotesReadOnlyList) return result;
  MessageBoxW(owner,
              L"The notes could not be saved in the notes file.\n\n"
              L"This change is kept only until the reader is closed.",
              PRODUCT_NAME, MB_OK | MB_ICONWARNING);
  return result;
}

int32_t LoadNotesFrom(const wchar_t* folder, NoteList* list, NotesLoadReport* report) {
  *report = NotesLoadReport{};
  wchar_t path[MAX_PATH], fresh[MAX_PATH];
  if (!Join(folder, FileName, L"", path) || !Join(folder, FileName, NewSuffix, fresh)) {
    return report->Result = NotesNoFolder;
  }
  // A save cut short: the file is the old one whole.
  NotesFileCalls.Remove(fresh);
  char* bytes = nullptr;
  size_t size = 0;
  bool missing = false;
  int32_t result = ReadWholeFile(path, &bytes, &size, &missing);
  if (missing) return report->Result = NotesOk;
  if (result == NotesOk) {
    ReadNotesText(bytes, size, list, &report->Read);
    if (report->Read.Refused) result = NotesRefused;
    else if (report->Read.OutOfMemory) result = NotesNoMemory;
    else if (report->Read.Later) result = NotesLaterVersion;
    else if (report->Read.DamagedLines || report->Read.NotesLost) result = NotesDamaged;
  }
  std::free(bytes);
  if (result == NotesRefused) FreeNotes(list);
  if (result == NotesDamaged) {
    // Never written over: kept aside first, then what was read put in its
    // place; without a copy the file stays and nothing is saved.
    if (KeepAside(folder, path, report->DamagedCopy)) SaveNotesTo(folder, list);
    else list->ReadOnly = true;
  } else if (result != NotesOk) {
    list->ReadOnly = true;  // a file this run could not read whole is not written over
  }
  return report->Result = result;
}

int32_t ExportNotesText(const wchar_t* path, const NoteList* list, int32_t tractate) {
  return WriteMade(path, [list, tractate](char* out) { return WriteNotesText(list, tractate, out); });
}

int32_t ExportNotesRtf(const wchar_t* path, const NoteList* list, int32_t tractate) {
  return WriteMade(path, [list, tractate](char* out) { return NotesRtfDocument(list, tractate, out); });
}

int32_t ImportNotes(const wchar_t* path, NoteList* list, int32_t* added, NotesReadReport* report) {
  *added = 0;
  *report = NotesReadReport{};
  if (list->ReadOnly) return NotesReadOnlyList;
  char* bytes = nullptr;
  size_t size = 0;
  bool missing = false;
  const int32_t read = ReadWholeFile(path, &bytes, &size, &missing);
  if (read != NotesOk) return read;
  NoteList found{};
  ReadNotesText(bytes, size, &found, report);
  std::free(bytes);
  int32_t result = NotesOk;
  if (report->Refused) result = NotesRefused;
  else if (report->OutOfMemory) result = NotesNoMemory;
  else if (report->Later) result = NotesLaterVersion;
  else if (report->DamagedLines || report->NotesLost) result = NotesDamaged;
  if (result == NotesRefused) {
    FreeNotes(&found);
    return result;
  }
  *added = MergeNotes(list, &found);
  return result;
}

void SayNotesLoad(HWND owner, const NotesLoadReport& report) {
  wchar_t text[MAX_PATH + 400];
  switch (report.Result) {
    case NotesDamaged: {
      wchar_t what[160];
      if (report.Read.DamagedLines) {
        std::swprintf(what, 160, L"%d lines could not be read, the first at line %d",
                      static_cast<int>(report.Read.DamagedLines), static_cast<int>(report.Read.FirstDamaged));
      } else {
        std::swprintf(what, 160, L"%d notes in it were incomplete", static_cast<int>(report.Read.NotesLost));
      }
      if (report.DamagedCopy[0]) {
        std::swprintf(text, sizeof text / sizeof text[0],
                      L"The notes file was damaged (%ls). It has been kept as\n%ls\n\n"
                      L"%d notes could be read from it.",
                      what, report.DamagedCopy, static_cast<int>(report.Read.NotesRead));
      } else {
        std::swprintf(text, sizeof text / sizeof text[0],
                      L"The notes file is damaged (%ls) and no copy of it could be kept. %d notes could be read "
                      L"from it; they are read-only, and the file is left as it is.",
                      what, static_cast<int>(report.Read.NotesRead));
      }
      break;
    }
    case NotesLaterVersion:
      std::swprintf(text, sizeof text / sizeof text[0], L"%ls",
                    L"The notes file was written by a later version of the reader. Its notes are shown but "
                    L"cannot be changed, and the file is left as it is.");
      break;
    case NotesRefused:
      std::swprintf(text, sizeof text / sizeof text[0], L"%ls",
                    L"The notes file is too large to be a notes file (over 64 MB or a million notes). It was "
                    L"not read and is left as it is.");
      break;
    case NotesUnreadable:
    case NotesNoMemory:
      std::swprintf(text, sizeof text / sizeof text[0], L"%ls",
                    L"The notes file could not be read whole. Its notes are read-only until the reader is "
                    L"started again, and the file is left as it is.");
      break;
    default:
      return;
  }
  MessageBoxW(owner, text, PRODUCT_NAME, MB_OK | MB_ICONWARNING);
}
