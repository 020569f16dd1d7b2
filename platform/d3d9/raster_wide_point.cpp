// The wide rows of point-sampled texels.
#define WIDE_ROWS_FILTER kPoint
#define WIDE_ROWS_ON PointRowsOn
#define WIDE_ROWS PointRows
#include "platform/d3d9/raster_wide_rows.inc"
