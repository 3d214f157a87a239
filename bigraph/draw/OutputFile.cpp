// The output file of a picture: target checks, the temporary file and its removal on signals.
#include "OutputFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

namespace bigraph::draw {
namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

std::string cannotWrite(const std::string& target, const std::string& why) {
  return "cannot write " + quoted(target) + ": " + why;
}

// The path with every symbolic link in its last part followed, whether the file it finally
// names exists or not, so a picture written "through" a link lands in the link's target.
std::string followLinks(const std::string& target) {
  fs::path path(target);
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path.string();
    std::string link(4096, '\0');
    const ssize_t length = readlink(path.c_str(), link.data(), link.size());
    if (length < 0) throw DrawError(cannotWrite(target, std::strerror(errno)));
    link.resize(static_cast<std::size_t>(length));
    const fs::path next(link);
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  throw DrawError(cannotWrite(target, std::strerror(ELOOP)));
}

// Refuses an existing target that is not a regular file the user may write.
void checkTarget(const std::string& resolved, const std::string& target, struct stat& info,
                 bool& exists) {
  exists = stat(resolved.c_str(), &info) == 0;
  if (!exists) return;
  if (S_ISDIR(info.st_mode)) throw DrawError(cannotWrite(target, "it is a folder"));
  if (!S_ISREG(info.st_mode)) throw DrawError(cannotWrite(target, "it is not a regular file"));
  if (access(resolved.c_str(), W_OK) != 0) throw DrawError(cannotWrite(target, std::strerror(errno)));
}

// ---- removal of the temporary file on a catchable signal

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kSignalCount = sizeof kCleanupSignals / sizeof kCleanupSignals[0];
std::atomic<const char*> pendingTemporary{nullptr};
struct sigaction previousActions[kSignalCount];

// Removes the temporary file, then lets the signal end the program as it would have.
extern "C" void removeTemporaryOnSignal(int signal) {
  if (const char* path = pendingTemporary.load()) unlink(path);
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  raise(signal);  // delivered when this handler returns
}

void installCleanupHandlers() {
  for (int k = 0; k < kSignalCount; ++k) {
    sigaction(kCleanupSignals[k], nullptr, &previousActions[k]);
    if (previousActions[k].sa_handler == SIG_IGN) continue;  // nohup and the like: keep it so
    struct sigaction action {};
    action.sa_handler = removeTemporaryOnSignal;
    sigemptyset(&action.sa_mask);
    for (int s : kCleanupSignals) sigaddset(&action.sa_mask, s);
    sigaction(kCleanupSignals[k], &action, nullptr);
  }
}

void restoreHandlers() {
  for (int k = 0; k < kSignalCount; ++k) sigaction(kCleanupSignals[k], &previousActions[k], nullptr);
}

// ".NAME." : the start of every temporary file of the target NAME.
std::string temporaryPrefix(const fs::path& resolved) {
  std::string prefix(1, '.');
  prefix += resolved.filename().string();
  prefix += '.';
  return prefix;
}

// Temporary files ".NAME.PID.XXXXXX" of this user whose process no longer runs: left by a
// process killed with SIGKILL (or a crash), removed so they do not pile up.
void removeStaleTemporaries(const fs::path& folder, const std::string& prefix) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string rest = name.substr(prefix.size());
    const std::size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string::npos || rest.size() != dot + 7 ||
        rest.find_first_not_of("0123456789") != dot)
      continue;
    const long pid = std::strtol(rest.c_str(), nullptr, 10);
    const fs::path path = folder / name;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid())
      continue;
    if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) unlink(path.c_str());
  }
  closedir(dir);
}

// Copies the finished picture over the target's contents (for a hard-linked target).
void copyInto(const std::string& from, const std::string& to, const std::string& target) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  const int out = in < 0 ? -1 : open(to.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  bool ok = in >= 0 && out >= 0;
  char buffer[65536];
  while (ok) {
    const ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < got;) {
      const ssize_t put = write(out, buffer + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      ok = put > 0;
      done += put > 0 ? put : 0;
    }
  }
  const int error = errno;
  if (in >= 0) close(in);
  if (out >= 0 && close(out) != 0) ok = false;
  if (!ok) throw DrawWriteError(cannotWrite(target, std::strerror(error)));
}

}  // namespace

void checkOutputTarget(const std::string& target) {
  struct stat info {};
  bool exists = false;
  checkTarget(followLinks(target), target, info, exists);
}

OutputFile::OutputFile(const std::string& target) : target_(target) {
  resolved_ = followLinks(target);
  struct stat existing {};
  bool exists = false;
  checkTarget(resolved_, target, existing, exists);
  const fs::path resolved(resolved_);
  const fs::path folder = resolved.has_parent_path() ? resolved.parent_path() : fs::path(".");
  const std::string prefix = temporaryPrefix(resolved);
  removeStaleTemporaries(folder, prefix);
  std::string pattern = (folder / (prefix + std::to_string(getpid()) + ".XXXXXX")).string();
  installCleanupHandlers();
  // The signals wait while the file is made and its name published, so that a signal arriving
  // in between cannot leave the file behind.
  sigset_t cleanupSignals, before;
  sigemptyset(&cleanupSignals);
  for (int s : kCleanupSignals) sigaddset(&cleanupSignals, s);
  sigprocmask(SIG_BLOCK, &cleanupSignals, &before);
  const int fd = mkstemp(pattern.data());
  if (fd < 0) {
    const int error = errno;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    restoreHandlers();
    throw DrawWriteError(cannotWrite(target, std::strerror(error)));
  }
  temporary_ = pattern;
  pendingTemporary.store(temporary_.c_str());
  sigprocmask(SIG_SETMASK, &before, nullptr);
  // mkstemp makes the file private; the picture gets the mode (and owner, where allowed) of
  // the file it replaces, or the permissions of a new file.
  if (exists) {
    fchmod(fd, existing.st_mode & 07777);
    if (fchown(fd, existing.st_uid, existing.st_gid) != 0) {
      // another owner cannot be given away; the picture stays the user's
    }
    inPlace_ = existing.st_nlink > 1;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  close(fd);
}

OutputFile::~OutputFile() {
  // Removed before its name is withdrawn: a signal in between unlinks a name already gone.
  if (!temporary_.empty()) unlink(temporary_.c_str());
  pendingTemporary.store(nullptr);
  restoreHandlers();
}

void OutputFile::commit() {
  if (inPlace_) {
    copyInto(temporary_, resolved_, target_);
    return;  // the destructor removes the temporary file
  }
  if (std::rename(temporary_.c_str(), resolved_.c_str()) != 0)
    throw DrawWriteError(cannotWrite(target_, std::strerror(errno)));
  pendingTemporary.store(nullptr);
  temporary_.clear();
}

}  // namespace bigraph::draw
