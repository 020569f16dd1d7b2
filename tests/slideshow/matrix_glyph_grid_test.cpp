#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "render/random.h"
#include "slideshow/glyph_grid.h"

namespace {

GlyphGridSettings Settings(int cellSize, int density, int flickerCount, int sparkle, int columnStyle, int glyphs) {
  return GlyphGridSettings{cellSize, density, flickerCount, sparkle, columnStyle, glyphs};
}

// A 4 x 4 grid of 16-pixel cells, no flicker, four glyphs.
std::unique_ptr<GlyphGrid> SmallGrid(int columnStyle = 0) {
  return GlyphGrid::Create(Settings(16, 20, 0, 0, columnStyle, 4), 48, 48);
}

uint32_t CellWord(int glyph, int fade, bool dirty = false, bool flicker = false) {
  uint32_t cell = GlyphGrid::WithFade(GlyphGrid::WithGlyph(0, glyph), fade);
  if (dirty) cell |= GlyphGrid::kDirty;
  if (flicker) cell |= GlyphGrid::kFlicker;
  return cell;
}

int CountFlicker(const GlyphGrid& grid) {
  int count = 0;
  for (uint32_t cell : grid.cells) count += (cell & GlyphGrid::kFlicker) ? 1 : 0;
  return count;
}

}  // namespace

TEST(GlyphGridTest, GridSizeFollowsPictureAndCell) {
  struct Case {
    int width, height, cell, columns, rows;
  };
  const Case cases[] = {
      {640, 480, 16, 41, 31},
      {64, 48, 0, 17, 13},  // a cell size of 0 is used as the smallest, 4
      {15, 15, 16, 1, 1},
      {16, 31, 16, 2, 2},
      {0, 0, 16, 1, 1},  // no picture yet
      // Cells too small to read grow to 4 picture pixels; from 4 on they are as stored, whatever
      // the picture's size.
      {640, 480, 0, 161, 121},
      {1920, 1080, 1, 481, 271},
      {1920, 1080, 3, 481, 271},
      {1920, 1080, 4, 481, 271},
      {1920, 1080, 6, 321, 181},
      {1920, 1080, 7, 275, 155},
      {1600, 1200, 5, 321, 241},
      {3840, 2160, 8, 481, 271},
      {100000, 1, 1, 25001, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " cell " << c.cell);
    const auto grid = GlyphGrid::Create(Settings(c.cell, 20, 0, 0, 2, 4), c.width, c.height);
    EXPECT_EQ(grid->columns, c.columns);
    EXPECT_EQ(grid->rows, c.rows);
    EXPECT_EQ(grid->cells.size(), size_t(c.columns) * size_t(c.rows));
    EXPECT_EQ(grid->columnStates.size(), size_t(c.columns));
    for (uint32_t cell : grid->cells) EXPECT_EQ(cell, 0u);
  }
}

TEST(GlyphGridTest, ColumnStyleSetsHeadAndMixedSwitches) {
  struct Case {
    int style;
    bool head, mixed;
  };
  for (const Case& c : {Case{0, false, true}, Case{1, true, false}, Case{2, true, true}, Case{7, true, true}}) {
    const auto grid = GlyphGrid::Create(Settings(16, 20, 0, 0, c.style, 4), 64, 64);
    EXPECT_EQ(grid->headStyle, c.head) << c.style;
    EXPECT_EQ(grid->mixed, c.mixed) << c.style;
  }
}

TEST(GlyphGridTest, SpawnDivisorBands) {
  struct Case {
    int density, divisor;
  };
  const Case cases[] = {{1, 85},  {9, 85},  {10, 60}, {14, 60}, {15, 45}, {19, 45}, {20, 25}, {24, 25},
                        {25, 20}, {29, 20}, {30, 15}, {34, 15}, {35, 10}, {44, 10}, {45, 8},  {49, 8},
                        {50, 7},  {54, 7},  {55, 5},  {64, 5},  {65, 3},  {79, 3},  {80, 2},  {89, 2},
                        {90, 1},  {100, 1}};
  for (const Case& c : cases) EXPECT_EQ(GlyphGrid::SpawnDivisor(c.density), c.divisor) << c.density;
}

