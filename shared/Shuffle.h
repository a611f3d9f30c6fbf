// The random play order of a shuffled play-all run. Each pick is uniform over
// the list positions not yet placed: a draw u in [0, 1) chooses the r-th
// still-free position, r = floor(u x remaining) + 1, counted in ascending
// order. Every permutation is therefore equally likely, and the same draws
// always give the same order, whichever of the two functions below runs.
//
// ShuffledPositions keeps the free flags 64 to a word under a Fenwick tree of
// the words' free counts and finds the r-th free position by binary lifting,
// so a list of 32,767 items shuffles in a few milliseconds;
// ShuffledPositionsReference counts free flags one by one (quadratic) and is
// kept as the plain statement of the procedure for tests and the benchmark.
#pragma once

#include <functional>
#include <vector>

// The positions 1..n in shuffled order (element 0 is the first to play).
// `uniform` is called exactly n times. A draw outside [0, 1) (a faulty
// source) is held to the nearest free position rather than failing. n <= 0
// gives an empty order.
std::vector<int> ShuffledPositions(int n, const std::function<double()>& uniform);
std::vector<int> ShuffledPositionsReference(int n, const std::function<double()>& uniform);

// The program's own draw: a 64-bit Mersenne Twister seeded once per run from
// the system's random device mixed with the clock, so two runs started in the
// same second still play different orders.
double ProgramUniformDraw();
