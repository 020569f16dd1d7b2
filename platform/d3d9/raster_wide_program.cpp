// The wide rows of pixel programs.
#define WIDE_ROWS_FILTER kProgram
#define WIDE_ROWS_ON ProgramRowsOn
#define WIDE_ROWS ProgramRows
#include "platform/d3d9/raster_wide_rows.inc"
