// References that come from outside the panes: the Go To command, the
// reference a start is given on its command line (typed, or an orvane: link
// the system hands over), and the one a second start hands to the reader
// that runs already (WM_COPYDATA). Each is read against the page being read
// and gone to as a jump that Back undoes; one that names no page leaves the
// reader where it is and a box says why.
//
// Owns: the reference handed over and not yet gone to (one at a time);
// written only here.
#pragma once
#include <windows.h>

// The arguments after the program's name, split as the system's command-line
// rules split them (spaces and tabs between, "..." grouping, \" a quote),
// joined by single spaces. A new string the caller frees; null when memory
// ran out.
wchar_t* JoinedArguments(const wchar_t* commandLine);

// Goes to the page text names: a reference or a link's argument (with or
// without "orvane:", percent-encoded). False, after a box over the window
// that says why, when it names none.
bool GoToReference(HWND window, const wchar_t* text);
// Go > Go To: the dialog, then the page chosen.
void GoToCommand(HWND window);

// A second start's reference for the reader whose window is running: sent
// for it to go to, and come to the front, by itself. A reader that cannot
// be reached (it runs with higher rights, or hangs) is told of in a box.
void HandReferenceOver(HWND running, const wchar_t* text);

// The WM_COPYDATA marker of a reference handed over, and the message the
// reader posts itself to go there once the sender has been answered.
constexpr ULONG_PTR HandedOverReference = 0x4F524546;  // "OREF"
constexpr UINT ReferenceArrived = WM_APP + 0x151;
// The main window's WM_COPYDATA: TRUE when it was a reference (copied, and
// ReferenceArrived posted); FALSE for anything else.
LRESULT TakeHandedOverReference(HWND window, const COPYDATASTRUCT* data);
// ReferenceArrived: the window comes to the front (restored when minimised)
// and goes to the reference; with a modal dialog open or a print job
// running (the window disabled) it only comes to the front.
void OnReferenceArrived(HWND window);
// Frees a reference still waiting (the window is going).
void ForgetHandedOverReference();
