// JSON and CSV text of a classification: the classify object, the sweep's JSON line (the same
// object with the item's name) and the sweep's CSV row. Integers are written in full.
#pragma once

#include <string>

#include "Classification.h"
#include "GramInput.h"

// A JSON string literal of `text`; bytes that are not UTF-8 become U+FFFD, so the result is
// valid JSON whatever the text.
std::string jsonString(const std::string& text);

// The classify object (one line, no line break at the end).
std::string classificationJson(const Classification& c);
// The same object with "input", "n" and "r" first (n and r null for a file).
std::string sweepJsonLine(const InputItem& item, const Classification& c);

// The CSV header and one row (RFC 4180 quoting), neither with a line break.
std::string csvHeader();
std::string csvRow(const InputItem& item, const Classification& c, double seconds);
// One CSV field, quoted when it holds a comma, a double quote or a line break.
std::string csvField(const std::string& text);
