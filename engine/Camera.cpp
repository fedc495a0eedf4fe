#include "engine/Camera.h"

#include "engine/Director.h"
#include "platform/GL.h"

#include <cmath>

void ccLookAt(float ex, float ey, float ez, float cx, float cy, float cz, float ux, float uy,
              float uz) {
    float f[3] = {cx - ex, cy - ey, cz - ez};
    float fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    float s[3] = {f[1] * uz - f[2] * uy, f[2] * ux - f[0] * uz, f[0] * uy - f[1] * ux};
    float sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    // An eye on its centre, or an up along the line of sight, has no view:
    // leave the matrix alone rather than fill it with NaNs.
    if (!(fl > 0) || !(sl > 0) || !std::isfinite(fl) || !std::isfinite(sl)) return;
    for (float& v : f)
        v /= fl;
    for (float& v : s)
        v /= sl;
    float u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    // Column-major: rows s, u, -f.
    const GLfloat m[16] = {s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0,
                           s[2], u[2], -f[2], 0, 0,    0,    0,     1};
    glMultMatrixf(m);
    glTranslatef(-ex, -ey, -ez);
}

Camera::Camera() {
    restore();
}

float Camera::getZEye() {
    Director* director = Director::existingDirector();
    return director ? director->displaySize().height / 1.1566f : 0;
}

void Camera::restore() {
    eyeX_ = eyeY_ = 0;
    eyeZ_ = getZEye();
    centerX_ = centerY_ = centerZ_ = 0;
    upX_ = upZ_ = 0;
    upY_ = 1;
    dirty_ = false;
}

void Camera::locate() const {
    if (!dirty_) return;
    // Undoes the standard viewer's distance, so that only the difference
    // from the standard view remains.
    glTranslatef(centerX_, centerY_, centerZ_ + getZEye());
    ccLookAt(eyeX_, eyeY_, eyeZ_, centerX_, centerY_, centerZ_, upX_, upY_, upZ_);
}

void Camera::setEye(float x, float y, float z) {
    eyeX_ = x, eyeY_ = y, eyeZ_ = z;
    dirty_ = true;
}

void Camera::setCenter(float x, float y, float z) {
    centerX_ = x, centerY_ = y, centerZ_ = z;
    dirty_ = true;
}

void Camera::setUp(float x, float y, float z) {
    upX_ = x, upY_ = y, upZ_ = z;
    dirty_ = true;
}

void Camera::eye(float* x, float* y, float* z) const {
    *x = eyeX_, *y = eyeY_, *z = eyeZ_;
}

void Camera::center(float* x, float* y, float* z) const {
    *x = centerX_, *y = centerY_, *z = centerZ_;
}

void Camera::up(float* x, float* y, float* z) const {
    *x = upX_, *y = upY_, *z = upZ_;
}
