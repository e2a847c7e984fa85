// Replacing a folder through a sibling folder; reading files without throwing.
#include "tools/corpus/folderswap.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Reason(int error) { return std::strerror(error); }

// Waits until what was written to path (a file, or a folder's entries) is on
// the disk, so that a crash or power cut after the swap cannot leave a
// folder of empty or partly written files. 0, or the error.
int SyncPath(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int failure = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return failure;
}

// Gives to the bytes of from, with from's modification time: a hard link,
// or a copy when the file system has none.
bool KeepFile(const fs::path& from, const fs::path& to) {
  std::error_code failure;
  fs::create_hard_link(from, to, failure);
  if (!failure) return true;
  fs::remove(to, failure);
  fs::copy_file(from, to, failure);
  if (failure || SyncPath(to) != 0) return false;
  const fs::file_time_type time = fs::last_write_time(from, failure);
  if (!failure) fs::last_write_time(to, time, failure);
  return !failure;
}

}  // namespace

int ReadWholeFile(const fs::path& path, std::string& bytes, std::string& error) {
  bytes.clear();
  std::error_code failure;
  const fs::file_type type = fs::status(path, failure).type();
  if (type == fs::file_type::not_found) return 0;
  if (type != fs::file_type::regular) {
    error = path.string() + ": cannot read the file: " +
            (type == fs::file_type::directory ? std::string("it is a folder")
             : failure                        ? failure.message()
                                              : std::string("it is no regular file"));
    return -1;
  }
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = path.string() + ": cannot read the file: " + Reason(errno);
    return -1;
  }
  char buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, got);
  const int bad = std::ferror(f) ? errno : 0;
  std::fclose(f);
  if (bad) {
    error = path.string() + ": cannot read the file: " + Reason(bad);
    return -1;
  }
  return 1;
}

bool BeginFolderSwap(const std::string& folder, FolderSwap& swap, std::string& error) {
  std::error_code failure;
  fs::path target = fs::absolute(folder, failure);
  if (!failure) target = fs::weakly_canonical(target, failure);
  if (!failure && target.filename().empty()) target = target.parent_path();
  if (failure || target == target.root_path()) {
    error = "cannot use " + folder + " as the folder to write";
    return false;
  }
  swap.Target = target;
  swap.Stage = target.parent_path() / (target.filename().string() + ".corpustext-new");
  swap.Aside = target.parent_path() / (target.filename().string() + ".corpustext-old");

  fs::file_type type = fs::status(target, failure).type();
  if (type == fs::file_type::not_found && fs::is_directory(swap.Aside, failure)) {
    // An earlier run stopped between its two renames: its old folder goes back.
    fs::rename(swap.Aside, target, failure);
    if (failure) {
      error = "cannot move " + swap.Aside.string() + " back to " + target.string() + ": " + failure.message();
      return false;
    }
    type = fs::file_type::directory;
    // Folders of the user's that its undo could not carry back are in its
    // new folder, under names the old one lacks: they go back too.
    fs::directory_iterator it;
    std::error_code none;  // no new folder: nothing to carry back
    if (fs::is_directory(swap.Stage, none)) it = fs::directory_iterator(swap.Stage, failure);
    for (; !failure && it != fs::directory_iterator(); it.increment(failure)) {
      std::error_code probe;
      const fs::path back = target / it->path().filename();
      if (it->symlink_status(probe).type() != fs::file_type::directory ||
          fs::symlink_status(back, probe).type() != fs::file_type::not_found)
        continue;
      fs::rename(it->path(), back, failure);
    }
    if (failure) {
      error = "cannot move the folders in " + swap.Stage.string() + " back to " + target.string() + ": " +
              failure.message();
      return false;
    }
  }
  if (type != fs::file_type::not_found && type != fs::file_type::directory) {
    error = target.string() + " is no folder";
    return false;
  }
  fs::remove_all(swap.Stage, failure);
  if (!failure && type == fs::file_type::directory) fs::remove_all(swap.Aside, failure);
  if (failure) {
    error = "cannot remove what an earlier run left next to " + target.string() + ": " + failure.message();
    return false;
  }
  fs::create_directories(target.parent_path(), failure);
  if (!failure) fs::create_directory(swap.Stage, failure);
  if (failure) {
    error = "cannot create " + swap.Stage.string() + ": " + failure.message();
    return false;
  }
  return true;
}

