// The "--Nakayama" command line of both programs: where its numbers stand, the reading of
// them, and the line both programs print for a command line they do not accept.
#pragma once

#include <array>
#include <optional>

namespace core {

// Printed by both programs, with status 1, for any command line they do not accept.
inline constexpr const char kBadArgumentsLine[] =
    "Bad arguments, run \"inflations --help\" to see documentation.\n";

// Positions on "prog --Nakayama n r k m s ...": argv[1] is "--Nakayama". The positions up to s
// are common; after s the console program takes a, the window program w, a and p.
namespace nakayama_position {
inline constexpr int n = 2;
inline constexpr int r = 3;
inline constexpr int k = 4;
inline constexpr int m = 5;
inline constexpr int s = 6;  // stands whenever a later position is given; read only when k > 0
inline constexpr int consoleA = 7;
inline constexpr int windowW = 7;
inline constexpr int windowA = 8;
inline constexpr int windowP = 9;
inline constexpr int last = 9;  // no program reads beyond this position
}  // namespace nakayama_position

// The numbers of a "--Nakayama" command line, by position.
class NakayamaArguments {
 public:
  // Reads the numbers after argv[1] (which the caller has compared with "--Nakayama") up to
  // lastPosition; later arguments are ignored. n and r are always read; when k is given, m
  // must be too; when k is above 0, s must be given as well; positions after s are read when
  // present. Nothing (print kBadArgumentsLine, status 1) when a position that is read is
  // missing or holds a number outside the int range.
  static std::optional<NakayamaArguments> read(int argc, const char* const argv[],
                                               int lastPosition);

  int n() const { return *numbers_[nakayama_position::n]; }
  int r() const { return *numbers_[nakayama_position::r]; }
  // The number at `position` when it was read, otherwise `fallback` (the parameter's default).
  int numberOr(int position, int fallback) const;

 private:
  std::array<std::optional<int>, nakayama_position::last + 1> numbers_{};
};

}  // namespace core
