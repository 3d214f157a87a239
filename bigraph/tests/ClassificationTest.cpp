// Classification and its writers: when a run is made, rule names, JSON strings and CSV fields.
#include <gtest/gtest.h>

#include "Classification.h"
#include "GramInput.h"
#include "JsonReader.h"
#include "JsonWriter.h"

using namespace core;
using namespace bigraph;

namespace {

Invariants withDefiniteness(Definiteness d, int corank, int n) {
  Invariants inv;
  inv.definiteness = d;
  inv.corank = corank;
  inv.vertices = n;
  return inv;
}

struct PlanCase {
  Definiteness definiteness;
  int corank;
  RunSettings settings;
  std::optional<std::int64_t> bound;
};

TEST(Classification, RunsWhereTheyEndAndElseOnlyOnRequest) {
  RunSettings given;
  given.maxSteps = 7;
  RunSettings none;
  none.noRun = true;
  const PlanCase cases[] = {
      {Definiteness::Positive, 0, {}, 10 * 5 * 5 + 100},
      {Definiteness::NonNegative, 1, {}, 10 * 5 * 5 + 100},
      {Definiteness::NonNegative, 2, {}, std::nullopt},
      {Definiteness::Indefinite, 1, {}, std::nullopt},
      {Definiteness::Indefinite, 0, given, 7},
      {Definiteness::Positive, 0, given, 7},
      {Definiteness::Positive, 0, none, std::nullopt},
  };
  for (const PlanCase& c : cases)
    EXPECT_EQ(plannedStepBound(c.settings, withDefiniteness(c.definiteness, c.corank, 5)), c.bound)
        << definitenessName(c.definiteness) << " corank " << c.corank;
}

TEST(Classification, StoppedFromOutsideEndsAsStopped) {
  std::atomic<bool> stop{true};
  RunSettings settings;
  const Classification c = classify(nakayamaItem(30, 2).upper, settings, &stop);
  ASSERT_TRUE(c.run);
  EXPECT_EQ(c.run->end, RunEnd::Stopped);
  EXPECT_EQ(c.run->steps, 1u);
  // A sweep gives no control of the invariants; its stop flag ends the Coxeter work all the same.
  settings.coxeter = true;
  EXPECT_THROW(classify(nakayamaItem(30, 2).upper, settings, &stop), CoxeterWorkStopped);
}

TEST(Classification, CertificateOfARunVerifies) {
  RunSettings settings;
  settings.certificate = true;
  const Classification c = classify(nakayamaItem(8, 3).upper, settings);
  ASSERT_TRUE(c.run && c.run->verification);
  EXPECT_TRUE(c.run->verification->holds);
  EXPECT_EQ(c.invariants.dynkinType->name(), "E8");
}

TEST(JsonWriter, StringsAreValidJsonWhateverTheBytes) {
  const std::string raw = std::string("a\"b\\c\n\x01") + "\xff\xc3\xa9" + "\xe2\x82";
  const std::string literal = jsonString(raw);
  const JsonValue back = parseJson(literal);
  EXPECT_EQ(back.text, raw);  // byte for byte, the bytes that are not UTF-8 included
  EXPECT_EQ(literal, "\"a\\\"b\\\\c\\n\\u0001\\udcff\xc3\xa9\\udce2\\udc82\"");
}

TEST(JsonWriter, CsvFieldsQuotedOnlyWhenNeeded) {
  EXPECT_EQ(csvField("Dynkin graph E_8"), "Dynkin graph E_8");
  EXPECT_EQ(csvField("star graph of type [1,2,2]"), "\"star graph of type [1,2,2]\"");
  EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
}

TEST(JsonWriter, SweepLineParsesBackWithItsInput) {
  const InputItem item = nakayamaItem(6, 2);
  const Classification c = classify(item.upper, RunSettings{});
  const std::string line = sweepJsonLine(item, {7, "--rule last", std::nullopt}, c);
  EXPECT_EQ(parseGram(line, "line"), item.upper);  // a line is an input of its own
  const JsonValue v = parseJson(line);
  EXPECT_EQ(v.member("item")->text, "7");
  EXPECT_EQ(v.member("options")->text, "--rule last");
  EXPECT_EQ(v.member("input")->text, "nakayama 6 2");
  EXPECT_EQ(v.member("n")->text, "6");
  EXPECT_EQ(v.member("run")->member("ended")->text, "no dotted edge");
  EXPECT_EQ(v.member("dynkin_type")->text, "A6");
}

}  // namespace