int StageFile(const FolderSwap& swap, const std::string& name, const std::string& bytes, std::string& error) {
  const fs::path path = swap.Stage / name;
  std::string held, unread;
  if (ReadWholeFile(swap.Target / name, held, unread) == 1 && held == bytes && KeepFile(swap.Target / name, path))
    return 0;
  errno = 0;
  FILE* f = std::fopen(path.c_str(), "wb");
  int failure = f ? 0 : errno;
  if (f && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) failure = errno ? errno : EIO;
  if (f && !failure && (std::fflush(f) != 0 || ::fsync(fileno(f)) != 0)) failure = errno ? errno : EIO;
  if (f && std::fclose(f) != 0 && !failure) failure = errno ? errno : EIO;
  if (failure) {
    error = "cannot write " + path.string() + ": " + Reason(failure);
    return -1;
  }
  return 1;
}

bool CommitFolderSwap(FolderSwap& swap, std::string& error) {
  std::error_code failure;
  const fs::file_type type = fs::status(swap.Target, failure).type();
  if (type == fs::file_type::not_found) failure.clear();  // the folder is new
  if (failure) {
    error = "cannot replace " + swap.Target.string() + ": " + failure.message();
    return false;
  }
  const bool existed = type == fs::file_type::directory;
  // Entries other than files (folders of the user's) move over and, on a
  // failure, back.
  std::vector<fs::path> moved;
  auto moveBack = [&] {
    std::error_code ignored;
    for (const fs::path& name : moved) {
      fs::rename(swap.Stage / name, swap.Target / name, ignored);
      if (ignored) swap.HoldsOthers = true;
    }
    if (swap.HoldsOthers) error += "; entries of it that could not move back are in " + swap.Stage.string();
    return false;
  };
  if (existed) {
    fs::directory_iterator it(swap.Target, failure);
    for (; !failure && it != fs::directory_iterator(); it.increment(failure)) {
      const fs::path name = it->path().filename();
      std::error_code probe;
      if (fs::symlink_status(swap.Stage / name, probe).type() != fs::file_type::not_found) continue;
      const fs::file_type type = it->symlink_status(probe).type();
      bool carried = false;
      if (type == fs::file_type::regular) {
        carried = KeepFile(it->path(), swap.Stage / name);
      } else if (type == fs::file_type::symlink) {
        fs::copy_symlink(it->path(), swap.Stage / name, probe);
        carried = !probe;
      } else if (!probe) {
        fs::rename(it->path(), swap.Stage / name, probe);
        carried = !probe;
        if (carried) moved.push_back(name);
      }
      if (!carried) {
        error = "cannot carry " + it->path().string() + " over into the new folder";
        return moveBack();
      }
    }
    if (!failure) {
      std::error_code ignored;  // the new folder gets the old one's permissions where it can
      fs::permissions(swap.Stage, fs::status(swap.Target, ignored).permissions(), ignored);
    }
  }
  // The new folder's entries are on the disk before it takes the old one's place.
  if (const int synced = failure ? 0 : SyncPath(swap.Stage)) {
    error = "cannot write " + swap.Stage.string() + ": " + Reason(synced);
    return moveBack();
  }
  if (existed) {
    if (!failure) fs::rename(swap.Target, swap.Aside, failure);
    if (failure) {
      error = "cannot replace " + swap.Target.string() + ": " + failure.message();
      return moveBack();
    }
  }
  fs::rename(swap.Stage, swap.Target, failure);
  if (failure) {
    std::error_code ignored;
    if (existed) fs::rename(swap.Aside, swap.Target, ignored);
    error = "cannot move " + swap.Stage.string() + " to " + swap.Target.string() + ": " + failure.message();
    return moveBack();
  }
  // The swap itself is on the disk before the old folder goes; when it cannot
  // be, the old folder is put back. A folder left aside here is cleared by
  // the next run.
  if (const int synced = SyncPath(swap.Target.parent_path())) {
    error = "cannot write " + swap.Target.parent_path().string() + ": " + Reason(synced);
    std::error_code undone;
    fs::rename(swap.Target, swap.Stage, undone);
    const bool outOfPlace = !undone;
    if (!undone && existed) fs::rename(swap.Aside, swap.Target, undone);
    if (!undone) return moveBack();
    // The undo failed: nothing more is changed, and where each folder is is told.
    swap.HoldsOthers = true;
    error += "; the new folder is " + (outOfPlace ? swap.Stage : swap.Target).string();
    if (existed) error += ", the old one " + swap.Aside.string();
    if (outOfPlace) error += " and nothing is at " + swap.Target.string();
    if (!moved.empty()) error += "; folders of the old one are in the new one";
    return false;
  }
  if (existed) fs::remove_all(swap.Aside, failure);
  return true;
}

void AbandonFolderSwap(const FolderSwap& swap) {
  std::error_code ignored;
  if (swap.HoldsOthers) return;
  fs::remove_all(swap.Stage, ignored);
}
