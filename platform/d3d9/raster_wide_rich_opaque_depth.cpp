// The wide unblended rows of two stages or a filter per triangle, with a depth buffer.
#define WIDE_ROWS_FILTER kRich
#define WIDE_ROWS_BLEND false
#define WIDE_ROWS_DEPTH true
#define WIDE_ROWS_ON RichOpaqueDepthRowsOn
#define WIDE_ROWS RichOpaqueDepthRows
#include "platform/d3d9/raster_wide_rows.inc"
