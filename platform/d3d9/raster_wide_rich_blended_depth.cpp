// The wide blended rows of two stages or a filter per triangle, with a depth buffer.
#define WIDE_ROWS_FILTER kRich
#define WIDE_ROWS_BLEND true
#define WIDE_ROWS_DEPTH true
#define WIDE_ROWS_ON RichBlendedDepthRowsOn
#define WIDE_ROWS RichBlendedDepthRows
#include "platform/d3d9/raster_wide_rows.inc"
