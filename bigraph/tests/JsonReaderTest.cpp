// The strict JSON reader: what RFC 8259 allows is read, what it forbids is refused.
#include <gtest/gtest.h>

#include "JsonReader.h"

using namespace bigraph;

namespace {

TEST(JsonReader, ReadsEveryKind) {
  const JsonValue v = parseJson(
      "{\"a\": [true, false, null, -0, 12e3, \"x\\n\\u00e9\\ud83d\\ude00\"], \"b\": {}}");
  ASSERT_EQ(v.kind, JsonValue::Kind::Object);
  const JsonValue* a = v.member("a");
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->items.size(), 6u);
  EXPECT_TRUE(a->items[0].boolean);
  EXPECT_EQ(a->items[2].kind, JsonValue::Kind::Null);
  EXPECT_TRUE(a->items[3].isInteger());
  EXPECT_FALSE(a->items[4].isInteger());
  EXPECT_EQ(a->items[5].text, "x\n\xc3\xa9\xf0\x9f\x98\x80");
  EXPECT_EQ(v.member("b")->kind, JsonValue::Kind::Object);
  EXPECT_EQ(v.member("c"), nullptr);
}

TEST(JsonReader, KeepsNumbersAsWritten) {
  const std::string big = "-98765432109876543210987654321098765432109876543210";
  EXPECT_EQ(parseJson("[" + big + "]").items[0].text, big);
}

TEST(JsonReader, RefusesWhatTheStandardForbids) {
  const char* bad[] = {"",       "[1,]",      "{\"a\" 1}", "[01]",     "[+1]",  "[1.]",
                       "[.5]",   "['a']",     "[\"\t\"]",  "[\"\\x\"]", "nul",   "[1] 2",
                       "{a: 1}", "[\"\\ud800\"]", "[1e]",  "{\"a\":1,}", "[NaN]"};
  for (const char* text : bad) EXPECT_THROW(parseJson(text), JsonSyntaxError) << text;
}

TEST(JsonReader, DeepNestingIsRefusedNotACrash) {
  EXPECT_THROW(parseJson(std::string(100000, '[')), JsonSyntaxError);
}

TEST(JsonReader, PositionsCountLinesAndColumns) {
  try {
    parseJson("{\n  \"a\": [1,\n   x]}");
    FAIL();
  } catch (const JsonSyntaxError& e) {
    EXPECT_EQ(e.where.line, 3);
    EXPECT_EQ(e.where.column, 4);
  }
}

}  // namespace
