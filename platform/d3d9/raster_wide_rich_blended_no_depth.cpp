// The wide blended rows of two stages or a filter per triangle, without a depth buffer.
#define WIDE_ROWS_FILTER kRich
#define WIDE_ROWS_BLEND true
#define WIDE_ROWS_DEPTH false
#define WIDE_ROWS_ON RichBlendedNoDepthRowsOn
#define WIDE_ROWS RichBlendedNoDepthRows
#include "platform/d3d9/raster_wide_rows.inc"
