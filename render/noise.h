// One-dimensional value noise for the brushes that wobble with time.
#pragma once

// Integer-hash value noise with cosine interpolation between the lattice values at the integers on
// either side of x (mirrored about zero for negative x). Range (-1, 1].
double Noise1D(double x);

// Sum over octaves i = 0 .. octaves-1 of persistence^i x Noise1D(2^i x x / scale); 0 octaves give 0.
double FractalNoise1D(double x, double scale, double persistence, int octaves);