// A restart sets the row (-1 for scrolling columns), so with column style 0 the rows show which
// idle columns restarted in one spawn.
TEST(GlyphGridTest, IdleColumnsRestartAtTheDensitysRate) {
  struct Case {
    int density;
    double low, high;  // the share of column spawns that restart
  };
  const Case cases[] = {{90, 1.0, 1.0}, {100, 1.0, 1.0}, {5, 0.8 / 85, 1.2 / 85}, {40, 0.08, 0.12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.density);
    SRand(12345);
    auto grid = GlyphGrid::Create(Settings(4, c.density, 0, 0, 0, 4), 3999, 39);
    int restarts = 0, spawns = 0;
    for (int round = 0; round < 100; ++round) {
      for (GlyphColumn& column : grid->columnStates) column = GlyphColumn{0, 0, 0};
      grid->Spawn();
      for (const GlyphColumn& column : grid->columnStates) {
        ++spawns;
        if (column.row == -1) ++restarts;
      }
    }
    const double share = double(restarts) / spawns;
    EXPECT_GE(share, c.low);
    EXPECT_LE(share, c.high);
  }
}

// Columns that are still writing are never restarted.
TEST(GlyphGridTest, RunningColumnsAreLeftAlone) {
  auto grid = GlyphGrid::Create(Settings(16, 100, 0, 0, 0, 4), 160, 160);
  for (GlyphColumn& column : grid->columnStates) column = GlyphColumn{5, 2, 3};
  grid->Spawn();
  for (const GlyphColumn& column : grid->columnStates) {
    EXPECT_EQ(column.remaining, 5);
    EXPECT_EQ(column.delay, 2);
    EXPECT_EQ(column.row, 3);
  }
}

// Three restarts in four only erase; the others write R + 2 glyphs at most and at least 3; delays
// lie in 0..8.
TEST(GlyphGridTest, MostRestartsOnlyErase) {
  SRand(777);
  auto grid = GlyphGrid::Create(Settings(4, 100, 0, 0, 0, 4), 7999, 79);
  const int rows = grid->rows;
  int writing = 0, total = 0;
  for (int round = 0; round < 20; ++round) {
    for (GlyphColumn& column : grid->columnStates) column = GlyphColumn{};
    grid->Spawn();
    for (const GlyphColumn& column : grid->columnStates) {
      ++total;
      EXPECT_GE(column.delay, 0);
      EXPECT_LE(column.delay, 8);
      if (column.remaining == 0) continue;
      ++writing;
      EXPECT_GE(column.remaining, 3);
      EXPECT_LE(column.remaining, rows + 2);
    }
  }
  const double share = double(writing) / total;
  EXPECT_GT(share, 0.22);
  EXPECT_LT(share, 0.28);
}

// Style 0 only scrolls, style 1 only makes heads (in the upper half), style 2 makes both.
TEST(GlyphGridTest, ColumnStyleDecidesHeadsAndScrolling) {
  struct Case {
    int style;
    bool heads, scrolls;
  };
  for (const Case& c : {Case{0, false, true}, Case{1, true, false}, Case{2, true, true}}) {
    SCOPED_TRACE(c.style);
    SRand(99);
    auto grid = GlyphGrid::Create(Settings(8, 100, 0, 0, c.style, 4), 800, 80);
    bool sawHead = false, sawScroll = false;
    for (int round = 0; round < 10; ++round) {
      for (GlyphColumn& column : grid->columnStates) column = GlyphColumn{0, 0, 99};
      grid->Spawn();
      for (const GlyphColumn& column : grid->columnStates) {
        ASSERT_NE(column.row, 99);  // density 100: every idle column restarted
        if (column.row == -1) {
          sawScroll = true;
        } else {
          sawHead = true;
          EXPECT_GE(column.row, 0);
          EXPECT_LT(column.row, grid->rows / 2);
        }
      }
    }
    EXPECT_EQ(sawHead, c.heads);
    EXPECT_EQ(sawScroll, c.scrolls);
  }
}

