// Stand-in for core/meshes.h until it lands in main; same interface.
#pragma once

#include <cstdint>
#include <vector>

enum MeshPrimitive { MESH_POINTS, MESH_LINES, MESH_LINE_LOOP, MESH_LINE_STRIP, MESH_TRIANGLES, MESH_TRIANGLE_STRIP };

struct Mesh {
    int primitive = MESH_TRIANGLES;
    std::vector<float> positions, normals, uvs;
    std::vector<std::uint32_t> indices;
};

Mesh sphereMesh(float radius, int n);
Mesh sphereMesh(float cx, float cy, float cz, float radius, int n);
void sphereLastTexCoord(int n, float uv[2]);
Mesh solidSphereMesh(double radius, int slices, int stacks);
Mesh solidCubeMesh(double size);
Mesh cylinderMesh(double base, double top, double height, int slices, int stacks);
Mesh diskMesh(double inner, double outer, int slices, int loops);
Mesh orbitMesh(double radius, double gapAt, double gapHalfWidth);
Mesh orbitLineMesh(double distance, double bodyRadius, double gapAt);
Mesh skyCubeMesh(float halfSize);
Mesh closeUpAxisMesh();
