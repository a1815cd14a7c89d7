#include "viewer/OrbitCamera.h"

void OrbitCamera::orbit(const Mat4& rotation)
{
    // M p = center + R (p - center)
    Mat4 about = Mat4::translation(-center.x, -center.y, -center.z);
    about.mulAssign(rotation);
    about.mulAssign(Mat4::translation(center.x, center.y, center.z));
    eye.transformPoint(about);
    up.transformPoint(rotation);
}

bool OrbitCamera::viewDirection(Vec3& direction) const
{
    const Vec3 toCenter{center.x - eye.x, center.y - eye.y, center.z - eye.z};
    if (toCenter.length() == 0.0f) return false;  // no direction to turn about or move along
    direction = toCenter.normalized();
    return true;
}

void OrbitCamera::yaw(float angle)
{
    orbit(Mat4::axisAngle(0.0f, 1.0f, 0.0f, angle));
}

void OrbitCamera::pitch(float angle)
{
    Vec3 forward;
    if (!viewDirection(forward)) return;
    const Vec3 axis = Vec3::cross(forward, up);  // not renormalised: unit only while forward is perpendicular to up
    orbit(Mat4::axisAngle(axis.x, axis.y, axis.z, angle));
}

void OrbitCamera::zoom(float distance)
{
    Vec3 forward;
    if (!viewDirection(forward)) return;
    eye = {eye.x + distance * forward.x, eye.y + distance * forward.y, eye.z + distance * forward.z};
}

void OrbitCamera::zoomStep(bool in)
{
    zoom(in ? ZOOM_STEP * scale : -ZOOM_STEP * scale);
}

void OrbitCamera::frame(const Vec3& point)
{
    eye = {point.x, point.y, point.z + FRAMING_DISTANCE * scale};
    center = point;
}

void OrbitCamera::follow(const Vec3& p0, const Vec3& p1)
{
    eye = {p1.x + (eye.x - p0.x), p1.y + (eye.y - p0.y), p1.z + (eye.z - p0.z)};
}
