// Replacing a folder as a whole, and reading files of folders a user names.
//
// The new contents go into a sibling folder, <folder>.corpustext-new, which
// takes the old folder's place only when every file in it was written and
// closed without error; meanwhile the old folder is <folder>.corpustext-old.
// A failure at any point leaves the old folder as it was, and the next run
// clears (or, after an interrupted swap, puts back) what a failed run left.
// A file that keeps its bytes is linked (or copied with its time) rather than
// written, so its modification time stays and a build does not redo it.
//
// Owns the two sibling names. No globals; no call here throws.
#pragma once
#include <filesystem>
#include <string>

struct FolderSwap {
  std::filesystem::path Target;  // the folder replaced
  std::filesystem::path Stage;   // its new contents
  std::filesystem::path Aside;   // the old folder while the new one moves in
  bool HoldsOthers = false;      // the stage keeps entries that could not go back
};

// Prepares the swap of folder (which may not exist yet): restores or clears
// what an earlier failed run left and makes an empty stage. False, with a
// message in error, when folder is no folder or the stage cannot be made.
bool BeginFolderSwap(const std::string& folder, FolderSwap& swap, std::string& error);

// Puts the file name, holding bytes, into the stage. Returns 1 when written,
// 0 when the target's file already held exactly these bytes (kept with its
// time), -1 on failure (message in error).
int StageFile(const FolderSwap& swap, const std::string& name, const std::string& bytes, std::string& error);

// Carries the target's other entries (files the tools do not write, such as
// the build's stamps) into the stage and swaps the folders. False, with a
// message in error and the target as it was, on failure.
bool CommitFolderSwap(FolderSwap& swap, std::string& error);

// Removes the stage after a failure (unless it holds entries of the
// target's that could not be moved back).
void AbandonFolderSwap(const FolderSwap& swap);

// Reads a whole regular file. Returns 1 when read, 0 when there is no such
// file, -1 (message with the path in error) when it is no regular file (a
// folder, a pipe) or cannot be read.
int ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string& error);
