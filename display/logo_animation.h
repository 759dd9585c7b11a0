#pragma once
// The idle animation's motion: the logo drifts around the 70 x 136 tracks
// area and moves towards and away from the viewer, bouncing off every limit.
#include <cstdint>

struct LogoRect {
    int32_t left, top, width, height;
    bool operator==(const LogoRect&) const = default;
};

class LogoMotion {
public:
    LogoMotion(float logo_width, float logo_height) : w_(logo_width), h_(logo_height) {}

    // One frame: bounce at the limits, then the rectangle to draw the logo
    // into. Call advance() after drawing.
    LogoRect bounce_and_project();
    void advance() {
        x_ += vx_;
        y_ += vy_;
        z_ += vz_;
    }

    float x() const { return x_; }
    float y() const { return y_; }
    float z() const { return z_; }
    float vx() const { return vx_; }

private:
    float w_, h_;
    float x_ = 0, y_ = 0, z_ = 1;
    float vx_ = 1.2f, vy_ = 1.5f, vz_ = 0.02f;
};
