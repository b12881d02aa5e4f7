// levelGenRooms.cpp -- the one-cell rooms, the start and end rooms and the end wall.
//
// Every room is drawn with one character per block, top block row first.
// The operations of a room run in a fixed order; the order in which a room
// first uses each tile group and spawns is part of its design.
//
// Blocks and their meaning (each room lists the characters it uses):
//   .  backdrop            ,  plain background     #  solid mass (wall or machine)
//   M  machine             =  wall with a floor    -  wall with a hatch floor
//   W  bare wall           ?  wall or background (one 50 % choice per list)
//   p  platform            /  stair rising right   \  stair rising left
//   x  elevator floor      e  enemy spot           b  barrel spot
//   h  bonus spot          H  hero start
// Spots get a background tile whether or not an object lands there.
//
// How rooms meet:
//   - an open side has a floor block in its edge column and two free blocks
//     above it, so the floor runs on at block row 0 into the next room;
//   - a closed side is solid from the floor to the top of the room;
//   - up and down go through blocks 3 and 4: a room open at the bottom has
//     a hole there with floor blocks at 2 and 5 and free space above them;
//     a room open at the top keeps blocks 3 and 4 of its top row free and has
//     a platform at block row 3 under the hole, from which a jump reaches the
//     floor of the room above, and a way up to it from its own floor;
//   - a room closed at the bottom has a solid floor all along.
#include "gen/levelGenArt.h"

#include "game/gameObj.h"

