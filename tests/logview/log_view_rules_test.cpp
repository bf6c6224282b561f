// The log viewer's rules over plain values: sizes, file names, recent files, fonts, following
// a growing log and searching it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logview/byte_size.h"
#include "logview/font_choice.h"
#include "logview/log_files.h"
#include "logview/log_view_state.h"

namespace {

using Names = std::vector<std::string>;

TEST(ByteSize, BytesThenUnitsWithTwoDecimalsOrNone) {
  struct Case {
    uint64_t n;
    const char* text;
  } cases[] = {
      {0, "0 bytes"},
      {1, "1 byte"},
      {2, "2 bytes"},
      {1023, "1023 bytes"},
      {1024, "1 KB"},
      {1536, "1.50 KB"},
      {2048, "2 KB"},
      {524287, "512 KB"},  // 511.999 rounds to 512.00
      {600000, "585.94 KB"},
      {1048575, "1024 KB"},
      {1048576, "1 MB"},
      {1572864, "1.50 MB"},
      {1073741823, "1024 MB"},
      {1073741824, "1 GB"},
      {5368709120ull + 10737418, "5.01 GB"},
      {0xFFFFFFFFFFFFFFFFull, "17179869184 GB"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatByteSize(c.n), c.text) << c.n;
}

TEST(LogFiles, PathsSplitIntoFolderAndName) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
  } cases[] = {
      {"C:\\Windows\\system32\\orvanem.log", "C:\\Windows\\system32\\", "orvanem.log"},
      {"C:/logs/orvanem.log", "C:/logs/", "C:/logs/orvanem.log"},  // the name is cut at '\' only
      {"C:\\logs/sub/orvanem.log", "C:\\logs/sub/", "logs/sub/orvanem.log"},
      {"orvanem.log", "", "orvanem.log"},
      {"C:\\logs\\", "C:\\logs\\", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    LogPath split = SplitLogPath(c.path);
    EXPECT_EQ(split.folder, c.folder) << c.path;
    EXPECT_EQ(split.fileName, c.name) << c.path;
  }
}

TEST(LogFiles, PatternsOfSiblingLogs) {
  struct Case {
    const char* name;
    const char* pattern;
  } cases[] = {{"orvanem.log", "orvanem*.log*"}, {"a.b.log", "a.b*.log*"}, {"noext", "noext*"}, {"", "*"}};
  for (const Case& c : cases) EXPECT_EQ(DefaultLogPattern(c.name), c.pattern) << c.name;
  EXPECT_EQ(SplitLogPatterns("orvanem*.log*;;*.txt;"), (Names{"orvanem*.log*", "*.txt"}));
  EXPECT_EQ(SplitLogPatterns(""), Names{});
  EXPECT_EQ(SplitLogPatterns(";"), Names{});
}

TEST(LogFiles, DatedAndStartupLogsByName) {
  struct Case {
    const char* name;
    bool dated, startup;
  } cases[] = {
      {"orvanem.log", false, false},
      {"orvanem.2024-01-31.log", true, false},
      {"orvanem.startup.log", false, true},
      {"orvanem.startup.2024-01-31.log", true, true},
      {"orvanem20.log", false, false},
      {"orvanem.startuplog", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsDatedLog(c.name), c.dated) << c.name;
    EXPECT_EQ(IsStartupLog(c.name), c.startup) << c.name;
  }
}

TEST(LogFiles, TheClearedLineCarriesTheServicePrefixAndTheUser) {
  EXPECT_EQ(ClearedLogLine({2024, 2, 1, 5, 7, 8, 9}, "OFFICE\\admin"),
            "Mon Feb 05 2024 07:08:09 Info:    Log cleared from Control Panel by OFFICE\\admin.\r\n");
  EXPECT_EQ(ClearedLogLine({999, 12, 6, 31, 23, 59, 59}, "Unknown"),
            "Sat Dec 31 0999 23:59:59 Info:    Log cleared from Control Panel by Unknown.\r\n");
  EXPECT_EQ(ClearedLogLine({2024, 13, 7, 1, 0, 0, 0}, "x").substr(0, 8), "??? ??? ");
}

TEST(RecentFiles, NewestFirstWithoutRepeatsAndAtMostTheMaximum) {
  Names list;
  for (const char* path : {"a", "b", "c", "B", "d"}) AddRecentFile(&list, path, 3);
  EXPECT_EQ(list, (Names{"d", "B", "c"}));
  AddRecentFile(&list, "C", 3);
  EXPECT_EQ(list, (Names{"C", "d", "B"}));
  Names loaded;  // a stored list longer than the maximum shrinks from its old end
  for (int i = 0; i < 12; ++i) loaded.push_back(std::to_string(i));
  AddRecentFile(&loaded, "new", 10);
  EXPECT_EQ(loaded, (Names{"new", "0", "1", "2", "3", "4", "5", "6", "7", "8"}));
}

TEST(FontChoice, FaceByPreferenceThenFallbacks) {
  auto faces = [](Names names) {
    std::vector<FontFace> list;
    for (const std::string& name : names) list.push_back({name, {}});
    return list;
  };
  struct Case {
    Names listed;
    const char* wanted;
    int index;
  } cases[] = {
      {{"Courier", "Lucida Console", "Courier New"}, "lucida console", 1},
      {{"Courier", "Fixedsys", "Courier New"}, "Lucida Console", 2},
      {{"Courier", "Fixedsys"}, "Lucida Console", 1},
      {{"Courier", "Terminal"}, "Lucida Console", 0},
      {{}, "Lucida Console", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ChooseFontFace(faces(c.listed), c.wanted), c.index) << c.wanted;
}

TEST(FontChoice, SizeByPreferenceThenTheNearestFromBelow) {
  const std::vector<uint32_t> raster = {6, 9, 12};
  struct Case {
    std::vector<uint32_t> sizes;
    uint32_t wanted;
    int index;
  } cases[] = {
      {ScalableFontSizes(), 9, 3},   {ScalableFontSizes(), 13, 6},  // 13 is not listed: 12 is not below 12
      {ScalableFontSizes(), 15, 7},  {ScalableFontSizes(), 99, 0},  {ScalableFontSizes(), 0, 0},
      {raster, 10, 1},               {raster, 8, 1},                {raster, 11, 2},
      {raster, 5, 0},                {{}, 9, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ChooseFontSize(c.sizes, c.wanted), c.index) << c.wanted;
}

TEST(FontChoice, RasterSizesInPoints) {
  EXPECT_EQ(RasterPointSize(16, 3, 96), 9u);   // 13 pixels at 96 dpi
  EXPECT_EQ(RasterPointSize(12, 0, 96), 9u);
  EXPECT_EQ(RasterPointSize(8, 8, 96), 0u);
  EXPECT_EQ(RasterPointSize(16, 3, 0), 0u);
  std::vector<uint32_t> sizes;
  for (uint32_t size : {12u, 9u, 12u, 0u, 6u}) AddFontSize(&sizes, size);
  EXPECT_EQ(sizes, (std::vector<uint32_t>{6, 9, 12}));
}

TEST(LogFollow, TicksFollowPauseAndIdle) {
  CLogFollow follow(true);
  EXPECT_EQ(follow.OnTick(0), FollowTick::kCheckSize);  // no refresh yet: position unknown
  EXPECT_TRUE(follow.NeedsReload(100));
  follow.Refreshed(100, 40);
  EXPECT_FALSE(follow.NeedsReload(100));
  EXPECT_TRUE(follow.NeedsReload(101));
  EXPECT_EQ(follow.OnTick(40), FollowTick::kCheckSize);
  EXPECT_EQ(follow.OnTick(41), FollowTick::kCheckSize);
  EXPECT_EQ(follow.OnTick(39), FollowTick::kPaused);  // scrolled up
  EXPECT_FALSE(follow.ClickNotice());                  // auto-refresh was on already
  EXPECT_EQ(follow.OnTick(0), FollowTick::kCheckSize);
  follow.ToggleAutoRefresh();
  EXPECT_FALSE(follow.AutoRefresh());
  EXPECT_EQ(follow.OnTick(1000), FollowTick::kIdle);
  EXPECT_EQ(follow.FollowPosition(), -1);
  EXPECT_TRUE(follow.ClickNotice());  // the notice switches it back on
  EXPECT_TRUE(follow.AutoRefresh());
  EXPECT_TRUE(follow.NeedsReload(100));  // switching off forgot the size
}

TEST(LogFollow, AnotherFileReloadsWhateverItsSize) {
  CLogFollow follow(false);
  follow.Refreshed(100, 0);
  follow.FileChanged();
  EXPECT_EQ(follow.FollowPosition(), -1);
  EXPECT_TRUE(follow.NeedsReload(100));  // a sibling of the same size is still read
  EXPECT_TRUE(follow.NeedsReload(0));
}

TEST(LogFind, FindNextContinuesUntilNothingIsFound) {
  CLogFind find;
  EXPECT_STREQ(find.Caption(), "Find");
  EXPECT_EQ(find.Begin(), 0);
  EXPECT_STREQ(find.Caption(), "Find Next");
  find.Found(17);
  EXPECT_EQ(find.Begin(), 17);
  find.Found(40);
  find.Edited();
  EXPECT_STREQ(find.Caption(), "Find");
  EXPECT_EQ(find.Begin(), 0);
  find.Found(40);
  find.NotFound();
  EXPECT_STREQ(find.Caption(), "Find");
  EXPECT_EQ(find.Begin(), 0);
}

TEST(LogFind, FindIsOfferedForAnyTextBeyondBlanks) {
  struct Case {
    std::string text;
    bool enabled;
  } cases[] = {
      {"", false},
      {" \t\r\n", false},
      {"needle", true},
      {std::string(31, ' ') + "needle", true},  // past a short buffer's reach
      {std::string(4000, ' ') + "x", true},
  };
  for (const Case& c : cases) EXPECT_EQ(CLogFind::CanFind(c.text), c.enabled) << c.text.size();
}

}  // namespace
