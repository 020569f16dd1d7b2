// The wide rows of no texel read.
#define WIDE_ROWS_FILTER kNone
#define WIDE_ROWS_ON UntexturedRowsOn
#define WIDE_ROWS UntexturedRows
#include "platform/d3d9/raster_wide_rows.inc"
