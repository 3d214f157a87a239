// bigraph._bigraph: the Python face of `bigraph`. Every function calls the parts the command
// line calls and answers with the JSON text the command line writes, which the package turns
// into result objects; nothing is computed here that the command line does not compute.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Commands.h"
#include "CoxeterReport.h"
#include "Draw.h"
#include "DrawResult.h"
#include "JsonWriter.h"
#include "PythonInput.h"
#include "Released.h"
#include "SweepScheduler.h"

using namespace core;
using namespace bigraph;

namespace py = pybind11;
using namespace python_bridge;

namespace {

// The run options of classify, sweep and draw, fixed once: a random rule without a seed gets
// its seed here, so every later use (a sweep's chunks, a result's picture) makes the same run.
struct Settings {
  RunSettings run;
};

Settings makeSettings(const std::string& rule, std::optional<std::uint32_t> seed,
                      std::optional<std::int64_t> maxSteps, bool run, bool certificate,
                      bool coxeter) {
  if (!edgeRuleNamed(rule)) {
    std::string known;
    for (int k = 0; k < kEdgeRuleCount; ++k)
      known += std::string(k > 0 ? ", " : "") + edgeRuleName(static_cast<EdgeRule>(k));
    throw py::value_error("unknown rule \"" + rule + "\": use one of " + known);
  }
  if (maxSteps && *maxSteps < 1) throw py::value_error("max_steps must be at least 1");
  RunChoice choice;
  choice.rule = rule;
  choice.settings.seed = seed;
  choice.settings.maxSteps = maxSteps;
  choice.settings.noRun = !run;
  choice.settings.certificate = certificate;
  RunSettings settings = chosenRunSettings(choice);
  settings.coxeter = coxeter;
  return Settings{settings};
}

std::string classifyJson(const InputItem& input, const Settings& settings) {
  return runReleased([&](const std::atomic<bool>& stop) {
    InvariantsControl control;
    control.stop = &stop;
    return classificationJson(classify(input.upper, settings.run, &stop, &control));
  });
}

// The items' sweep lines, numbered from `firstItem`, on `jobs` worker threads.
std::vector<std::string> sweepLines(const std::vector<const InputItem*>& items,
                                    std::uint64_t firstItem, int jobs, const Settings& settings) {
  if (jobs < 1 || jobs > 1024) throw py::value_error("jobs must be in 1..1024");
  const std::string options = optionsText(settings.run);
  return runReleased([&](const std::atomic<bool>& stop) {
    std::vector<std::string> lines;
    SweepJob job;
    job.count = items.size();
    job.workers = jobs;
    job.name = [&](std::size_t k) { return items[k]->name; };
    job.work = [&](std::size_t k) {
      const Classification c = classify(items[k]->upper, settings.run, &stop);
      return sweepJsonLine(*items[k], SweepRecord{firstItem + k, options, settings.run.seed}, c);
    };
    job.write = [&](const std::string& line) { lines.push_back(line); };
    runSweep(job, stop);
    return lines;
  });
}

struct DrawWords {
  std::string format = "svg";  // svg, pdf, png, tikz
  std::string state = "input";
  std::string layout;
  std::string labels = "numbers";
  double scale = 0;
  int width = 0;
  int height = 0;
  bool standalone = false;
};

bigraph::draw::Format formatNamed(const std::string& name) {
  using bigraph::draw::Format;
  if (name == "svg") return Format::Svg;
  if (name == "pdf") return Format::Pdf;
  if (name == "png") return Format::Png;
  if (name == "tikz" || name == "tex") return Format::Tikz;
  throw py::value_error("unknown picture format \"" + name + "\": use svg, pdf, png or tikz");
}

bigraph::draw::DrawOptions drawOptions(const DrawWords& words) {
  using namespace bigraph::draw;
  DrawOptions options;
  const auto state = parseState(words.state == "normal" ? "result" : words.state);
  if (!state) throw py::value_error("state must be input, result, both or normal, not \"" + words.state + "\"");
  options.state = *state;
  if (!words.layout.empty()) {
    const auto layout = parseLayout(words.layout);
    if (!layout) throw py::value_error("layout must be circle or shape, not \"" + words.layout + "\"");
    options.layout = *layout;
  }
  const auto labels = parseLabels(words.labels);
  if (!labels) throw py::value_error("labels must be numbers or none, not \"" + words.labels + "\"");
  options.labels = *labels;
  if (words.scale != 0 && !(words.scale >= 0.5 && words.scale <= 10000.0))
    throw py::value_error("scale must be a number in 0.5 .. 10000");
  options.scale = words.scale;
  if ((words.width != 0 || words.height != 0) &&
      !parseSize(std::to_string(words.width) + "x" + std::to_string(words.height), options.width,
                 options.height))
    throw py::value_error("size must be WIDTHxHEIGHT or N pixels, each side in 1..30000");
  options.standalone = words.standalone;
  return options;
}

// The picture `bigraph draw` writes for these words, as bytes, and its notes.
std::pair<py::bytes, std::vector<std::string>> drawBytes(const InputItem& input,
                                                         const DrawWords& words,
                                                         const Settings& settings) {
  using namespace bigraph::draw;
  const Format format = formatNamed(words.format);
  DrawRequest request;
  request.input = input.upper.clone();
  request.options = drawOptions(words);
  DrawnPicture picture;
  try {
    picture = runReleased([&](const std::atomic<bool>& stop) {
      InvariantsControl control;
      control.stop = &stop;
      addDrawnResult(request, words.state, settings.run, &stop, &control);
      return drawToBytes(request, format);
    });
  } catch (const NoNormalForm& e) {
    throw py::value_error(e.what());
  } catch (const DrawError& e) {
    throw py::value_error(e.what());
  }
  return {py::bytes(picture.bytes), picture.report.notes};
}

// The JSON text of a Coxeter, roots or compare report, its refusals as ValueError with the program's sentence.
template <class Report>
std::string reportJson(Report report) {
  try {
    return runReleased(report);
  } catch (const BadInput& e) {
    throw py::value_error(e.what());
  } catch (const NotPositive& e) {
    throw py::value_error(e.what());
  } catch (const TooManyRoots& e) {
    throw py::value_error(e.what());
  }
}

}  // namespace

