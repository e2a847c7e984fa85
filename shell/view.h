// The View menu's night colours and full screen (its zoom items are in
// shell/places.h).
//
// Owns: the full-screen state, that is the window as it was before (styles,
// placement, menu bar); written only here. Writes AppSettings.NightColours.
#pragma once
#include <windows.h>

// The main window's menu bar, also while full screen has taken it off the
// window: whatever checks, greys or fills its items uses this.
HMENU MainMenu(HWND window);

// Gives the panes, the results list and (on Windows 11) the title bar the
// scheme AppSettings.NightColours names, and sets the menu's check mark. Run
// when the window is created, before its first paint, and on every change.
void ApplyColourScheme(HWND window);
// The Night Colours command: the other scheme, painted at once.
void ToggleNightColours(HWND window);
// WM_ERASEBKGND: the client area in the scheme's page colour.
void EraseBackground(HWND window, HDC dc);

bool InFullScreen();
// The Full Screen command: in or out.
void ToggleFullScreen(HWND window);
// Out of full screen (Esc, and at exit before the placement is saved),
// putting back exactly the window that was there; nothing when not in it.
void LeaveFullScreen(HWND window);
// WM_DPICHANGED in full screen (the main window's DPI going from fromDpi to
// toDpi): the window covers the monitor of the suggested rectangle, and the
// window to come back to is carried there, its size scaled. False (nothing
// done) when not in full screen.
bool FullScreenDpiChanged(HWND window, const RECT& suggested, int fromDpi, int toDpi);
// WM_SYSCOMMAND's SC_KEYMENU (Alt, Alt+letter) in full screen, which shows no
// menu bar: the whole menu, or the popup whose mnemonic is key, drops down
// from the monitor's top left corner. False (nothing done) when not in full
// screen.
bool OpenMenuInFullScreen(HWND window, wchar_t key);
