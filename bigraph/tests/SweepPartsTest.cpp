// The sweep's parts: ranges, items, reading an earlier output, and the ordered scheduler.
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <thread>

#include "GramInput.h"
#include "JsonWriter.h"
#include "SweepItems.h"
#include "SweepScheduler.h"

using namespace bigraph;

namespace {

TEST(SweepRanges, ParsesAndRefuses) {
  const IntRange r = parseRange("3..100", false);
  EXPECT_EQ(r.first, 3);
  EXPECT_EQ(r.last, 100);
  EXPECT_EQ(parseRange("7", false).last, 7);
  EXPECT_TRUE(parseRange("2..n", true).lastIsVertexCount);
  for (const char* bad : {"", "..", "3..", "..4", "5..4", "-1..2", "a..b", "2..n", "1...3"})
    EXPECT_THROW(parseRange(bad, false), std::invalid_argument) << bad;
}

std::vector<std::string> namesOf(const SweepFamily& family) {
  std::vector<std::string> names;
  for (std::uint64_t k = 0; k < family.size(); ++k) names.push_back(family.at(k).name);
  return names;
}

TEST(SweepItems, NakayamaOrderUpToNThenFiles) {
  const SweepFamily family({{parseRange("3..4", false), parseRange("2..n", true)}}, {"a.txt"});
  EXPECT_EQ(namesOf(family), (std::vector<std::string>{"nakayama 3 2", "nakayama 3 3",
                                                       "nakayama 4 2", "nakayama 4 3",
                                                       "nakayama 4 4", "a.txt"}));
  EXPECT_EQ(family.at(5).fileIndex, 0);
  EXPECT_EQ(namesOf(SweepFamily({{parseRange("1..3", false), parseRange("3..n", true)}}, {})),
            (std::vector<std::string>{"nakayama 3 3"}));
  EXPECT_EQ(namesOf(SweepFamily({{parseRange("2..3", false), parseRange("1..2", false)}}, {})),
            (std::vector<std::string>{"nakayama 2 1", "nakayama 2 2", "nakayama 3 1",
                                      "nakayama 3 2"}));
  EXPECT_EQ(SweepFamily({{parseRange("3..100", false), parseRange("2..n", true)}}, {}).size(),
            4949u);  // n - 1 values of r for each n
}

TEST(SweepItems, AFamilyTooLongToListIsIndexed) {
  const SweepFamily family({{parseRange("3..2147483647", false), parseRange("2..n", true)}}, {});
  const std::uint64_t last = 2147483647;
  EXPECT_EQ(family.size(), (last - 1) * last / 2 - 1);  // sum of N - 1 for N = 3..last
  EXPECT_EQ(family.at(family.size() - 1).name, "nakayama 2147483647 2147483647");
  EXPECT_EQ(family.at(family.size() - 2147483646).name, "nakayama 2147483647 2");
  EXPECT_EQ(family.at(family.size() - 2147483647).name, "nakayama 2147483646 2147483646");
}

std::string writeTemp(const std::string& name, const std::string& text) {
  // ctest runs each case in a process of its own, side by side: one file per process.
  const std::string path = testing::TempDir() + name + "." + std::to_string(getpid());
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// An earlier output and what resuming the family "nakayama 3 2", "nakayama 3 3", then files
// named a,"b"<newline>.txt and b.txt finds in it: the items written, or the start of the refusal.
struct Earlier {
  const char* label;
  bool csv;
  std::string text;
  std::uint64_t items;
  std::string refusal;  // empty: accepted
};

const std::string kHeader = csvHeader() + "\n";
const std::string kOptions = "--rule last";
std::string jsonLine(const char* input, int item, const std::string& options = kOptions) {
  return std::string("{\"input\": ") + input + ", \"item\": " + std::to_string(item) +
         ", \"options\": \"" + options + "\"}\n";
}

void PrintTo(const Earlier& c, std::ostream* out) { *out << c.label; }

class EarlierOutputTest : public testing::TestWithParam<Earlier> {};

TEST_P(EarlierOutputTest, ItemsOrRefusal) {
  const Earlier& c = GetParam();
  const std::string path = writeTemp("earlier", c.text);
  const SweepFamily family({{parseRange("3", false), parseRange("2..3", false)}},
                           {"a,\"b\"\n.txt", "b.txt"});
  try {
    const EarlierOutput e = readEarlierOutput(path, c.csv, family);
    EXPECT_EQ(c.refusal, "") << c.label;
    EXPECT_EQ(e.items, c.items) << c.label;
    if (e.items > 0) {
      EXPECT_EQ(e.options, kOptions) << c.label;
    }
  } catch (const BadInput& e) {
    EXPECT_EQ(e.description.rfind(c.refusal, 0), 0u) << c.label << ": " << e.what();
    EXPECT_NE(c.refusal, "") << c.label << ": " << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EarlierOutputTest,
    testing::Values(
        Earlier{"empty", false, "", 0, ""},
        Earlier{"jsonl", false, jsonLine("\"nakayama 3 2\"", 1) + jsonLine("\"nakayama 3 3\"", 2), 2, ""},
        Earlier{"jsonl with the file", false,
                jsonLine("\"nakayama 3 2\"", 1) + jsonLine("\"nakayama 3 3\"", 2) +
                    jsonLine("\"a,\\\"b\\\"\\n.txt\"", 3), 3, ""},
        Earlier{"csv, a quoted name with a line break", true,
                kHeader + "nakayama 3 2,1,--rule last,,3,2,,,,,,,,,,0.1\n"
                          "nakayama 3 3,2,--rule last,,3,3,,,,,,,,,,0.1\n"
                          "\"a,\"\"b\"\"\n.txt\",3,--rule last,,,,,,,,,,,,,0.1\r\n", 3, ""},
        Earlier{"csv header only", true, kHeader, 0, ""},
        Earlier{"cut line", false, jsonLine("\"nakayama 3 2\"", 1) + "{\"input\": \"nak", 0,
                "the last line is incomplete"},
        Earlier{"cut csv row", true, kHeader + "nakayama 3 2,1,--rule", 0,
                "the last line is incomplete"},
        Earlier{"foreign text", false, "hello\n", 0, "not a line of a jsonl sweep output"},
        Earlier{"csv resumed as jsonl", false, kHeader, 0, "a csv sweep output"},
        Earlier{"jsonl resumed as csv", true, jsonLine("\"nakayama 3 2\"", 1), 0,
                "a jsonl sweep output"},
        Earlier{"headerless csv", true, "nakayama 3 2,1,--rule last,,3,2,,,,,,,,,,0.1\n", 0,
                "not a csv sweep output"},
        Earlier{"same name twice counts twice", false,
                jsonLine("\"nakayama 3 2\"", 1) + jsonLine("\"nakayama 3 2\"", 2), 0, "item 2 is"},
        Earlier{"a file that could not be read has no line", false,
                jsonLine("\"nakayama 3 2\"", 1) + jsonLine("\"nakayama 3 3\"", 2) +
                    jsonLine("\"b.txt\"", 4), 4, ""},
        Earlier{"item out of order", false, jsonLine("\"nakayama 3 3\"", 2), 0,
                "item 2 where item 1 belongs"},
        Earlier{"other options", false,
                jsonLine("\"nakayama 3 2\"", 1) + jsonLine("\"nakayama 3 3\"", 2, "--rule first"), 0,
                "made with other options"},
        Earlier{"broken quoting", true, kHeader + "\"a\"b,1\n", 0, "broken quoting"}),
    [](const auto& info) {
      std::string name;
      for (const char ch : std::string(info.param.label))
        if (std::isalnum(static_cast<unsigned char>(ch))) name += ch;
      return name;
    });

// Tasks that finish out of order (later ones sooner) must still be written in order.
std::vector<std::string> runNumbers(int workers, std::size_t count) {
  std::vector<std::string> out;
  SweepJob job;
  job.count = count;
  job.workers = workers;
  job.work = [count](std::size_t k) {
    std::this_thread::sleep_for(std::chrono::microseconds(200 * (count - k)));
    return std::to_string(k * k);
  };
  job.name = [](std::size_t k) { return std::to_string(k); };
  job.write = [&out](const std::string& s) { out.push_back(s); };
  std::atomic<bool> stop{false};
  EXPECT_EQ(runSweep(job, stop), count);
  return out;
}

TEST(SweepScheduler, SameOrderForAnyNumberOfWorkers) {
  const auto one = runNumbers(1, 40);
  ASSERT_EQ(one.size(), 40u);
  EXPECT_EQ(one[39], "1521");
  EXPECT_EQ(runNumbers(3, 40), one);
  EXPECT_EQ(runNumbers(8, 40), one);
  EXPECT_TRUE(runNumbers(4, 0).empty());
}

TEST(SweepScheduler, AFailureArrivesAfterTheResultsBeforeIt) {
  std::vector<std::string> out;
  SweepJob job;
  job.count = 10;
  job.workers = 3;
  job.work = [](std::size_t k) -> std::string {
    if (k == 6) throw std::runtime_error("bad item");
    return std::to_string(k);
  };
  job.name = [](std::size_t k) { return std::to_string(k); };
  job.write = [&out](const std::string& s) { out.push_back(s); };
  std::atomic<bool> stop{false};
  EXPECT_THROW(runSweep(job, stop), std::runtime_error);
  EXPECT_EQ(out, (std::vector<std::string>{"0", "1", "2", "3", "4", "5"}));
}

TEST(SweepScheduler, StopWritesNoMoreAndReturns) {
  std::atomic<bool> stop{false};
  std::vector<std::string> out;
  SweepJob job;
  job.count = 1000;
  job.workers = 2;
  job.work = [&stop](std::size_t k) {
    if (k == 20) stop = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return std::to_string(k);
  };
  job.name = [](std::size_t k) { return std::to_string(k); };
  job.write = [&out](const std::string& s) { out.push_back(s); };
  const std::size_t written = runSweep(job, stop);
  EXPECT_EQ(written, out.size());
  EXPECT_LE(written, 21u);
  for (std::size_t k = 0; k < out.size(); ++k) EXPECT_EQ(out[k], std::to_string(k));
}

TEST(SweepScheduler, ProgressEndsWithTheTotal) {
  SweepJob job;
  job.count = 5;
  job.workers = 2;
  job.work = [](std::size_t k) { return std::to_string(k); };
  job.name = [](std::size_t k) { return "item " + std::to_string(k); };
  job.write = [](const std::string&) {};
  std::vector<SweepProgress> seen;
  job.progress = [&seen](const SweepProgress& p) { seen.push_back(p); };
  std::atomic<bool> stop{false};
  runSweep(job, stop);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().done, 5u);
  EXPECT_EQ(seen.back().total, 5u);
  EXPECT_TRUE(seen.back().current.empty());
}

}  // namespace
