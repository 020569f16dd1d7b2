// The wide blended rows of two stages or a filter per triangle.
#define WIDE_ROWS_FILTER kRich
#define WIDE_ROWS_BLEND true
#define WIDE_ROWS_ON RichBlendedRowsOn
#define WIDE_ROWS RichBlendedRows
#include "platform/d3d9/raster_wide_rows.inc"
