// What `bigraph draw` shows beside (or instead of) the input: the result of the inflation run
// or the normal form N, with the note its caption carries.
#pragma once

#include <atomic>
#include <optional>
#include <stdexcept>
#include <string>

#include "Classification.h"
#include "Draw.h"

namespace bigraph {

// The normal form was asked of a bigraph that has none; what() is the sentence for the user.
struct NoNormalForm : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Fills request.result and request.resultNote for the state word "result", "both" or
// "normal" (nothing for "input"), classifying request.input with `settings` (no run for
// "normal"). `stop` and `control` as for classify(). Returns the note for the user when the
// result drawn is the input because no run was made ("note: no inflation run ..."). Throws
// NoNormalForm.
std::optional<std::string> addDrawnResult(bigraph::draw::DrawRequest& request,
                                          const std::string& state, const RunSettings& settings,
                                          const std::atomic<bool>* stop = nullptr,
                                          const core::InvariantsControl* control = nullptr);

}  // namespace bigraph
