// 4x4 matrices in OpenGL's column-major order and a stack of them that
// multiplies as the fixed-function matrix calls do (each new transform on
// the right), so the WebGL renderer builds the same model-view and
// projection matrices as the desktop's glRotatef, gluLookAt and
// gluPerspective.  Arithmetic in float, as the desktop's driver keeps it,
// except gluPerspective's, which GLU forms in double.
#pragma once

#include <vector>

struct Mat4 {
    float m[16];  // column-major: m[col * 4 + row]

    static Mat4 identity();
    Mat4 operator*(const Mat4& right) const;
};

// The transforms of the fixed-function calls of the same names.
Mat4 rotation(float angleDegrees, float x, float y, float z);
Mat4 translation(float x, float y, float z);
Mat4 scaling(float x, float y, float z);
Mat4 lookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ, double upX,
            double upY, double upZ);
Mat4 perspective(double fovyDegrees, double aspect, double zNear, double zFar);

// The inverse transpose of the upper-left 3x3 (the normal matrix), column
// major; the zero matrix for a singular one.
void normalMatrix(const Mat4& modelView, float out[9]);

// The model-view stack: push, pop, and the transforms applied to its top.
class MatrixStack {
public:
    MatrixStack() : stack_{Mat4::identity()} {}
    void loadIdentity() { stack_.back() = Mat4::identity(); }
    void push() { stack_.push_back(stack_.back()); }
    void pop()
    {
        if (stack_.size() > 1)
            stack_.pop_back();
    }
    void multiply(const Mat4& m) { stack_.back() = stack_.back() * m; }
    void rotate(float angle, float x, float y, float z) { multiply(rotation(angle, x, y, z)); }
    void translate(float x, float y, float z) { multiply(translation(x, y, z)); }
    void scale(float x, float y, float z) { multiply(scaling(x, y, z)); }
    const Mat4& top() const { return stack_.back(); }

private:
    std::vector<Mat4> stack_;
};
