// The decompressor's token rules and its behaviour on damaged streams.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "store/records.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct Decoded {
  unsigned char* text;
  int32_t code;
  int messages;
};

Decoded Decode(const Bytes& stream, int32_t textLength) {
  int before = DecodeErrorsShown;
  int32_t code = -1;
  unsigned char* text = UnCompress(stream.data(), static_cast<int32_t>(stream.size()), textLength, &code);
  return {text, code, DecodeErrorsShown - before};
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string AsString(const unsigned char* p, size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

TEST(UnCompress, LiteralsSpacePairsAndBackReferences) {
  // 'a', then 0x80 0x08 (distance 1, length 3), then 0x80 0x0F (distance 1, length 10).
  Decoded d = Decode({'a', 0x80, 0x08, 0x80, 0x0F}, 14);
  ASSERT_NE(d.text, nullptr);
  EXPECT_EQ(AsString(d.text, 14), std::string(14, 'a'));
  EXPECT_EQ(d.text[14], 0) << "a NUL follows the text";
  std::free(d.text);

  // Space pair 0xE1 writes " a"; a literal run copies bytes of any value.
  d = Decode({'x', 0xE1, 0x03, 0xB1, 0x00, 0x01}, 6);
  ASSERT_NE(d.text, nullptr);
  EXPECT_EQ(AsString(d.text, 6), std::string("x a\xB1\x00\x01", 6));
  std::free(d.text);

  // Overlapping copy with distance 2 repeats the last two bytes.
  d = Decode({'a', 'b', 0x80, 0x14}, 9);  // distance 2, length 7
  ASSERT_NE(d.text, nullptr);
  EXPECT_EQ(AsString(d.text, 9), "ababababa");
  std::free(d.text);

  // A long copy whose source is far back, as the fast path sees it.
  Bytes s;
  for (int i = 0; i < 40; ++i) s.push_back(static_cast<unsigned char>('a' + i % 26));
  s.push_back(0x80 | (40 >> 5));
  s.push_back(static_cast<unsigned char>(((40 << 3) & 0xFF) | 7));  // distance 40, length 10
  d = Decode(s, 50);
  ASSERT_NE(d.text, nullptr);
  EXPECT_EQ(AsString(d.text + 40, 10), AsString(d.text, 10));
  std::free(d.text);
}

TEST(UnCompress, ControlByteZeroIsATextByte) {
  Decoded d = Decode({'a', 0x00, 'b'}, 3);
  ASSERT_NE(d.text, nullptr);
  EXPECT_EQ(AsString(d.text, 3), std::string("a\0b", 3));
  std::free(d.text);
}

TEST(UnCompress, OutputFullStopsEveryTokenEarly) {
  // A space pair with one byte of room writes only the space.
  Decoded d = Decode({'a', 0xE2}, 2);
  ASSERT_NE(d.text, nullptr);
  EXPECT_EQ(AsString(d.text, 2), "a ");
  std::free(d.text);
  // A literal run longer than the room fills the output; the rest is not read
  // (here it is not even there).
  d = Decode({0x08, 'a', 'b'}, 2);
  ASSERT_NE(d.text, nullptr);
  EXPECT_EQ(AsString(d.text, 2), "ab");
  std::free(d.text);
  // A back-reference longer than the room.
  d = Decode({'a', 0x80, 0x0F}, 4);
  ASSERT_NE(d.text, nullptr);
  EXPECT_EQ(AsString(d.text, 4), "aaaa");
  std::free(d.text);
  // Unread stream bytes after the text are ignored.
  d = Decode({'a', 'b', 'c', 'd'}, 2);
  ASSERT_NE(d.text, nullptr);
  EXPECT_EQ(d.messages, 0);
  std::free(d.text);
}

TEST(UnCompress, ShortOrDamagedStreamsAreCodeFiveWithOneMessage) {
  const struct {
    const char* what;
    Bytes stream;
    int32_t textLength;
  } cases[] = {
      {"last single literal missing", {'a', 'b'}, 3},
      {"distance byte missing", {'a', 0x80}, 4},
      {"literal run cut by the stream's end", {0x03, 'a'}, 3},
      {"distance 0", {'a', 0x80, 0x00}, 4},
      {"distance beyond what was written", {'a', 0x80, 0x10}, 4},
      {"distance beyond what was written, fast path", Bytes(40, 'a') + Bytes{0xBF, 0xFF} + Bytes(20, 'b'), 70},
  };
  for (const auto& c : cases) {
    Decoded d = Decode(c.stream, c.textLength);
    EXPECT_EQ(d.text, nullptr) << c.what;
    EXPECT_EQ(d.code, RecordStreamShort) << c.what;
    EXPECT_EQ(d.messages, 1) << c.what;
  }
}

TEST(UnCompress, NothingToDecompressIsCodeFourWithoutMessage) {
  int before = DecodeErrorsShown;
  int32_t code = 0;
  EXPECT_EQ(UnCompress(nullptr, 5, 10, &code), nullptr);
  EXPECT_EQ(code, RecordNothing);
  const unsigned char one = 'a';
  code = 0;
  EXPECT_EQ(UnCompress(&one, 1, 0, &code), nullptr);
  EXPECT_EQ(code, RecordNothing);
  EXPECT_EQ(UnCompress(&one, 1, 0, nullptr), nullptr) << "a null code pointer is allowed";
  EXPECT_EQ(DecodeErrorsShown, before);
}

TEST(ParseRecordBlock, RejectsShortBlocksAndEmptyStreams) {
  const unsigned char block[] = {0x00, 0x02, 0x00, 0x02, 'a', 'b', 0, 0, 0, 0};
  int32_t code = 0;
  EXPECT_EQ(ParseRecordBlock(block, 4, &code), nullptr);
  EXPECT_EQ(code, RecordBadBlock);
  const unsigned char empty[] = {0x00, 0x00, 0x00, 0x02, 'a', 'b'};
  code = 0;
  EXPECT_EQ(ParseRecordBlock(empty, 6, &code), nullptr);
  EXPECT_EQ(code, RecordBadBlock);
  unsigned char* text = ParseRecordBlock(block, 10, &code);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(AsString(text, 3), std::string("ab\0", 3));
  std::free(text);
}

TEST(ParseRecordBlock, StreamLongerThanTheBlockIsNotReadBeyondIt) {
  // Claims a 300-byte stream inside a 7-byte block: only the 3 bytes there are
  // read, which do not make the 5-byte text.
  std::vector<unsigned char> block = {0x01, 0x2C, 0x00, 0x05, 'a', 'b', 'c'};
  int32_t code = 0;
  int before = DecodeErrorsShown;
  EXPECT_EQ(ParseRecordBlock(block.data(), static_cast<int32_t>(block.size()), &code), nullptr);
  EXPECT_EQ(code, RecordStreamShort);
  EXPECT_EQ(DecodeErrorsShown, before + 1);
}

}  // namespace
