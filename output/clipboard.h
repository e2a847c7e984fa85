// Copy and Append: the text of a pane on the clipboard.
#pragma once
#include "layout/paneview.h"

// Replaces the clipboard's contents, or with append extends what is there.
void CopyPaneToClipboard(PaneView* pane, bool append);
