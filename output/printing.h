// Printing a pane: page setup, then the pane's text page by page.
#pragma once
#include "layout/paneview.h"

void PrintPane(PaneView* pane);
