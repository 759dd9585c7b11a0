#pragma once
// The idle animation: while no disc is loaded the logo drifts and bounces in
// the tracks area of the main window, 20 frames a second, on its own thread.
// It runs while `AnimationRunning` is set and ends by itself in shade mode.

// Starts the thread; the caller has set `AnimationRunning`. A thread that
// has ended is joined first, so at most one runs.
void StartIdleAnimationThread();

// Clears `AnimationRunning` and waits for the thread to end (shutdown); no
// run starts after it.
void StopIdleAnimation();
