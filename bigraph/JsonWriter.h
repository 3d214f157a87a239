// JSON and CSV text of a classification: the classify object, the sweep's JSON line (the same
// object with the item's name) and the sweep's CSV row. Integers are written in full.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "Classification.h"
#include "GramInput.h"

namespace bigraph {

// A JSON string literal of `text`; bytes that are not UTF-8 become the lone surrogates
// \udc80..\udcff (byte + 0xDC00), which the reader turns back into the bytes, so any text (a
// file name) goes through JSON byte for byte.
std::string jsonString(const std::string& text);

// A list of integers and a matrix as JSON arrays, every integer in full.
std::string integerListJson(std::span<const BigInteger> v);
std::string integerMatrixJson(const core::GramMatrix& m);

// The classify object (one line, no line break at the end).
std::string classificationJson(const Classification& c);

// What a sweep line says besides the classification: the item's position in the family
// (from 1) and the options it was made with, so that --resume can check both.
struct SweepRecord {
  std::uint64_t item = 0;
  std::string options;
  std::optional<std::uint32_t> seed;  // of a random rule, its own CSV column
};
// The classify object with "input", "item", "options", "n" and "r" first (n and r null for a
// file).
std::string sweepJsonLine(const InputItem& item, const SweepRecord& record,
                          const Classification& c);

// The CSV header and one row (RFC 4180 quoting), neither with a line break; with the
// `coxeter_polynomial` column (before `seconds`) when the sweep computes the Coxeter data.
std::string csvHeader(bool withCoxeter = false);
std::string csvRow(const InputItem& item, const SweepRecord& record, const Classification& c,
                   double seconds);
// One CSV field, quoted when it holds a comma, a double quote or a line break.
std::string csvField(const std::string& text);

}  // namespace bigraph
