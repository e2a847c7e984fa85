// Text records: the compressed texts carried as RT_RCDATA resources 1001..11716
// of the program's own module, their loader and the decompressor.
//
// A record is: block length (u16 BE, record size - 6), two tags, then the
// record block: compressed length (u16 BE), text length (u16 BE), the
// compressed stream, four zero bytes. The loader returns the decompressed
// text in a malloc'ed buffer of text length + 3 bytes, the last three 0; the
// caller owns it.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int32_t RecordCount = 10716;
constexpr int32_t RecordIdBase = 1000;  // record n is resource 1000 + n
constexpr int32_t RecordHeaderBytes = 6;
constexpr int32_t BlockHeaderBytes = 4;

// Result codes reported through the loader's optional out-parameter.
enum RecordResult : int32_t {
  RecordOk = 0,
  RecordMissing = 1,      // no resource 1000 + n
  RecordUnreadable = 2,   // size 0, not loadable, or no memory for the text
  RecordBadBlock = 3,     // block length below 5 or compressed length 0
  RecordNothing = 4,      // text length 0 or no stream
  RecordStreamShort = 5,  // the stream ran out (or is damaged); message shown
};

// The decoding loop alone: decodes stream into out, which has room for
// textLength bytes, and returns the number of bytes written. The result equals
// textLength exactly when the stream was complete and sound. A back-reference
// reaching before the start of the output (distance 0 or beyond what was
// written) or a token whose operand lies past the stream's end stops the
// decoding there. Never reads outside stream[0, streamLength) or writes
// outside out[0, textLength).
size_t DecodeStream(const unsigned char* stream, size_t streamLength, unsigned char* out,
                    size_t textLength);

// Decompresses a whole stream into a new buffer (codes 2, 4, 5).
unsigned char* UnCompress(const unsigned char* stream, int32_t streamLength, int32_t textLength,
                          int32_t* code);

// Reads compressed length and text length from a record block of length bytes
// and decompresses the stream that follows (codes 3 and those of UnCompress).
unsigned char* ParseRecordBlock(const unsigned char* block, int32_t length, int32_t* code);

// Shown by UnCompress when a stream runs out: "UnCompress() buffer error!".
// The Windows build shows the message box; the platform-free build has a
// stand-in that the tests can observe.
void ShowDecodeError();

#ifndef _WIN32
extern int DecodeErrorsShown;  // messages the platform-free stand-in counted
#else
#include <windows.h>
// Finds record n in the record module, loads and decompresses it.
// n <= 0: null at once, code untouched.
unsigned char* LoadTextRecord(int32_t n, int32_t* code);

// The module whose resources hold the records: null (the default) means the
// program's own module. Tests point it at the built program.
extern HMODULE RecordModule;

// The window that owns the message boxes of the lower layers (the
// decompressor's, and the out-of-memory one), so that nothing can be done
// in it while they show. The shell points it at the main window once that
// exists and clears it when the window goes; null: no owner.
extern HWND MessageBoxOwner;
#endif
