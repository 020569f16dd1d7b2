// The wide rows of bilinear texels.
#define WIDE_ROWS_FILTER kLinear
#define WIDE_ROWS_ON LinearRowsOn
#define WIDE_ROWS LinearRows
#include "platform/d3d9/raster_wide_rows.inc"