namespace {

// --- start, end and end wall ------------------------------------------------

constexpr char START_ROOM[] = R"(#.....#.)"
                              R"(#.....#.)"
                              R"(#.....#.)"
                              R"(#..H....)"
                              R"(#=======)";
static_assert(roomArtUses(START_ROOM, sizeof(START_ROOM) - 1, "#.H="));

void startRoom(int cx, int cy)
{
    RoomBlocks<START_ROOM> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    placeHeroInRoom(r.at<'H'>());
    stampGroup(spawnBackTile, r.at<'H'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

constexpr char END_ROOM_A[] = R"(........)"
                              R"(........)"
                              R"(........)"
                              R"(.../x\..)"
                              R"(===###==)";
static_assert(roomArtUses(END_ROOM_A, sizeof(END_ROOM_A) - 1, R"(./x\=#)"));

void endRoomA(int cx, int cy)
{
    RoomBlocks<END_ROOM_A> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(backTiles, r.at<'/'>());
    stampGroup(stairRTile, r.at<'/'>());
    stampGroup(exitTile, r.at<'x'>());
    stampGroup(backTiles, r.at<'\\'>());
    stampGroup(stairLTile, r.at<'\\'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(solidTiles, r.at<'#'>());
}

// Two cells high: the elevator at the bottom, a closed hall above it.
constexpr char END_ROOM_B[] = R"(#.......)"
                              R"(#.......)"
                              R"(#.......)"
                              R"(#.......)"
                              R"(#.......)"
                              R"(#.......)"
                              R"(#.......)"
                              R"(........)"
                              R"(.../x\..)"
                              R"(===###==)";
static_assert(roomArtUses(END_ROOM_B, sizeof(END_ROOM_B) - 1, R"(./x\=#)"));

void endRoomB(int cx, int cy)
{
    RoomBlocks<END_ROOM_B, ROOM_BLOCKS_X, 2 * ROOM_BLOCKS_Y> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(backTiles, r.at<'/'>());
    stampGroup(stairRTile, r.at<'/'>());
    stampGroup(exitTile, r.at<'x'>());
    stampGroup(backTiles, r.at<'\\'>());
    stampGroup(stairLTile, r.at<'\\'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// One block wide, the full height of the three room rows, bottom up.
void endWall(int cx, int cy)
{
    int h = LAYOUT_H * ROOM_BLOCKS_Y;
    stampGroup(solidTiles, LevelGenCoordRect(ROOM_BLOCKS_X * cx, ROOM_BLOCKS_Y * cy, 1, h, h));
}

// --- open left and right ------------------------------------------------------

// A hill with stairs up and down and a lookout for a robot on top.
constexpr char FILL_0[] = R"(........)"
                          R"(...ee...)"
                          R"(../==\..)"
                          R"(./####\.)"
                          R"(=######=)";
static_assert(roomArtUses(FILL_0, sizeof(FILL_0) - 1, R"(.e/=\#)"));

void fill0(int cx, int cy)
{
    RoomBlocks<FILL_0> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    spawnObjects(OBJ_ENEMY, 1, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    stampGroup(backTiles, r.at<'/'>());
    stampGroup(stairRTile, r.at<'/'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(backTiles, r.at<'\\'>());
    stampGroup(stairLTile, r.at<'\\'>());
    stampGroup(solidTiles, r.at<'#'>());
}

// A bridge on a pier that may be a wall to hop over or an arch to walk under.
constexpr char FILL_1[] = R"(........)"
                          R"(...ee...)"
                          R"(...==...)"
                          R"(.bb??bb.)"
                          R"(========)";
static_assert(roomArtUses(FILL_1, sizeof(FILL_1) - 1, ".eb=?"));

void fill1(int cx, int cy)
{
    RoomBlocks<FILL_1> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    spawnObjects(OBJ_BARREL, 2, r.at<'b'>());
    stampGroup(backTiles, r.at<'b'>());
    spawnObjects(OBJ_ENEMY, 1, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampWallOrBack(r.at<'?'>());
}

// A machine hump with stairs on both sides, robots on the deck and maybe
// a pair of wall blocks hanging from the ceiling.
constexpr char FILL_2[] = R"(...??...)"
                          R"(........)"
                          R"(..e.ee..)"
                          R"(./MMMM\.)"
                          R"(==####==)";
static_assert(roomArtUses(FILL_2, sizeof(FILL_2) - 1, R"(.?eM/\#=)"));

void fill2(int cx, int cy)
{
    RoomBlocks<FILL_2> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampWallOrBack(r.at<'?'>());
    spawnObjects(OBJ_ENEMY, 2, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    stampGroup(backTiles, r.at<'/'>());
    stampGroup(stairRTile, r.at<'/'>());
    stampGroup(backTiles, r.at<'\\'>());
    stampGroup(stairLTile, r.at<'\\'>());
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// A machine bridge over a barrel store; the way under it may be walled up.
constexpr char FILL_3[] = R"(........)"
                          R"(..e..e..)"
                          R"(..MMMM..)"
                          R"(.bb??bb.)"
                          R"(========)";
static_assert(roomArtUses(FILL_3, sizeof(FILL_3) - 1, ".ebM=?"));

void fill3(int cx, int cy)
{
    RoomBlocks<FILL_3> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    spawnObjects(OBJ_BARREL, 2, r.at<'b'>());
    stampGroup(backTiles, r.at<'b'>());
    spawnObjects(OBJ_ENEMY, 1, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampWallOrBack(r.at<'?'>());
}

// A cave: a solid mass hangs from the roof, maybe on two wall pillars.
constexpr char FILL_4[] = R"(........)"
                          R"(..####..)"
                          R"(..?..?..)"
                          R"(.e.bb.e.)"
                          R"(========)";
static_assert(roomArtUses(FILL_4, sizeof(FILL_4) - 1, ".#?eb="));

void fill4(int cx, int cy)
{
    RoomBlocks<FILL_4> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampWallOrBack(r.at<'?'>());
    stampGroup(solidTiles, r.at<'#'>());
    spawnObjects(OBJ_ENEMY, 1, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    spawnObjects(OBJ_BARREL, 1, r.at<'b'>());
    stampGroup(backTiles, r.at<'b'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// A hall with a gallery: robots patrol above and below, barrels underneath.
constexpr char FILL_5[] = R"(##....##)"
                          R"(..e..e..)"
                          R"(..====..)"
                          R"(.bbeebb.)"
                          R"(========)";
static_assert(roomArtUses(FILL_5, sizeof(FILL_5) - 1, "#.eb="));

void fill5(int cx, int cy)
{
    RoomBlocks<FILL_5> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    spawnObjects(OBJ_BARREL, 2, r.at<'b'>());
    stampGroup(backTiles, r.at<'b'>());
    spawnObjects(OBJ_ENEMY, 2, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// A low step in the middle of the floor, guarded on both levels.
constexpr char FILL_6[] = R"(#......#)"
                          R"(........)"
                          R"(...ee...)"
                          R"(..e==e..)"
                          R"(##====##)";
static_assert(roomArtUses(FILL_6, sizeof(FILL_6) - 1, "#.e="));

void fill6(int cx, int cy)
{
    RoomBlocks<FILL_6> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    spawnObjects(OBJ_ENEMY, 2, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
}

// A long gallery over a low corridor: the robots' barracks.
constexpr char FILL_7[] = R"(#......#)"
                          R"(.eeeeee.)"
                          R"(.======.)"
                          R"(.bbeebb.)"
                          R"(========)";
static_assert(roomArtUses(FILL_7, sizeof(FILL_7) - 1, "#.eb="));

void fill7(int cx, int cy)
{
    RoomBlocks<FILL_7> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(solidTiles, r.at<'#'>());
    spawnObjects(OBJ_BARREL, 2, r.at<'b'>());
    stampGroup(backTiles, r.at<'b'>());
    spawnObjects(OBJ_ENEMY, 3, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// --- dead ends to the left or right -------------------------------------------

// A store room with a machine against the far wall.
constexpr char FILL_8[] = R"(......##)"
                          R"(.......#)"
                          R"(.......#)"
                          R"(..beebM#)"
                          R"(=======#)";
static_assert(roomArtUses(FILL_8, sizeof(FILL_8) - 1, ".#ebM="));

void fill8(int cx, int cy)
{
    RoomBlocks<FILL_8> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(solidTiles, r.at<'#'>());
    spawnObjects(OBJ_BARREL, 1, r.at<'b'>());
    stampGroup(backTiles, r.at<'b'>());
    spawnObjects(OBJ_ENEMY, 1, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// A machine hall closing the way, barrels stacked before it.
constexpr char FILL_9[] = R"(.....MMM)"
                          R"(......MM)"
                          R"(.......M)"
                          R"(.e.ebbbM)"
                          R"(========)";
static_assert(roomArtUses(FILL_9, sizeof(FILL_9) - 1, ".Meb="));

void fill9(int cx, int cy)
{
    RoomBlocks<FILL_9> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(machineTiles, r.at<'M'>());
    spawnObjects(OBJ_ENEMY, 1, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    spawnObjects(OBJ_BARREL, 2, r.at<'b'>());
    stampGroup(backTiles, r.at<'b'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// A shelf of barrels above the robots' floor.
constexpr char FILL_10[] = R"(.......M)"
                           R"(.....bbM)"
                           R"(.....==M)"
                           R"(.b.ee..M)"
                           R"(========)";
static_assert(roomArtUses(FILL_10, sizeof(FILL_10) - 1, ".Mb=e"));

void fill10(int cx, int cy)
{
    RoomBlocks<FILL_10> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    spawnObjects(OBJ_ENEMY, 1, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    spawnObjects(OBJ_BARREL, 2, r.at<'b'>());
    stampGroup(backTiles, r.at<'b'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// A ledge with a prize, reached from the machine crate below it.
constexpr char FILL_11[] = R"(##......)"
                           R"(#h......)"
                           R"(#=......)"
                           R"(#.bMb.e.)"
                           R"(#=======)";
static_assert(roomArtUses(FILL_11, sizeof(FILL_11) - 1, "#.hM=be"));

void fill11(int cx, int cy)
{
    RoomBlocks<FILL_11> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(machineTiles, r.at<'M'>());
    spawnObjects(OBJ_BARREL, 1, r.at<'b'>());
    stampGroup(backTiles, r.at<'b'>());
    spawnObjects(OBJ_ENEMY, 1, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    spawnBonus(r.at<'h'>());
    stampGroup(backTiles, r.at<'h'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// Machine steps up to a treasure corner.
constexpr char FILL_12[] = R"(##......)"
                           R"(#Mh.....)"
                           R"(#MMb....)"
                           R"(#MMMbbeh)"
                           R"(#=======)";
static_assert(roomArtUses(FILL_12, sizeof(FILL_12) - 1, "#M.hbe="));

void fill12(int cx, int cy)
{
    RoomBlocks<FILL_12> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(backdropTiles, r.at<'.'>());
    spawnObjects(OBJ_BARREL, 2, r.at<'b'>());
    stampGroup(backTiles, r.at<'b'>());
    spawnBonus(r.at<'h'>());
    stampGroup(backTiles, r.at<'h'>());
    spawnObjects(OBJ_ENEMY, 1, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// --- ways up ------------------------------------------------------------------

// A crossing with two platforms stepping up to the hole in the roof.
constexpr char FILL_13[] = R"(#..,,..#)"
                           R"(...p....)"
                           R"(....p...)"
                           R"(........)"
                           R"(==M--M==)";
static_assert(roomArtUses(FILL_13, sizeof(FILL_13) - 1, "#.,pM=-"));

void fill13(int cx, int cy)
{
    RoomBlocks<FILL_13> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(backTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
    stampGroup(solidTiles, r.at<'#'>());
}

// A corner: in from the left, up through the roof; robots on the floor.
constexpr char FILL_14[] = R"(...,,.##)"
                           R"(....p..#)"
                           R"(...p...#)"
                           R"(.ee.e..#)"
                           R"(==M==--#)";
static_assert(roomArtUses(FILL_14, sizeof(FILL_14) - 1, ".,#peM=-"));

void fill14(int cx, int cy)
{
    RoomBlocks<FILL_14> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(backTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    spawnObjects(OBJ_ENEMY, 2, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
    stampGroup(solidTiles, r.at<'#'>());
}

// A corner with a stair and a ledge leading to the platforms.
constexpr char FILL_15[] = R"(...,,###)"
                           R"(....p..#)"
                           R"(...p..?#)"
                           R"(./-...M#)"
                           R"(======##)";
static_assert(roomArtUses(FILL_15, sizeof(FILL_15) - 1, ".,#p?/-M="));

void fill15(int cx, int cy)
{
    RoomBlocks<FILL_15> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampWallOrBack(r.at<'?'>());
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(backTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    stampGroup(backTiles, r.at<'/'>());
    stampGroup(stairRTile, r.at<'/'>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// A corner: in from the right, up through the roof.
constexpr char FILL_16[] = R"(##.,,...)"
                           R"(#..p....)"
                           R"(#...p...)"
                           R"(#..e.ee.)"
                           R"(#M--====)";
static_assert(roomArtUses(FILL_16, sizeof(FILL_16) - 1, "#.,peM-="));

void fill16(int cx, int cy)
{
    RoomBlocks<FILL_16> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(backTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    spawnObjects(OBJ_ENEMY, 2, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// A corner: in from the right over a step, up through the roof; a ramp in the corner.
constexpr char FILL_17[] = R"(##.,,...)"
                           R"(#..p....)"
                           R"(#...p?..)"
                           R"(#\....-.)"
                           R"(#M======)";
static_assert(roomArtUses(FILL_17, sizeof(FILL_17) - 1, R"(#.,p?-\M=)"));

void fill17(int cx, int cy)
{
    RoomBlocks<FILL_17> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    stampWallOrBack(r.at<'?'>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(backTiles, r.at<'\\'>());
    stampGroup(stairLTile, r.at<'\\'>());
    stampGroup(backTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// A pit under a hole: whoever drops in climbs back out past two robots.
constexpr char FILL_18[] = R"(#..,,..#)"
                           R"(#..p...#)"
                           R"(#...p..#)"
                           R"(#e..h.e#)"
                           R"(#M===--#)";
static_assert(roomArtUses(FILL_18, sizeof(FILL_18) - 1, "#.,pehM=-"));

void fill18(int cx, int cy)
{
    RoomBlocks<FILL_18> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(backTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    spawnObjects(OBJ_ENEMY, 1, r.at<'e'>());
    stampGroup(backTiles, r.at<'e'>());
    spawnBonus(r.at<'h'>());
    stampGroup(backTiles, r.at<'h'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
}

// --- ways down ----------------------------------------------------------------

// An attic above a hole, with a prize on the high platform.
constexpr char FILL_19[] = R"(##.h..##)"
                           R"(#..p...#)"
                           R"(#p.....#)"
                           R"(#......#)"
                           R"(#-#,,#-#)";
static_assert(roomArtUses(FILL_19, sizeof(FILL_19) - 1, "#.hp,-"));

void fill19(int cx, int cy)
{
    RoomBlocks<FILL_19> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(backTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    spawnBonus(r.at<'h'>());
    stampGroup(backTiles, r.at<'h'>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
}

// A corridor with a hole to jump over or drop through.
constexpr char FILL_20[] = R"(..----..)"
                           R"(........)"
                           R"(........)"
                           R"(........)"
                           R"(===..===)";
static_assert(roomArtUses(FILL_20, sizeof(FILL_20) - 1, ".-="));

void fill20(int cx, int cy)
{
    RoomBlocks<FILL_20> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
}

// A dead end whose only other way is down.
constexpr char FILL_21[] = R"(.....WWW)"
                           R"(......WW)"
                           R"(.......W)"
                           R"(.......W)"
                           R"(===..--W)";
static_assert(roomArtUses(FILL_21, sizeof(FILL_21) - 1, ".W=-"));

void fill21(int cx, int cy)
{
    RoomBlocks<FILL_21> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(wallTiles, r.at<'W'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
}

// In from the right and down, with a ledge in the corner.
constexpr char FILL_22[] = R"(##......)"
                           R"(#.......)"
                           R"(#-......)"
                           R"(#.......)"
                           R"(#--..---)";
static_assert(roomArtUses(FILL_22, sizeof(FILL_22) - 1, "#.-"));

void fill22(int cx, int cy)
{
    RoomBlocks<FILL_22> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
}

// --- shafts -------------------------------------------------------------------

// A shaft: up and down only.
constexpr char FILL_23[] = R"(#..,,..#)"
                           R"(#..p...#)"
                           R"(#...p..#)"
                           R"(#......#)"
                           R"(#-#,,#-#)";
static_assert(roomArtUses(FILL_23, sizeof(FILL_23) - 1, "#.,p-"));

void fill23(int cx, int cy)
{
    RoomBlocks<FILL_23> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(backTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
}

// A shaft with a door to the right.
constexpr char FILL_24[] = R"(##.,,...)"
                           R"(#...p...)"
                           R"(#..p....)"
                           R"(#.......)"
                           R"(#-#,,#--)";
static_assert(roomArtUses(FILL_24, sizeof(FILL_24) - 1, "#.,p-"));

void fill24(int cx, int cy)
{
    RoomBlocks<FILL_24> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(backTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
}

// A shaft with a door to the left.
constexpr char FILL_25[] = R"(...,,.WW)"
                           R"(...p...W)"
                           R"(....p..W)"
                           R"(.......W)"
                           R"(=-=,,=-W)";
static_assert(roomArtUses(FILL_25, sizeof(FILL_25) - 1, ".,pW=-"));

void fill25(int cx, int cy)
{
    RoomBlocks<FILL_25> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(backTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    stampGroup(wallTiles, r.at<'W'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
}

// The crossroads: open on all four sides.
constexpr char FILL_26[] = R"(...,,...)"
                           R"(....p...)"
                           R"(...p....)"
                           R"(........)"
                           R"(==-,,-==)";
static_assert(roomArtUses(FILL_26, sizeof(FILL_26) - 1, ".,p=-"));

void fill26(int cx, int cy)
{
    RoomBlocks<FILL_26> r(cx, cy);
    stampGroup(backdropTiles, r.at<'.'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(backTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
}

// --- the catalogue -------------------------------------------------------------

constexpr uint8_t P_01[] = {0x01}, P_02[] = {0x02}, P_03[] = {0x03}, P_04[] = {0x04}, P_05[] = {0x05}, P_06[] = {0x06},
                  P_07[] = {0x07}, P_08[] = {0x08}, P_09[] = {0x09}, P_0A[] = {0x0A}, P_0B[] = {0x0B}, P_0C[] = {0x0C},
                  P_0D[] = {0x0D}, P_0E[] = {0x0E}, P_0F[] = {0x0F};
constexpr uint8_t P_END_B[] = {0x00, 0x01};
constexpr uint8_t P_END_WALL[] = {0x00, 0x00, 0x00};

const LevelGenTemplate FILL[FILL_TEMPLATES] = {
    {fill0, 1, 1, P_03},  {fill1, 1, 1, P_03},  {fill2, 1, 1, P_03},  {fill3, 1, 1, P_03},  {fill4, 1, 1, P_03},
    {fill5, 1, 1, P_03},  {fill6, 1, 1, P_03},  {fill7, 1, 1, P_03},  {fill8, 1, 1, P_01},  {fill9, 1, 1, P_01},
    {fill10, 1, 1, P_01}, {fill11, 1, 1, P_02}, {fill12, 1, 1, P_02}, {fill13, 1, 1, P_07}, {fill14, 1, 1, P_05},
    {fill15, 1, 1, P_05}, {fill16, 1, 1, P_06}, {fill17, 1, 1, P_06}, {fill18, 1, 1, P_04}, {fill19, 1, 1, P_08},
    {fill20, 1, 1, P_0B}, {fill21, 1, 1, P_09}, {fill22, 1, 1, P_0A}, {fill23, 1, 1, P_0C}, {fill24, 1, 1, P_0E},
    {fill25, 1, 1, P_0D}, {fill26, 1, 1, P_0F},
};
const LevelGenTemplate START = {startRoom, 1, 1, P_02};
const LevelGenTemplate END_A = {endRoomA, 1, 1, P_01};
const LevelGenTemplate END_B = {endRoomB, 1, 2, P_END_B};
const LevelGenTemplate END_WALL = {endWall, 1, 3, P_END_WALL};

}  // namespace

const LevelGenTemplate* const fillTemplates[FILL_TEMPLATES] = {
    &FILL[0],  &FILL[1],  &FILL[2],  &FILL[3],  &FILL[4],  &FILL[5],  &FILL[6],  &FILL[7],  &FILL[8],
    &FILL[9],  &FILL[10], &FILL[11], &FILL[12], &FILL[13], &FILL[14], &FILL[15], &FILL[16], &FILL[17],
    &FILL[18], &FILL[19], &FILL[20], &FILL[21], &FILL[22], &FILL[23], &FILL[24], &FILL[25], &FILL[26],
};
const LevelGenTemplate* const startTemplates[1] = {&START};
const LevelGenTemplate* const endWallTemplates[1] = {&END_WALL};
const LevelGenTemplate* const endRoomTemplates[END_ROOM_TEMPLATES] = {&END_A, &END_B};