// Pictures smaller than two cells make grids of one column or one row: sparkles and head rows have
// no range to be drawn in, and the spawn must not divide by it.
TEST(GlyphGridTest, SingleColumnOrRowGridsSpawnSafely) {
  struct Case {
    int width, height;
  };
  for (const Case& c : {Case{10, 200}, Case{200, 10}, Case{5, 5}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    SRand(4);
    auto grid = GlyphGrid::Create(Settings(16, 100, 3, 1, 1, 4), c.width, c.height);
    for (int i = 0; i < 50; ++i) {
      grid->Step(false);
      grid->Spawn();
    }
    if (grid->rows == 1) {
      for (const GlyphColumn& column : grid->columnStates) EXPECT_LE(column.row, 1);
    }
  }
}

TEST(GlyphGridTest, WriteGlyphScrollsOrWritesAHead) {
  // Column 1 holds A, B, empty, C from the top.
  auto grid = SmallGrid();
  grid->Cell(1, 0) = CellWord(1, 0);
  grid->Cell(1, 1) = CellWord(2, 0);
  grid->Cell(1, 3) = CellWord(3, 0, false, true);
  SRand(1);
  grid->WriteGlyph(-1, 4, 1);
  // Everything moved down one row; C, under an empty cell, keeps its glyph and fades out. The new
  // glyph at the top of a scrolling column is not bright. The flicker bit stays with its cell.
  EXPECT_EQ(grid->Cell(1, 0), CellWord(4, 0, true));
  EXPECT_EQ(grid->Cell(1, 1), CellWord(1, 0, true));
  EXPECT_EQ(grid->Cell(1, 2), CellWord(2, 0, true));
  EXPECT_EQ(grid->Cell(1, 3), CellWord(3, -1, true, true));
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(grid->Cell(0, row), 0u);
    EXPECT_EQ(grid->Cell(2, row), 0u);
  }

  // A head is bright for one or two steps; an empty head only clears.
  for (int i = 0; i < 20; ++i) {
    grid->WriteGlyph(2, 3, 2);
    const int fade = GlyphGrid::FadeOf(grid->Cell(2, 2));
    EXPECT_TRUE(fade == 1 || fade == 2) << fade;
    EXPECT_EQ(GlyphGrid::GlyphOf(grid->Cell(2, 2)), 3);
  }
  grid->WriteGlyph(2, 0, 2);
  EXPECT_EQ(GlyphGrid::GlyphOf(grid->Cell(2, 2)), 0);

  // Below the last row nothing changes.
  const std::vector<uint32_t> before = grid->cells;
  grid->WriteGlyph(4, 2, 0);
  EXPECT_EQ(grid->cells, before);
}

// A waiting column only counts its delay down. A writing column writes at its head, moves it
// down and counts its glyphs; the step that writes its last glyph does not erase it again. Once
// its glyphs are written it erases as its head moves on; stop turns every glyph into an erase.
TEST(GlyphGridTest, StepRunsEachColumnsState) {
  struct Case {
    GlyphColumn before;
    bool stop;
    int glyphAtRow1;  // -1: any glyph 1..4
    int remainingAfter, rowAfter;
  };
  const Case cases[] = {
      {{3, 2, 1}, false, 9, 3, 1},  // waiting: nothing written
      {{3, 0, 1}, false, -1, 2, 2},
      {{1, 0, 1}, false, -1, 0, 2},  // the last glyph stays
      {{0, 0, 1}, false, 0, 0, 2},
      {{-4, 0, 1}, false, 0, -4, 2},
      {{3, 0, 1}, true, 0, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "remaining " << c.before.remaining << " delay " << c.before.delay << " stop "
                                    << c.stop);
    SRand(3);
    auto grid = SmallGrid(1);
    grid->Cell(0, 1) = CellWord(9, 0);
    grid->columnStates[0] = c.before;
    for (size_t i = 1; i < grid->columnStates.size(); ++i) grid->columnStates[i] = GlyphColumn{0, 100, 4};
    grid->Step(c.stop);
    const GlyphColumn& after = grid->columnStates[0];
    const int glyph = GlyphGrid::GlyphOf(grid->Cell(0, 1));
    if (c.glyphAtRow1 < 0) {
      EXPECT_GE(glyph, 1);
      EXPECT_LE(glyph, 4);
    } else {
      EXPECT_EQ(glyph, c.glyphAtRow1);
    }
    EXPECT_EQ(after.remaining, c.remainingAfter);
    EXPECT_EQ(after.row, c.rowAfter);
  }
}

