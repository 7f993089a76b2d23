#include "webgl/matrix.h"

#include <cmath>
#include <numbers>

Mat4 Mat4::identity() { return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}; }

Mat4 Mat4::operator*(const Mat4& right) const
{
    Mat4 product{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += m[k * 4 + row] * right.m[col * 4 + k];
            product.m[col * 4 + row] = sum;
        }
    return product;
}

Mat4 rotation(float angleDegrees, float x, float y, float z)
{
    const float length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0))
        return Mat4::identity();  // no axis: the driver leaves the matrix alone
    x /= length;
    y /= length;
    z /= length;
    const float radians = angleDegrees * static_cast<float>(std::numbers::pi / 180.0);
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    const float t = 1 - c;
    return {{t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0,  //
             t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0,  //
             t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0,  //
             0, 0, 0, 1}};
}

Mat4 translation(float x, float y, float z) { return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}}; }

Mat4 scaling(float x, float y, float z) { return {{x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}}; }

namespace {

void normalise(float v[3])
{
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0)
        return;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

Mat4 lookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ, double upX,
            double upY, double upZ)
{
    // GLU's construction: forward, side = forward x up, up = side x forward,
    // then a translation by minus the eye.
    float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                        static_cast<float>(centerZ - eyeZ)};
    const float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    normalise(forward);
    float side[3];
    cross(forward, up, side);
    normalise(side);
    float trueUp[3];
    cross(side, forward, trueUp);
    const Mat4 turn = {{side[0], trueUp[0], -forward[0], 0,  //
                        side[1], trueUp[1], -forward[1], 0,  //
                        side[2], trueUp[2], -forward[2], 0,  //
                        0, 0, 0, 1}};
    return turn * translation(static_cast<float>(-eyeX), static_cast<float>(-eyeY), static_cast<float>(-eyeZ));
}

Mat4 perspective(double fovyDegrees, double aspect, double zNear, double zFar)
{
    const double radians = fovyDegrees / 2 * std::numbers::pi / 180.0;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0)
        return Mat4::identity();
    const double cotangent = std::cos(radians) / sine;
    Mat4 p = Mat4::identity();
    p.m[0] = static_cast<float>(cotangent / aspect);
    p.m[5] = static_cast<float>(cotangent);
    p.m[10] = static_cast<float>(-(zFar + zNear) / deltaZ);
    p.m[11] = -1;
    p.m[14] = static_cast<float>(-2 * zNear * zFar / deltaZ);
    p.m[15] = 0;
    return p;
}

void normalMatrix(const Mat4& mv, float out[9])
{
    // a(r, c): row r, column c of the upper-left 3x3.
    auto a = [&](int r, int c) { return static_cast<double>(mv.m[c * 4 + r]); };
    const double c00 = a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1);
    const double c01 = a(1, 2) * a(2, 0) - a(1, 0) * a(2, 2);
    const double c02 = a(1, 0) * a(2, 1) - a(1, 1) * a(2, 0);
    const double det = a(0, 0) * c00 + a(0, 1) * c01 + a(0, 2) * c02;
    if (det == 0) {
        for (int i = 0; i < 9; ++i)
            out[i] = 0;
        return;
    }
    // The inverse's transpose is the cofactor matrix over the determinant;
    // out is column major: out[c * 3 + r] = cofactor(r, c) / det.
    const double cof[3][3] = {
        {c00, c01, c02},
        {a(0, 2) * a(2, 1) - a(0, 1) * a(2, 2), a(0, 0) * a(2, 2) - a(0, 2) * a(2, 0),
         a(0, 1) * a(2, 0) - a(0, 0) * a(2, 1)},
        {a(0, 1) * a(1, 2) - a(0, 2) * a(1, 1), a(0, 2) * a(1, 0) - a(0, 0) * a(1, 2),
         a(0, 0) * a(1, 1) - a(0, 1) * a(1, 0)},
    };
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[c * 3 + r] = static_cast<float>(cof[r][c] / det);
}
