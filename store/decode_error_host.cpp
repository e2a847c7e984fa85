// Platform-free stand-ins: the decompressor's message box, which counts the
// messages that would have been shown, and the absent names resource.
#include "store/records.h"
#include "store/tractates.h"

int DecodeErrorsShown;

void ShowDecodeError() { ++DecodeErrorsShown; }

// No module, so no names resource: the built-in names serve.
bool FindCorpusNames(const unsigned char**, size_t*) { return false; }
