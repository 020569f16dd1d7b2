// The wide unblended rows of two stages or a filter per triangle, without a depth buffer.
#define WIDE_ROWS_FILTER kRich
#define WIDE_ROWS_BLEND false
#define WIDE_ROWS_DEPTH false
#define WIDE_ROWS_ON RichOpaqueNoDepthRowsOn
#define WIDE_ROWS RichOpaqueNoDepthRows
#include "platform/d3d9/raster_wide_rows.inc"
