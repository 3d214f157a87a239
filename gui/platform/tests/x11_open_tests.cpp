// Tests of openX11Window without a usable display: it gives nullptr, so the caller can fall
// back to the offscreen canvas.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "Window.h"

namespace platform {
namespace {

// Sets DISPLAY for one test (or removes it) and puts the old value back afterwards.
class DisplayVariable {
 public:
  explicit DisplayVariable(const char* value) {
    if (const char* old = std::getenv("DISPLAY")) old_ = old;
    if (value != nullptr) {
      setenv("DISPLAY", value, 1);
    } else {
      unsetenv("DISPLAY");
    }
  }
  ~DisplayVariable() {
    if (old_) {
      setenv("DISPLAY", old_->c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
  }

 private:
  std::optional<std::string> old_;
};

TEST(OpenX11Window, NoDisplayVariableGivesNullptr) {
  DisplayVariable display(nullptr);
  EXPECT_EQ(openX11Window({"Zaruzivedo 0.9   KQ 2015-2016"}), nullptr);
}

TEST(OpenX11Window, DisplayWithoutServerGivesNullptr) {
  DisplayVariable display(":4093");  // no server listens there
  EXPECT_EQ(openX11Window({"Zaruzivedo 0.9   KQ 2015-2016"}), nullptr);
}

}  // namespace
}  // namespace platform
