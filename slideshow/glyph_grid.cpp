#include "slideshow/glyph_grid.h"

#include <algorithm>

#include "render/random.h"

std::unique_ptr<GlyphGrid> GlyphGrid::Create(const GlyphGridSettings& settings, int pictureWidth, int pictureHeight) {
  auto grid = std::make_unique<GlyphGrid>();
  grid->pictureWidth = std::max(pictureWidth, 0);
  grid->pictureHeight = std::max(pictureHeight, 0);
  grid->cellSize = CellSizeFor(settings.cellSize);
  grid->columns = grid->pictureWidth / grid->cellSize + 1;
  grid->rows = grid->pictureHeight / grid->cellSize + 1;
  grid->density = settings.density;
  grid->flickerCount = settings.flickerCount;
  grid->sparkle = settings.sparkle != 0;
  grid->headStyle = settings.columnStyle != 0;
  grid->mixed = settings.columnStyle != 1;
  // Every random glyph is drawn modulo N.
  grid->glyphCount = std::max(settings.glyphCount, 1);
  grid->cells.assign(size_t(grid->columns) * size_t(grid->rows), 0u);
  grid->columnStates.assign(size_t(grid->columns), GlyphColumn{});
  grid->ReseedFlicker();
  return grid;
}

int GlyphGrid::CellSizeFor(int stored) { return std::max(stored, kSmallestCell); }

void GlyphGrid::ReseedFlicker() {
  for (uint32_t& cell : cells) cell &= ~kFlicker;
  // A count of 0 picks nobody; more picks than cells could only repeat cells (and a huge stored
  // count would stall the frame).
  const int64_t picks = std::min<int64_t>(std::max<int64_t>(int64_t{flickerCount} - 1, 0), int64_t(cells.size()));
  for (int64_t i = 0; i < picks; ++i) {
    const int column = Rand() % columns;
    const int row = Rand() % rows;
    Cell(column, row) |= kFlicker;
  }
}

void GlyphGrid::WriteGlyph(int row, int glyph, int column) {
  if (row >= rows) return;
  const bool scrolling = row < 0;
  int target = row;
  if (scrolling) {
    for (int r = rows - 1; r >= 1; --r) {
      uint32_t& cell = Cell(column, r);
      const uint32_t above = Cell(column, r - 1);
      if (tailFading && GlyphOf(cell) != 0 && GlyphOf(above) == 0)
        cell = WithFade(cell, -1);  // the tail's end fades out instead of vanishing
      else
        cell = WithFade(WithGlyph(cell, GlyphOf(above)), FadeOf(above));
      cell |= kDirty;
    }
    target = 0;
  }
  uint32_t& cell = Cell(column, target);
  cell = WithGlyph(cell, glyph) | kDirty;
  // A new head is bright for one or two steps.
  if (glyph != 0) cell = WithFade(cell, scrolling ? 0 : Rand() % 2 + 1);
}

void GlyphGrid::Step(bool stop) {
  for (int c = 0; c < columns; ++c) {
    GlyphColumn& column = columnStates[size_t(c)];
    if (column.delay != 0) {
      --column.delay;
    } else {
      // A run writes its glyphs, then the column erases until it restarts.
      if (column.remaining > 0) {
        WriteGlyph(column.row, stop ? 0 : Rand() % GlyphChoices() + 1, c);
        --column.remaining;
      } else {
        WriteGlyph(column.row, 0, c);
      }
      // A head below the last row writes nothing more; it stays there until the column restarts.
      if (column.row >= 0 && column.row < rows) ++column.row;
    }
    if (Rand() % 10 == 0) {
      const int a = Rand() % 5;
      column.delay = a + Rand() % 5;
    }
  }
}

int GlyphGrid::SpawnDivisor(int density) {
  struct Band {
    int below, divisor;
  };
  static constexpr Band kBands[] = {{10, 85}, {15, 60}, {20, 45}, {25, 25}, {30, 20}, {35, 15}, {45, 10},
                                    {50, 8},  {55, 7},  {65, 5},  {80, 3},  {90, 2}};
  for (const Band& band : kBands)
    if (density < band.below) return band.divisor;
  return 1;
}

void GlyphGrid::Spawn() {
  if (sparkle) {
    // A grid of a single column has no room for sparkles (and nothing to draw them modulo).
    const int span = (columns / 2) * sparkleFactor;
    if (span > 0) {
      const int count = (Rand() % span) / sparkleFactor - 1;
      for (int i = 0; i < count; ++i) {
        const int column = Rand() % columns;
        const int row = Rand() % rows;
        uint32_t& cell = Cell(column, row);
        if (GlyphOf(cell) != 0 && FadeOf(cell) == 0) cell = WithFade(cell, Rand() % 20) | kDirty;
      }
    }
  }
  const int divisor = SpawnDivisor(density);
  for (GlyphColumn& column : columnStates) {
    if (column.remaining > 0 && !restartRunning) continue;
    if (Rand() % divisor != 0) continue;
    column.remaining = Rand() % rows + 3;
    const int a = Rand() % 5;
    column.delay = a + Rand() % 5;
    if (Rand() % 4 != 0) column.remaining = 0;  // three starts in four only erase
    const bool head = (headStyle && mixed) ? (Rand() & 1) != 0 : headStyle;
    if (!head)
      column.row = -1;
    else
      // A grid of a single row has only row 0 for a head to start in.
      column.row = rows / 2 > 0 ? Rand() % (rows / 2) : 0;
  }
  if (Rand() % 500 == 0) ReseedFlicker();
}

bool GlyphGrid::EmitQuads(GlyphQuad& quad, GlyphScan& scan) {
  while (scan.row < rows && scan.row >= 0) {
    const int column = scan.column;
    const int row = scan.row;
    if (++scan.column >= columns) {
      scan.column = 0;
      ++scan.row;
    }
    uint32_t& cell = Cell(column, row);
    const int glyph = GlyphOf(cell);
    if (glyph != 0) {
      quad.centreX = quad.originX + quad.halfWidth + float(column) * 2.0f * quad.halfWidth;
      quad.centreY = quad.originY + quad.halfHeight + float(row) * 2.0f * quad.halfHeight;
      quad.z = 0.0f;
      quad.u0 = 0.0f;
      quad.u1 = 1.0f;
      quad.v0 = float(glyph - 1) / float(glyphCount);
      quad.v1 = float(glyph) / float(glyphCount);
      quad.color = 0xFFFFFFFFu;
      quad.column = column;
      quad.row = row;
      const int fade = FadeOf(cell);
      if (fade > 0 || (cell & kFlicker) != 0)
        quad.glyphClass = kGlyphBright;
      else
        quad.glyphClass = fade == 0 ? kGlyphNormal : kGlyphFading;
      ++scan.currentCount;
    }
    if ((cell & kDirty) != 0) {
      cell &= ~kDirty;
      const int fade = FadeOf(cell);
      if (fade > 0) {
        cell = WithFade(cell, fade - 1) | kDirty;
      } else if (fade < 0) {
        if (fade == -1) cell = WithGlyph(cell, 0);
        cell = WithFade(cell, fade + 1) | kDirty;
      }
      if ((cell & kFlicker) != 0 && GlyphOf(cell) != 0) cell = WithGlyph(cell, Rand() % GlyphChoices()) | kDirty;
    }
    if (glyph != 0) return true;
  }
  quad.color &= 0x00FFFFFFu;
  return false;
}
