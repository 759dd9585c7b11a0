#pragma once
// The position slider's state.
class SliderState {};
