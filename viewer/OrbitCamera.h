#pragma once

#include "math/Vec3.h"

// The viewer's look-at camera: three vectors in world units (those of the BVH file), handed to
// gluLookAt once per frame. It keeps no angles and has no limits; every turn and move accumulates
// in the vectors in single precision, and up turns with the eye without being renormalised.
struct OrbitCamera {
    static constexpr float ANGLE_STEP = 0.09817477f;  // pi/32 in single precision
    static constexpr float ZOOM_STEP = 1.5f;
    static constexpr float FRAMING_DISTANCE = 25.0f;  // along +z from the root after a load

    Vec3 eye{0.0f, 5.0f, 5.0f};
    Vec3 up{0.0f, 1.0f, 0.0f};
    Vec3 center{0.0f, 5.0f, 0.0f};
    // The framing distance and the zoom step are these times scale: 1 unless the camera is fitted to
    // a motion's size (a motion in centimetres then handles as one in decimetres does at 1).
    float scale = 1.0f;

    // Turns eye and up about the vertical line through center; by the sign of Mat4::axisAngle a
    // positive angle turns right-handed by -angle (the eye moves toward -x from the start).
    void yaw(float angle);
    // Turns eye and up about the axis view direction x up through center; a positive angle raises
    // the eye. Unlimited: repeated steps carry the camera over the top.
    void pitch(float angle);
    // Moves the eye toward center (positive) or away from it; a step longer than the distance goes
    // through center to the other side.
    void zoom(float distance);

    // Moves the eye one zoom step toward center (in) or away from it.
    void zoomStep(bool in);

    // Looks at point from the framing distance along +z; up keeps whatever turn it has.
    void frame(const Vec3& point);
    // Carries the eye by the root's move from p0 to p1; center and up stay.
    void follow(const Vec3& p0, const Vec3& p1);

private:
    // Applies the rotation to up and, about center, to eye.
    void orbit(const Mat4& rotation);
    // The unit direction from eye to center; false (nothing written) when they coincide.
    bool viewDirection(Vec3& direction) const;
};
