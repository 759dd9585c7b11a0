#pragma once
// The two-line title display: line 1 the disc title, line 2 the track title.
class TitleDisplay {};
