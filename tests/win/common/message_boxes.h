// Answers the message boxes the code under test shows (with OK) and records
// what the last one said, through a CBT hook on the calling thread.
#pragma once
#include <windows.h>

#include <string>

struct SeenBox {
  int count = 0;  // boxes answered since AnswerMessageBoxes
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
  bool icon = false;
};

// Starts answering (and clears what was seen); StopAnsweringMessageBoxes ends it.
void AnswerMessageBoxes();
void StopAnsweringMessageBoxes();
const SeenBox& LastMessageBox();
