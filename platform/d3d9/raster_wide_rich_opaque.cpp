// The wide unblended rows of two stages or a filter per triangle.
#define WIDE_ROWS_FILTER kRich
#define WIDE_ROWS_BLEND false
#define WIDE_ROWS_ON RichOpaqueRowsOn
#define WIDE_ROWS RichOpaqueRows
#include "platform/d3d9/raster_wide_rows.inc"
