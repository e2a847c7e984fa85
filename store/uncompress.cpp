// The record decompressor. Platform-free: the Windows build adds the loader
// and the message box (records_win32.cpp).
#include <cstdlib>
#include <cstring>

#include "store/records.h"

namespace {

// Token classes of the control byte.
constexpr unsigned LiteralRunMax = 0x08;     // 0x01..0x08: that many raw bytes follow
constexpr unsigned BackReference = 0x80;     // 0x80..0xBF: with the next byte, distance and length
constexpr unsigned SpacePair = 0xC0;         // 0xC0..0xFF: a space and (c - 0x80)
constexpr size_t LongestToken = 10;          // bytes one token can write
constexpr size_t LongestOperand = 8;         // bytes one token can read after its control byte

inline unsigned BigEndian16(const unsigned char* p) { return (unsigned(p[0]) << 8) | p[1]; }

}  // namespace

size_t DecodeStream(const unsigned char* in, size_t inLength, unsigned char* out, size_t outLength) {
  size_t ip = 0;  // next stream byte
  size_t op = 0;  // next output byte; out[0, op) is the text so far

  // Fast loop: while a whole token, with its operands, fits both in what is
  // left of the stream and, with slack of 16 bytes, in what is left of the
  // output, no per-byte bound checks are needed. Copies may write a few bytes
  // beyond the token's end; they stay below outLength and are overwritten by
  // the following tokens.
  while (op + 16 <= outLength && ip + 1 + LongestOperand <= inLength) {
    const unsigned c = in[ip++];
    if (c >= SpacePair) {
      out[op] = ' ';
      out[op + 1] = static_cast<unsigned char>(c - 0x80);
      op += 2;
    } else if (c >= BackReference) {
      const unsigned w = (c << 8) | in[ip++];
      const size_t distance = (w >> 3) & 0x7FF;
      const size_t length = (w & 7) + 3;
      if (distance == 0 || distance > op) return op;  // reaches before the text
      unsigned char* d = out + op;
      const unsigned char* s = d - distance;
      if (distance >= 8) {
        // The first 8 source bytes lie wholly before d; the last two may be
        // bytes this copy has just written, as a byte-by-byte copy would read.
        std::memcpy(d, s, 8);
        std::memcpy(d + 8, s + 8, 2);
      } else if (distance == 1) {
        std::memset(d, *s, LongestToken);
      } else {
        for (size_t i = 0; i < length; ++i) d[i] = s[i];  // repeats the last distance bytes
      }
      op += length;
    } else if (c >= 1 && c <= LiteralRunMax) {
      std::memcpy(out + op, in + ip, LongestOperand);
      ip += c;
      op += c;
    } else {
      out[op++] = static_cast<unsigned char>(c);
    }
  }

  // Careful loop for the last tokens: every byte written is checked against
  // the end of the output, every operand against the end of the stream.
  while (op < outLength && ip < inLength) {
    const unsigned c = in[ip++];
    if (c >= SpacePair) {
      out[op++] = ' ';
      if (op == outLength) break;
      out[op++] = static_cast<unsigned char>(c - 0x80);
    } else if (c >= BackReference) {
      if (ip >= inLength) break;  // the distance byte is missing
      const unsigned w = (c << 8) | in[ip++];
      const size_t distance = (w >> 3) & 0x7FF;
      size_t length = (w & 7) + 3;
      if (distance == 0 || distance > op) break;
      if (length > outLength - op) length = outLength - op;
      for (size_t i = 0; i < length; ++i, ++op) out[op] = out[op - distance];
    } else if (c >= 1 && c <= LiteralRunMax) {
      size_t n = c;
      if (n > outLength - op) n = outLength - op;  // the output fills first: rest unread
      if (n > inLength - ip) n = inLength - ip;    // the stream ends inside the run
      std::memcpy(out + op, in + ip, n);
      ip += n;
      op += n;
    } else {
      out[op++] = static_cast<unsigned char>(c);
    }
  }
  return op;
}

unsigned char* UnCompress(const unsigned char* stream, int32_t streamLength, int32_t textLength,
                          int32_t* code) {
  if (textLength <= 0 || !stream) {
    if (code) *code = RecordNothing;
    return nullptr;
  }
  // Three 0 bytes end every text: a paragraph walk that meets a style byte as
  // the last text byte still finds its parameter byte, a terminator and an
  // ending 0 style byte inside the buffer.
  auto* text = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(textLength) + 3));
  if (!text) {
    if (code) *code = RecordUnreadable;
    return nullptr;
  }
  const size_t inLength = streamLength > 0 ? static_cast<size_t>(streamLength) : 0;
  if (DecodeStream(stream, inLength, text, static_cast<size_t>(textLength)) ==
      static_cast<size_t>(textLength)) {
    std::memset(text + textLength, 0, 3);
    return text;
  }
  std::free(text);
  ShowDecodeError();
  if (code) *code = RecordStreamShort;
  return nullptr;
}

unsigned char* ParseRecordBlock(const unsigned char* block, int32_t length, int32_t* code) {
  if (!block || length < 5) {
    if (code) *code = RecordBadBlock;
    return nullptr;
  }
  int32_t streamLength = static_cast<int32_t>(BigEndian16(block));
  if (streamLength == 0) {
    if (code) *code = RecordBadBlock;
    return nullptr;
  }
  const int32_t textLength = static_cast<int32_t>(BigEndian16(block + 2));
  // A stream claimed longer than the block holds is read only as far as the
  // block goes; if it then runs out, that is a short stream.
  if (streamLength > length - BlockHeaderBytes) streamLength = length - BlockHeaderBytes;
  return UnCompress(block + BlockHeaderBytes, streamLength, textLength, code);
}
