// The pictures of the resource library, painted in code.
#pragma once
#include "dds_writer.h"

namespace library_painter {

Canvas PaintBorder(int size);           // a beaten copper surface with a bevelled edge
Canvas PaintBolt(int width, int height, bool jagged);  // two bolt strokes, one per half, capped ends
Canvas PaintGlow(int size);             // a soft band of glow, white, fading out in alpha across
Canvas PaintFireGradient(int width);    // from transparent black through red and orange to white
Canvas PaintClockFace(int size);        // a cream dial with twelve marks and a dark rim
Canvas PaintClockHands(int size);       // dark blued steel
Canvas PaintHeatBump(int size);         // signed offsets of slow swirling air; tiles
Canvas PaintWaterBump(int size);        // signed slopes of crossing waves; tiles

}  // namespace library_painter
