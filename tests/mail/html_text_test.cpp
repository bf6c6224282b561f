// The plain-text alternative made from HTML bodies.
#include "mail/html_text.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* html;
  std::string text;
};

TEST(HtmlToText, Table) {
  const std::string dashes(38, '-');
  const Case cases[] = {
      {"", ""},
      // entities, lower case only; each repeated until none is left, in table order
      {"&copy; 2024 &reg;", "(c) 2024 (r)"},
      {"a&nbsp;b&bull;c&hellip;", "a b* c..."},
      {"&quot;q&ldquo;l&rdquo;&tilde;", "\"q\"l\"~"},
      {"&amp;amp;amp;", "&"},
      {"&amp;quot;", "&quot;"},  // &quot; was replaced before &amp; produced it
      {"&AMP; &lt;", "&AMP; &lt;"},
      // block tags
      {"<h1>Title</h1>Text", "Title\r\n\r\nText"},
      {"<h2>a</h2><h3>b</h3><h4>c</h4>", "a\r\n\r\nb\r\n\r\nc"},
      {"a<br>b", "a\r\nb"},
      {"a<BR>b", "ab"},  // upper-case tags are only removed
      {"<p>one</p><p>two</p>", "one\r\n\r\ntwo"},
      {"<ul><li>a<li>b</ul>", "*a\r\n *b"},
      {"x<hr>y", "x\r\n" + dashes + "\r\ny"},
      // mail links: the bare address, without query or entity text
      {"Mail <a href=\"mailto:ops@example.com?subject=Hi\">us</a> now", "Mail ops@example.com now"},
      {"<a href=\"mailto:a@b&amp;c\">x</a>", "a@b"},
      {"<a href=\"mailto:a@b\" class=\"m\">write</a>!", "a@b!"},
      // other links: text and URL
      {"See <a href=\"https://example.com/x\">the site</a>.",
       "See the site (https://example.com/x)."},
      {"<a href=\"http://h/\" target=\"_blank\">t</a>", "t (http://h/)"},
      {"<a href=\"u1\">one</a> and <a href=\"u2\">two</a>", "one (u1) and two (u2)"},
      {"<a href=\"u1\"><b>bold</b></a>", "bold (u1)"},
      // a link without "</a>" ends the search; its tags are removed like any other
      {"<a href=\"http://h/\">t", "t"},
      {"<a href=\"mailto:x@y\">x@y", "x@y"},
      {"<a href=\"u1\">one <a href=\"u2\">two</a>",
       "one two (u1)"},  // the outer link takes the only "</a>"
      // remaining tags, an unclosed one through the end
      {"<div class=\"x\">a</div><span>b</span>", "ab"},
      {"text <b", "text"},
      {"a > b", "a > b"},
      // runs of line breaks and surrounding white space
      {"a\r\n\r\n\r\n\r\n\r\nb", "a\r\n\r\nb"},
      {" \t\r\n x \r\n\t ", "x"},
  };
  for (const Case& c : cases) EXPECT_EQ(HtmlToText(c.html), c.text) << c.html;
}

}  // namespace
