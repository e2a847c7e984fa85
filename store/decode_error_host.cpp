// Platform-free stand-in for the decompressor's message box: counts the
// messages that would have been shown.
#include "store/records.h"

int DecodeErrorsShown;

void ShowDecodeError() { ++DecodeErrorsShown; }
