#include "display/logo_animation.h"

namespace {

constexpr float kAreaWidth = 70, kAreaHeight = 136;
constexpr float kCentreX = 35, kCentreY = 68;
constexpr float kFar = 2.8f, kNear = 0.65f;

void Bounce(float& value, float& velocity, float low, float high) {
    if (value >= high) {
        value = high;
        velocity = -velocity;
    } else if (value <= low) {
        value = low;
        velocity = -velocity;
    }
}

}  // namespace

LogoRect LogoMotion::bounce_and_project() {
    Bounce(x_, vx_, -w_ / 2, kAreaWidth - w_ / 2);
    Bounce(y_, vy_, -h_ / 2, kAreaHeight - h_ / 2);
    Bounce(z_, vz_, kNear, kFar);
    return {static_cast<int32_t>((x_ - kCentreX) / z_ + kCentreX),
            static_cast<int32_t>((y_ - kCentreY) / z_ + kCentreY),
            static_cast<int32_t>(w_ / z_), static_cast<int32_t>(h_ / z_)};
}
