// The glyph grid of the matrix-code layer: one cell per square of picture pixels, each empty or
// showing one glyph of the glyph strip, columns that start at random and write glyphs as they move
// down, flickering cells and sparkles. The grid advances one step per rendered frame and is read out
// once per frame, cell by cell in row-major order, into one quad per cell.
#pragma once
#include <d3d9.h>

#include <cstdint>
#include <memory>
#include <vector>

// What each new grid is made from: copies of the layer's properties plus the glyph count N.
struct GlyphGridSettings {
  int cellSize = 16;
  int density = 20;
  int flickerCount = 10;
  int sparkle = 0;
  int columnStyle = 0;
  int glyphCount = 1;
};

// One column's run.
struct GlyphColumn {
  int remaining = 0;  // glyphs still to write; 0 or below writes empty cells
  int delay = 0;      // steps to wait
  int row = 0;        // the head's row; -1 for a scrolling column
};

// The three looks a glyph can have.
enum GlyphClass : int { kGlyphFading = 0, kGlyphNormal = 1, kGlyphBright = 2 };

// One quad as the read-out produces it. The caller sets the origin and the half sizes; the read-out
// fills the rest for each glyph it finds.
struct GlyphQuad {
  float originX = 0.0f, originY = 0.0f;  // the fitted picture's top-left corner, back-buffer pixels
  float halfWidth = 0.0f, halfHeight = 0.0f;
  float centreX = 0.0f, centreY = 0.0f, z = 0.0f;
  float u0 = 0.0f, u1 = 1.0f, v0 = 0.0f, v1 = 1.0f;
  D3DCOLOR color = 0;  // all bits set for a glyph, alpha cleared once the cells are used up
  int column = 0, row = 0;
  int glyphClass = kGlyphNormal;
};

struct GlyphScan;

class GlyphGrid {
 public:
  // The cell word: glyph (0 empty, 1..N), a signed fade counter, the dirty and the flicker bit.
  static constexpr uint32_t kGlyphMask = 0xFFu;
  static constexpr int kFadeShift = 8;
  static constexpr uint32_t kFadeMask = 0xFFu << kFadeShift;
  static constexpr uint32_t kDirty = 1u << 16;
  static constexpr uint32_t kFlicker = 1u << 17;
  // The most glyphs a cell word can name.
  static constexpr int kMaxGlyphs = 255;

  // The smallest cell, in picture pixels: a glyph smaller than this cannot be read, and a stored
  // cell size of 1 on a 1920 x 1080 picture would make two million cells, and as many quads to
  // write every frame.
  static constexpr int kSmallestCell = 4;
  // The stored cell size, or the smallest cell for a smaller one.
  static int CellSizeFor(int stored);

  // A grid over a picture of width x height pixels: every cell empty, every column idle, then a
  // new set of flickering cells.
  static std::unique_ptr<GlyphGrid> Create(const GlyphGridSettings& settings, int pictureWidth, int pictureHeight);

  // Clears every flicker bit, then sets it on flicker count - 1 cells drawn at random.
  void ReseedFlicker();
  // Writes glyph g at a column's row; a negative row scrolls the column down by one and writes at
  // the top.
  void WriteGlyph(int row, int glyph, int column);
  // One step of every column; stop: the columns write empty glyphs only.
  void Step(bool stop);
  // 1 in this many idle columns restarts per step.
  static int SpawnDivisor(int density);
  // Sparkles, column restarts and now and then a new set of flickering cells.
  void Spawn();
  // Fills `quad` from the next cell with a glyph from the scan's cursor on and moves every visited
  // cell's counters on; false once the cursor has passed the last cell.
  bool EmitQuads(GlyphQuad& quad, GlyphScan& scan);

  uint32_t& Cell(int column, int row) { return cells[size_t(column) + size_t(row) * size_t(columns)]; }
  static int GlyphOf(uint32_t cell) { return int(cell & kGlyphMask); }
  static int FadeOf(uint32_t cell) { return int(int8_t(uint8_t((cell & kFadeMask) >> kFadeShift))); }
  static uint32_t WithGlyph(uint32_t cell, int glyph) { return (cell & ~kGlyphMask) | (uint32_t(glyph) & kGlyphMask); }
  static uint32_t WithFade(uint32_t cell, int fade) {
    return (cell & ~kFadeMask) | (uint32_t(uint8_t(int8_t(fade))) << kFadeShift);
  }

  int pictureWidth = 0, pictureHeight = 0;
  int columns = 1, rows = 1;
  int cellSize = 1;
  int density = 1;
  int flickerCount = 0;
  bool sparkle = false;
  int sparkleFactor = 10;
  bool tailFading = true;
  bool restartRunning = false;
  bool headStyle = false;  // columns may run with a falling head
  bool mixed = false;      // each new column chooses heads or scrolling at random
  int glyphCount = 1;      // N: the bands of the glyph strip
  std::vector<uint32_t> cells;
  std::vector<GlyphColumn> columnStates;

 private:
  // The glyphs a random draw may pick: N, but no more than a cell word holds.
  int GlyphChoices() const { return glyphCount < kMaxGlyphs ? glyphCount : kMaxGlyphs; }
};

// The grid with the state of its per-frame read-out.
struct GlyphScan {
  // Cursor to the first cell; the count of the frame just read becomes the previous one.
  void Reset() {
    column = 0;
    row = 0;
    previousCount = currentCount;
    currentCount = 0;
  }

  std::unique_ptr<GlyphGrid> grid;
  int column = 0, row = 0;
  int previousCount = 0;  // glyph cells read in the previous frame
  int currentCount = 0;   // glyph cells read so far in this one
};
