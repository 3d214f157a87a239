// The sweep's parts: ranges, items, reading an earlier output, and the ordered scheduler.
#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <thread>

#include "GramInput.h"
#include "SweepItems.h"
#include "SweepScheduler.h"

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

TEST(SweepItems, NakayamaOrderAndUpToN) {
  const auto items = nakayamaSweepItems(parseRange("3..4", false), parseRange("2..n", true));
  std::vector<std::string> names;
  for (const auto& item : items) names.push_back(item.name);
  EXPECT_EQ(names, (std::vector<std::string>{"nakayama 3 2", "nakayama 3 3", "nakayama 4 2",
                                             "nakayama 4 3", "nakayama 4 4"}));
  EXPECT_EQ(nakayamaSweepItems(parseRange("3..100", false), parseRange("2..n", true)).size(),
            4949u);  // n - 1 values of r for each n
}

std::string writeTemp(const std::string& name, const std::string& text) {
  const std::string path = testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(SweepResume, ReadsNamesOfJsonLinesAndCsvRows) {
  const auto json = writeTemp("r.jsonl", "{\"input\": \"nakayama 3 2\", \"n\": 3}\n"
                                         "{\"input\": \"a \\\"b\\\".txt\"}\n");
  EXPECT_EQ(itemsAlreadyWritten(json, false),
            (std::set<std::string>{"nakayama 3 2", "a \"b\".txt"}));
  const auto csv = writeTemp("r.csv", "input,n\nnakayama 3 2,3\n\"x,\"\"y\"\"\",\n");
  EXPECT_EQ(itemsAlreadyWritten(csv, true), (std::set<std::string>{"nakayama 3 2", "x,\"y\""}));
  EXPECT_TRUE(itemsAlreadyWritten(testing::TempDir() + "absent.jsonl", false).empty());
  EXPECT_FALSE(hasContent(testing::TempDir() + "absent.jsonl"));
  EXPECT_TRUE(hasContent(csv));
}

TEST(SweepResume, RefusesACutLine) {
  const auto cut = writeTemp("cut.jsonl", "{\"input\": \"a\"}\n{\"input\": \"b");
  EXPECT_THROW(itemsAlreadyWritten(cut, false), BadInput);
  const auto foreign = writeTemp("foreign.jsonl", "hello\n");
  EXPECT_THROW(itemsAlreadyWritten(foreign, false), BadInput);
}

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
