#include "shell/menus.h"

int SetMenuCheck(HMENU menu, bool setMode, UINT item, uint32_t value) {
  bool checked;
  if (setMode) {
    checked = value != 0;
  } else {
    const UINT state = GetMenuState(menu, item, MF_BYCOMMAND);
    checked = state == static_cast<UINT>(-1) || !(state & MF_CHECKED);
  }
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = checked ? MFS_CHECKED : MFS_UNCHECKED;
  SetMenuItemInfoW(menu, item, FALSE, &info);
  return checked ? 1 : 0;
}
