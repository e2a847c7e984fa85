// Loading articles into the panes: the main record Lesson and its commentary
// Lesson + 1. Every change of the shown article goes through here; the
// commands, the search and the window's creation call it, and it calls only
// the split view (for repainting) below it.
//
// Writes: Lesson (through SetCurrentArticle), the panes' texts and FirstRow.
#pragma once
#include <windows.h>

#include <cstdint>

// GoToRecord's "reload the main pane from Lesson without changing it".
constexpr int32_t ReloadMainRecord = static_cast<int32_t>(0xF4FFF500u);

// Makes record n current and shows it with its commentary, both from their
// first row: 0, or 1 when the record did not load (Lesson is put back).
int GoToRecord(HWND window, int32_t n);
// Loads record Lesson + 1 into the commentary pane: 0, or the result of the
// "Resource not found" box (the pane keeps its text).
int LoadCommentary(HWND window);
// At start-up: loads Lesson and its commentary into the new panes at the
// stored scroll positions.
void LoadStoredArticle(HWND window);
