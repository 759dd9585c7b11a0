#pragma once
// The six transport buttons' state.
class ButtonBank {};