// A strip of more bands than a cell can name still only writes glyphs 1..255.
TEST(GlyphGridTest, WrittenGlyphsAreNeverEmptyForLargeStrips) {
  SRand(8);
  auto grid = GlyphGrid::Create(Settings(16, 20, 0, 0, 1, 1000), 16 * 40, 16 * 10);
  for (int i = 0; i < 300; ++i) {
    for (GlyphColumn& column : grid->columnStates) column = GlyphColumn{5, 0, i % 10};
    grid->Step(false);
    for (int c = 0; c < grid->columns; ++c) {
      const uint32_t cell = grid->Cell(c, i % 10);
      EXPECT_NE(GlyphGrid::GlyphOf(cell), 0);
      EXPECT_GE(GlyphGrid::FadeOf(cell), 1);
      EXPECT_LE(GlyphGrid::FadeOf(cell), 2);
    }
  }
}

TEST(GlyphGridTest, ReseedFlickerPicksCountMinusOneCells) {
  SRand(5);
  auto grid = GlyphGrid::Create(Settings(16, 20, 0, 0, 0, 4), 16 * 30, 16 * 30);
  EXPECT_EQ(CountFlicker(*grid), 0);  // a count of 0 picks nobody

  grid->flickerCount = 1;
  grid->ReseedFlicker();
  EXPECT_EQ(CountFlicker(*grid), 0);

  grid->flickerCount = 6;
  grid->ReseedFlicker();
  const int picked = CountFlicker(*grid);
  EXPECT_GE(picked, 1);  // a cell may be picked twice
  EXPECT_LE(picked, 5);

  // A reseed drops the old set first.
  grid->flickerCount = 1;
  grid->ReseedFlicker();
  EXPECT_EQ(CountFlicker(*grid), 0);
}

// A huge count picks each cell's worth of draws at most: two draws per pick, so the generator
// stands where 2 x cells draws would leave it.
TEST(GlyphGridTest, ReseedFlickerPicksNoMoreThanTheCells) {
  auto grid = GlyphGrid::Create(Settings(16, 20, 0, 0, 0, 4), 40, 40);  // 3 x 3
  grid->flickerCount = INT_MAX;
  SRand(21);
  grid->ReseedFlicker();
  const int next = Rand();
  SRand(21);
  for (int i = 0; i < 18; ++i) Rand();
  EXPECT_EQ(Rand(), next);
}

TEST(GlyphGridTest, EmitQuadsReadsGlyphCellsInRowMajorOrder) {
  auto grid = SmallGrid();
  grid->Cell(2, 0) = CellWord(1, 0);               // normal
  grid->Cell(0, 1) = CellWord(4, 2, true);         // bright head
  grid->Cell(3, 1) = CellWord(2, -1, true);        // fading, last frame
  grid->Cell(1, 3) = CellWord(3, 0, false, true);  // flickering, not dirty: bright
  grid->Cell(2, 2) = CellWord(0, 0, true);         // empty but dirty: only its dirty bit goes
  GlyphScan scan;
  GlyphQuad quad;
  quad.originX = 100.0f;
  quad.originY = 50.0f;
  quad.halfWidth = 8.0f;
  quad.halfHeight = 4.0f;
  struct Expected {
    int column, row, glyphClass;
    float centreX, centreY, v0, v1;
  };
  const Expected expected[] = {
      {2, 0, kGlyphNormal, 140.0f, 54.0f, 0.0f, 0.25f},
      {0, 1, kGlyphBright, 108.0f, 62.0f, 0.75f, 1.0f},
      {3, 1, kGlyphFading, 156.0f, 62.0f, 0.25f, 0.5f},
      {1, 3, kGlyphBright, 124.0f, 78.0f, 0.5f, 0.75f},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(testing::Message() << e.column << ", " << e.row);
    ASSERT_TRUE(grid->EmitQuads(quad, scan));
    EXPECT_EQ(quad.column, e.column);
    EXPECT_EQ(quad.row, e.row);
    EXPECT_EQ(quad.glyphClass, e.glyphClass);
    EXPECT_FLOAT_EQ(quad.centreX, e.centreX);
    EXPECT_FLOAT_EQ(quad.centreY, e.centreY);
    EXPECT_FLOAT_EQ(quad.z, 0.0f);
    EXPECT_FLOAT_EQ(quad.u0, 0.0f);
    EXPECT_FLOAT_EQ(quad.u1, 1.0f);
    EXPECT_FLOAT_EQ(quad.v0, e.v0);
    EXPECT_FLOAT_EQ(quad.v1, e.v1);
    EXPECT_EQ(quad.color, 0xFFFFFFFFu);
  }
  EXPECT_EQ(scan.currentCount, 4);
  // Past the last cell every further slot gets an invisible quad.
  EXPECT_FALSE(grid->EmitQuads(quad, scan));
  EXPECT_EQ(quad.color, 0x00FFFFFFu);
  EXPECT_FALSE(grid->EmitQuads(quad, scan));
  EXPECT_EQ(scan.currentCount, 4);

  // The counters moved once: the head dims by one, the fading glyph is gone, both stay dirty; the
  // clean cells did not change.
  EXPECT_EQ(grid->Cell(2, 0), CellWord(1, 0));
  EXPECT_EQ(grid->Cell(0, 1), CellWord(4, 1, true));
  EXPECT_EQ(grid->Cell(3, 1), CellWord(0, 0, true));
  EXPECT_EQ(grid->Cell(1, 3), CellWord(3, 0, false, true));
  EXPECT_EQ(grid->Cell(2, 2), 0u);

  // The next frame: the head is still bright for one more read, then normal.
  scan.Reset();
  EXPECT_EQ(scan.previousCount, 4);
  EXPECT_TRUE(grid->EmitQuads(quad, scan));  // (2, 0)
  EXPECT_TRUE(grid->EmitQuads(quad, scan));
  EXPECT_EQ(quad.glyphClass, kGlyphBright);
  EXPECT_EQ(grid->Cell(0, 1), CellWord(4, 0, true));
  scan.Reset();
  grid->EmitQuads(quad, scan);
  EXPECT_TRUE(grid->EmitQuads(quad, scan));
  EXPECT_EQ(quad.glyphClass, kGlyphNormal);
  EXPECT_EQ(grid->Cell(0, 1), CellWord(4, 0));
}