PYBIND11_MODULE(_bigraph, m) {
  m.doc() = "The compiled part of the bigraph package; use the functions of bigraph instead.";

  py::class_<InputItem>(m, "Input", "one bigraph, read as `bigraph` reads its input")
      .def_static("from_rows", &inputFromRows, py::arg("rows"))
      .def_static("from_file", &inputFromFile, py::arg("path"))
      .def_static("nakayama", &inputFromNakayama, py::arg("n"), py::arg("r"))
      .def_readonly("name", &InputItem::name)
      .def_readonly("n", &InputItem::nakayamaN)
      .def_readonly("r", &InputItem::nakayamaR)
      .def_property_readonly("vertices", [](const InputItem& item) { return item.upper.vertices(); })
      .def("gram_json", [](const InputItem& item) { return integerMatrixJson(item.upper); });

  py::class_<Settings>(m, "Settings", "the run options, a random rule's seed drawn once")
      .def(py::init(&makeSettings), py::arg("rule"), py::arg("seed"), py::arg("max_steps"),
           py::arg("run"), py::arg("certificate"), py::arg("coxeter"))
      .def_property_readonly("seed", [](const Settings& s) { return s.run.seed; })
      .def_property_readonly("options", [](const Settings& s) { return optionsText(s.run); });

  m.def("classify", &classifyJson, py::arg("input"), py::arg("settings"));
  m.def("sweep", &sweepLines, py::arg("items"), py::arg("first_item"), py::arg("jobs"),
        py::arg("settings"));
  m.def(
      "draw",
      [](const InputItem& input, const std::string& format, const std::string& state,
         const std::string& layout, const std::string& labels, double scale, int width, int height,
         bool standalone, const Settings& settings) {
        return drawBytes(input, DrawWords{format, state, layout, labels, scale, width, height, standalone},
                         settings);
      },
      py::arg("input"), py::arg("format"), py::arg("state"), py::arg("layout"), py::arg("labels"),
      py::arg("scale"), py::arg("width"), py::arg("height"), py::arg("standalone"),
      py::arg("settings"));
  m.def("coxeter", [](const InputItem& input) {
    return reportJson([&](const std::atomic<bool>& stop) { return coxeterJson(input.upper, &stop); });
  });
  m.def(
      "roots",
      [](const InputItem& input, bool positiveOnly, std::size_t maxRoots) {
        return reportJson([&](const std::atomic<bool>& stop) {
          return rootsJson(input.upper, positiveOnly, maxRoots, &stop);
        });
      },
      py::arg("input"), py::arg("positive_only"), py::arg("max_roots"));
  m.def(
      "compare",
      [](const InputItem& first, const InputItem& second, double maxSeconds) {
        return reportJson([&](const std::atomic<bool>& stop) {
          return compareJson(first.upper, second.upper, maxSeconds, &stop);
        });
      },
      py::arg("first"), py::arg("second"), py::arg("max_seconds"));
  m.attr("DEFAULT_MAX_ROOTS") = kDefaultMaxRoots;
  m.attr("DEFAULT_MAX_SECONDS") = kDefaultMaxSeconds;
  m.def("default_jobs", [] { return std::max(1u, std::thread::hardware_concurrency()); });
}
