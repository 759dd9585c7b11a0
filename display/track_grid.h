#pragma once
// The track grid of the tracks window, owner of the Play order entries.
class TrackGrid {};
