// The generated commentary's citations: references to pages of the corpus in
// the shapes a real commentary writes them, and references to books outside
// it that must stay plain, each with the page it cites as the generator
// knows it.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/corpus/corpus.h"

// How a citation is written ("X" a folio, "NAME" a tractate's name).
enum CitationShape : uint8_t {
  CiteSameTractate,  // (דף X.) (דף X:) (דף X), now and then a bare name before it
  CiteFullName,      // (NAME דף X.) (בNAME X:) (במסכת NAME דף X)
  CiteRelative,      // (לעיל דף X.) (לקמן X:)
  CiteAbbreviated,   // (ב"ק דף X.) (בב"ק דף X.)
  CiteChapter,       // (פ"ד דף X.) (פרק ג' דף X.)
  CiteOtherSide,     // (עמוד ב)
  CiteLoneSide,      // (דף X ב)
  CiteAyinSide,      // (דף X ע"ב)
  CiteNamedBefore,   // במסכת NAME (דף X.), בב"ק בפ' CHAPTER (דף X:)
  CiteUnknownName,   // במסכת NAME (דף X.) of a tractate the corpus lacks: no page
  CiteMissingPage,   // (דף X.) past the tractate's end: no page
  CiteBook,          // (שמות לד) (ויקרא כב ו): no page
  CiteThere,         // (שם) (שם ה): no page
  CiteShapeCount
};

struct CitationTruth {
  uint16_t Paragraph;   // in the commentary's paragraph list
  uint16_t Start, End;  // the parenthesis: reading-order bytes [Start, End) of its text
  int32_t Article;      // the page cited; 0: none of the corpus
  uint8_t Shape;        // CitationShape
};

// Adds citations and book references to the comment paragraphs of article
// a's commentary (a list in reading order), and says what each cites.
void AddCitations(int32_t article, std::vector<CorpusParagraph>& commentary, std::vector<CitationTruth>* truth);
