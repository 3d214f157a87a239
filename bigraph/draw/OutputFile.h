// The file a picture goes to: checked before anything is drawn, written beside its target and
// put in place only when complete, and never left behind half-written.
#pragma once

#include <string>

#include "Draw.h"

namespace bigraph::draw {

// The picture is written to a hidden temporary file beside the target, ".NAME.PID.XXXXXX",
// which a catchable signal (SIGINT, SIGTERM, SIGHUP, SIGQUIT) removes before the program ends;
// temporary files of the same target left by a killed process of this user are removed first.
// The target, with symbolic links followed, must be a regular file the user may write, or not
// exist. The finished picture keeps an existing target's mode and owner; a target with more
// than one hard link is overwritten in place so every link shows the new picture.
// The checks OutputFile makes of its target, for a caller that wants them before long work:
// throws DrawError when the target may not be written.
void checkOutputTarget(const std::string& target);

class OutputFile {
 public:
  // Throws DrawError when the target may not be written, DrawWriteError when the temporary
  // file cannot be made.
  explicit OutputFile(const std::string& target);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Where to write the picture now.
  const std::string& temporaryPath() const { return temporary_; }
  // Puts the written picture in place. Throws DrawWriteError.
  void commit();

 private:
  std::string target_;    // as given, for messages
  std::string resolved_;  // symbolic links followed
  std::string temporary_;
  bool inPlace_ = false;  // a hard-linked target, overwritten rather than replaced
};

}  // namespace bigraph::draw
