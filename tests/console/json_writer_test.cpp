// The --json output always parses: structure, escaping, and bytes that are not UTF-8.
#include "console/json_writer.h"

#include <gtest/gtest.h>

namespace {

TEST(JsonWriter, NestedStructuresTakeTheirCommas) {
  CJsonWriter json;
  json.BeginObject().Member("a", 1).Member("b", "x").Key("list").BeginArray().Integer(-2).Unsigned(3);
  json.BeginObject().Member("t", true).End().BeginArray().End().End();
  json.Key("f").Fixed(-0.0015, 7).Member("u", uint64_t(18446744073709551615ull)).End();
  EXPECT_EQ(json.Text(), R"({"a":1,"b":"x","list":[-2,3,{"t":true},[]],"f":-0.0015000,"u":18446744073709551615})");
}

TEST(JsonWriter, TextsAreEscapedAndMadeValid) {
  const struct {
    std::string text;
    const char* quoted;
  } cases[] = {
      {"plain", "\"plain\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {std::string("tab\tnl\ncr\rnul\0.", 15), "\"tab\\u0009nl\\u000acr\\u000dnul\\u0000.\""},
      {"\x7F", "\"\\u007f\""},
      {"Dezember \xC3\xA4\xE2\x82\xAC\xF0\x9F\x95\x90", "\"Dezember \xC3\xA4\xE2\x82\xAC\xF0\x9F\x95\x90\""},
      {"\xFF", "\"\\ufffd\""},                     // never a UTF-8 byte
      {"\xC3", "\"\\ufffd\""},                     // cut sequence
      {"\xC0\xAF", "\"\\ufffd\\ufffd\""},          // overlong '/'
      {"\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},  // surrogate
      {"\xF4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},  // above U+10FFFF
  };
  for (const auto& c : cases) EXPECT_EQ(JsonQuote(c.text), c.quoted) << c.quoted;
}

}  // namespace
