// A GDI object selected into a device context for one scope: when the guard
// leaves, the object that was selected before is selected back, and an
// object the guard owns is deleted after that. Drawing helpers take what
// they draw with this way and give the DC back as they found it.
#pragma once
#include <windows.h>

struct SelectedObject {
  HDC Dc;
  HGDIOBJ Object;
  HGDIOBJ Old;
  bool Owned;
  // A null object selects nothing (and an owned null deletes nothing).
  SelectedObject(HDC dc, HGDIOBJ object, bool owned = false)
      : Dc(dc), Object(object), Old(object ? SelectObject(dc, object) : nullptr), Owned(owned) {}
  ~SelectedObject() {
    if (Old) SelectObject(Dc, Old);
    if (Owned && Object) DeleteObject(Object);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
};