// A dirty flickering cell takes a new glyph (0..N-1) on every read and stays dirty; once it draws 0
// it is empty and no longer read as a glyph.
TEST(GlyphGridTest, FlickeringCellChangesUntilItEmpties) {
  SRand(2024);
  auto grid = SmallGrid();
  grid->Cell(1, 1) = CellWord(3, 0, true, true);
  bool emptied = false;
  for (int frame = 0; frame < 200 && !emptied; ++frame) {
    GlyphScan scan;
    GlyphQuad quad;
    ASSERT_TRUE(grid->EmitQuads(quad, scan));
    EXPECT_EQ(quad.glyphClass, kGlyphBright);
    const uint32_t cell = grid->Cell(1, 1);
    EXPECT_LT(GlyphGrid::GlyphOf(cell), 4);
    emptied = GlyphGrid::GlyphOf(cell) == 0;
    EXPECT_NE(cell & GlyphGrid::kDirty, 0u);
  }
  ASSERT_TRUE(emptied);
  GlyphScan scan;
  GlyphQuad quad;
  EXPECT_FALSE(grid->EmitQuads(quad, scan));
}

// Sparkles light up glyphs that show normally: a fade of 0..19 and the dirty bit.
TEST(GlyphGridTest, SparklesOnlyTouchSteadyGlyphs) {
  SRand(31);
  auto grid = GlyphGrid::Create(Settings(4, 1, 0, 1, 0, 4), 159, 15);  // 40 x 4
  for (uint32_t& cell : grid->cells) cell = CellWord(2, 0);
  grid->Cell(0, 0) = CellWord(0, 0);
  grid->Cell(1, 0) = CellWord(2, -1);
  int lit = 0;
  for (int i = 0; i < 50; ++i) {
    for (GlyphColumn& column : grid->columnStates) column = GlyphColumn{1, 0, 0};  // no restarts
    grid->Spawn();
  }
  for (int c = 0; c < grid->columns; ++c) {
    for (int r = 0; r < grid->rows; ++r) {
      const uint32_t cell = grid->Cell(c, r);
      if (c == 0 && r == 0) {
        EXPECT_EQ(cell & ~GlyphGrid::kFlicker, 0u);
        continue;
      }
      if (c == 1 && r == 0) {
        EXPECT_EQ(GlyphGrid::FadeOf(cell), -1);
        continue;
      }
      const int fade = GlyphGrid::FadeOf(cell);
      EXPECT_GE(fade, 0);
      EXPECT_LE(fade, 19);
      if (cell & GlyphGrid::kDirty) ++lit;
    }
  }
  EXPECT_GT(lit, 10);
}
