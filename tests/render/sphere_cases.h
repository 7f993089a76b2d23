// The drawSphere calls the trace driver makes and the trace test checks.
#pragma once

struct SphereCase {
    float cx, cy, cz, radius;
    int n;
};

inline constexpr SphereCase sphereCases[] = {
    {0, 0, 0, 1, 4},               // 0: two bands of ten vertices: an octahedron
    {0, 0, 0, 1, 5},               // 1: odd count, top left open at 54 degrees north
    {0.5f, -1.25f, 2, 2.5f, 20},   // 2: the ball's slice count
    {1, 2, 3, 3, 30},              // 3: the sun's
    {4, 5, 6, 3, 3},               // 4: too few slices: one point
    {-7, 8, -9, 0, 30},            // 5: no radius: one point
    {1, 2, 3, -3, -30},            // 6: same as case 3
    {0.5f, -1.25f, 2, -2.5f, 20},  // 7: same as case 2
    {0, 0, 0, 1, -4},              // 8: same as case 0
    {4, 5, 6, 3, -3},              // 9: same as case 4
};
inline constexpr int SPHERE_CASE_COUNT = sizeof(sphereCases) / sizeof(sphereCases[0]);
