// obstacleGrid.cpp -- column buckets of walker boxes for the object scans.
#include "game/obstacleGrid.h"

#include <algorithm>
#include <cmath>

#include "game/enemy.h"
#include "game/explosive.h"
#include "game/hero.h"

namespace {

constexpr int COLUMN_WIDTH = 64;
constexpr int COLUMNS = LEVEL_W / COLUMN_WIDTH;
// How far a walker may move during one step before the snapshot is dropped:
// more than a fall at the speed limit (400 units/s for one step).
constexpr float MARGIN = 24.0f;

struct Entry {
    GameObj* obj;
    float x0, y0, x1, y1;  // snapshot box widened by MARGIN
    int stamp;             // last query that returned it
};

bool active = false;
DynArray<Entry> entries;
int columnStart[COLUMNS + 1];
DynArray<int> columnItems;  // entry indices by column, ascending within a column
DynArray<GameObj*> candidates;
DynArray<int> found;
int queryStamp = 0;

int columnOf(float x)
{
    int c = (int)std::floor(x / COLUMN_WIDTH);
    return std::clamp(c, 0, COLUMNS - 1);
}

template <class T>
void snapshot(DynArray<T*>& list)
{
    for (int i = 0; i < list.num; i++) {
        Walker* w = list[i];
        Box2 b = w->box();
        w->gridSlot = entries.num;
        entries.append({w, b.x0() - MARGIN, b.y0() - MARGIN, b.x1() + MARGIN, b.y1() + MARGIN, 0});
    }
}

}  // namespace

void obstacleGridBeginStep()
{
    entries.clear();
    snapshot(heroes);
    snapshot(enemies);
    snapshot(explosives);

    // Counting sort of the entries into the columns they span; entries are
    // visited in order, so every column lists them in list order.
    int counts[COLUMNS] = {0};
    for (const Entry& e : entries)
        for (int c = columnOf(e.x0); c <= columnOf(e.x1); c++) counts[c]++;
    columnStart[0] = 0;
    for (int c = 0; c < COLUMNS; c++) columnStart[c + 1] = columnStart[c] + counts[c];
    columnItems.setNum(columnStart[COLUMNS]);
    int fill[COLUMNS];
    std::copy(columnStart, columnStart + COLUMNS, fill);
    for (int i = 0; i < entries.num; i++)
        for (int c = columnOf(entries[i].x0); c <= columnOf(entries[i].x1); c++) columnItems[fill[c]++] = i;
    active = true;
}

void obstacleGridEndStep() { active = false; }

void obstacleGridInvalidate() { active = false; }

void obstacleGridMoved(const Walker* w)
{
    if (!active) return;
    if (w->gridSlot < 0 || w->gridSlot >= entries.num || entries[w->gridSlot].obj != w) {
        active = false;
        return;
    }
    const Entry& e = entries[w->gridSlot];
    Box2 b = w->box();
    if (b.x0() < e.x0 || b.y0() < e.y0 || b.x1() > e.x1 || b.y1() > e.y1) active = false;
}

bool obstacleGridActive() { return active; }

const DynArray<GameObj*>& obstacleGridQuery(float x0, float y0, float x1, float y1)
{
    candidates.clear();
    int c0 = columnOf(x0), c1 = columnOf(x1);
    if (c0 == c1) {
        // One column lists its entries in list order already.
        for (int k = columnStart[c0]; k < columnStart[c0 + 1]; k++) {
            const Entry& e = entries[columnItems[k]];
            if (e.x1 < x0 || e.x0 > x1 || e.y1 < y0 || e.y0 > y1) continue;
            candidates.append(e.obj);
        }
        return candidates;
    }
    queryStamp++;
    found.clear();
    for (int c = c0; c <= c1; c++) {
        for (int k = columnStart[c]; k < columnStart[c + 1]; k++) {
            int i = columnItems[k];
            Entry& e = entries[i];
            if (e.stamp == queryStamp) continue;
            if (e.x1 < x0 || e.x0 > x1 || e.y1 < y0 || e.y0 > y1) continue;
            e.stamp = queryStamp;
            found.append(i);
        }
    }
    // Entries of different columns interleave; restore list order.
    std::sort(found.begin(), found.end());
    for (int i : found) candidates.append(entries[i].obj);
    return candidates;
}
