// obstacleGrid.h -- a broad phase for the object half of the box scans.
//
// During updateAllObjects every walker scans every other walker several times
// per move. The grid snapshots the walkers' boxes, widened by a margin, into
// 64-cell columns at the start of the step, so a scan visits only the walkers
// near it, in list order, and gets exactly the answer of the full loop. A
// walker that moves past its margin (a strong blast) switches the grid off for
// the rest of the step, and the scans go back to visiting everyone.
#pragma once

#include "game/gameObj.h"

class Walker;

// Snapshots heroes, enemies and barrels; scans use the grid until endStep.
void obstacleGridBeginStep();
void obstacleGridEndStep();
// Called after a walker moved: drops the grid if it left its snapshot box.
void obstacleGridMoved(const Walker* w);
// Called when a walker is created or deleted while the grid is in use.
void obstacleGridInvalidate();

// Whether the grid is in use, and the walkers whose widened boxes touch the
// rectangle, in list order (heroes, enemies, barrels). Valid until the next query.
bool obstacleGridActive();
const DynArray<GameObj*>& obstacleGridQuery(float x0, float y0, float x1, float y1);
