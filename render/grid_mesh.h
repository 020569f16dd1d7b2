// The grid the effect brushes draw: columns x rows cells of DX_V::PT vertices spanned bilinearly
// between four corners.
#pragma once
#include "render/indexed_mesh.h"
#include "render/quad_corners.h"

class GridMesh : public DS_IndexedMesh<DX_V::PT> {
 public:
  INT columns = 0;
  INT rows = 0;
};

// Gives the mesh a new index buffer for a 9 x 9 vertex grid (8 x 8 cells, 128 triangles), vertex
// (row r, column c) at 9r + c; the old index buffer is released. Each call makes a new buffer.
void CreateGridIndices9x9(DS_IndexedMesh<DX_V::PT>& mesh);

// Fills the (columns + 1) x (rows + 1) vertices: row r runs from the point r/rows of the way from
// corner 0 to corner 2 to the point r/rows of the way from corner 1 to corner 3, column c is c/columns
// along it. So (row 0, column 0) is corner 0, (0, columns) corner 1, (rows, 0) corner 2 and
// (rows, columns) corner 3. A grid whose buffer is too small for its cells is left unwritten.
void FillGridBilinear(GridMesh& grid, const QuadCorners& corners);
