// Lays out the longest record and compares the time with the platform's own
// word wrapping (DrawTextW with DT_CALCRECT | DT_WORDBREAK) of the same
// text, font and width, measured in the same run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "layout/paneview.h"
#include "store/letters.h"
#include "store/records.h"

namespace {

int ListLength(const unsigned char* text) {
  const unsigned char* p = text;
  while (*p) p += 2 + std::strlen(reinterpret_cast<const char*>(p + 2)) + 1;
  return static_cast<int>(p - text) + 3;
}

// A stand-in with the shape of a long commentary record.
unsigned char* SyntheticText() {
  std::string all;
  unsigned seed = 12345;
  auto word = [&] {
    std::string w;
    seed = seed * 1103515245u + 12345u;
    const int n = 2 + (seed >> 16) % 6;
    for (int i = 0; i < n; ++i) {
      seed = seed * 1103515245u + 12345u;
      w += static_cast<char>('a' + (seed >> 16) % 27);
    }
    return w;
  };
  all += "\xD1";
  all += '\0';
  all += word() + " " + word();
  all += '\0';
  while (all.size() < 14000) {
    std::string s;
    for (int i = 0; i < 60; ++i) s += word() + (i % 9 == 8 ? ", " : " ");
    all += "\xB2";
    all += '\0';
    all += s;
    all += '\0';
  }
  all.append(3, '\0');
  auto* text = static_cast<unsigned char*>(std::malloc(all.size()));
  std::memcpy(text, all.data(), all.size());
  return text;
}

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// The paragraphs in reading order, converted, each with its style byte.
struct Converted {
  uint8_t Style;
  std::wstring Text;
};
std::vector<Converted> ConvertAll(const unsigned char* text) {
  std::vector<Converted> all;
  for (const unsigned char* p = text; *p;) {
    const unsigned char* t = p + 2;
    const int n = static_cast<int>(std::strlen(reinterpret_cast<const char*>(t)));
    std::string s(reinterpret_cast<const char*>(t), n);
    if (p[0] & StyleVisual) s.assign(s.rbegin(), s.rend());
    DisplayChar* u = ToDisplayText(reinterpret_cast<const unsigned char*>(s.c_str()), nullptr, n);
    all.push_back({p[0], u ? std::wstring(u) : std::wstring()});
    std::free(u);
    p = t + n + 1;
  }
  return all;
}

}  // namespace

int main() {
  AppSettings.FontSettings.FontAsciiBase = AsciiBaseUnicode;
  unsigned char* text = nullptr;
  int record = 0;
  std::wstring source = L"synthetic text (the built program was not found)";
  if (HMODULE module = LoadLibraryExW(ORVANE_EXE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
    RecordModule = module;
    int longest = 0;
    for (int n = 1; n <= RecordCount; ++n) {
      unsigned char* t = LoadTextRecord(n, nullptr);
      if (!t) continue;
      const int length = ListLength(t);
      if (length > longest) {
        longest = length;
        record = n;
        std::free(text);
        text = t;
      } else {
        std::free(t);
      }
    }
    if (text) source = L"record";
  }
  if (!text) text = SyntheticText();
  const int length = ListLength(text);
  const std::vector<Converted> paragraphs = ConvertAll(text);

  HDC dc = CreateCompatibleDC(nullptr);
  FontSettings font{};
  std::memcpy(font.FontName, L"DejaVu Sans", sizeof(L"DejaVu Sans"));
  font.FontSize = 12;
  font.FontAsciiBase = AsciiBaseUnicode;
  bool slower = false;
  for (int width : {600, 60}) {
    RECT area{0, 0, width, 400};
    PaneView* pane = CreatePaneView(dc, &area, &font, 100);
    auto* copy = static_cast<unsigned char*>(std::malloc(length));
    std::memcpy(copy, text, length);
    LayoutPane(pane, copy, true);  // fonts made, table grown

    const int rounds = width == 600 ? 20 : 5;
    double t0 = Now();
    for (int i = 0; i < rounds; ++i) LayoutPane(pane, pane->Text, false);
    const double layout = (Now() - t0) / rounds;

    // The platform wraps the same paragraphs, each in its own style's font.
    HFONT old = SelectStyle(pane, StylePlain);
    t0 = Now();
    for (int i = 0; i < rounds; ++i) {
      for (const Converted& c : paragraphs) {
        if (c.Text.empty()) continue;
        SelectStyle(pane, c.Style);
        RECT rect{0, 0, width, 400};
        DrawTextW(dc, c.Text.c_str(), static_cast<int>(c.Text.size()), &rect,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      }
    }
    const double wrap = (Now() - t0) / rounds;
    SelectObject(dc, old);

    const double ratio = layout / wrap;
    std::wprintf(L"bench_layout: %ls %d (%d bytes), width %d: LayoutPane %.2f ms (%u lines), "
                 L"DrawTextW word wrap %.2f ms, ratio %.2f %ls\n",
                 source.c_str(), record, length, width, layout * 1e3, pane->LineCount, wrap * 1e3, ratio,
                 ratio <= 1.0 ? L"(ok)" : L"(SLOWER than the platform)");
    if (ratio > 1.0) slower = true;
    DestroyPaneView(pane, true);
  }
  DeleteDC(dc);
  std::free(text);
  return slower ? 1 : 0;
}
