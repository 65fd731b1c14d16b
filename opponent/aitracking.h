// How the computer follows up a hit: paced shots, the walk along a hit ship,
// and the Champion's lucky shots.
#pragma once

#include "board/map.h"

struct Game;

// One turn of up to three paced shots; ends early when the opponent wins.
void aiTurn(Game* g, int smart, int lucky);

// One paced shot: redraw, pause, fire (along the tracked ship, lucky, or at
// random), redraw. Returns 0 when this shot won the game, else 1.
int aiShot(Game* g, int smart, int lucky);

// The next shot along the tracked ship, outwards from the tracked square.
ShotResult aiTrackShot(Game* g);

// A lucky shot while tracking: straight to a square of the tracked ship not
// yet hit.
ShotResult aiLuckyTrackShot(Game* g);
