// levelGenBigRooms.cpp -- the rooms that span several cells: three shafts one
// cell wide and three high, and two halls of three by three cells.
//
// Pictures and block meanings as in levelGenRooms.cpp, plus
//   s  shaft background    _  hatch floor on its own
// Inside a big room the floors between its cells are free design; only the
// sides that face other rooms follow the rules of the one-cell rooms. The
// climbs are staircases of single blocks, each one block above the last.
#include "game/gameObj.h"
#include "gen/levelGenArt.h"

namespace {

enum { TALL = 3 * ROOM_BLOCKS_Y, WIDE = 3 * ROOM_BLOCKS_X };

// In at the bottom left, out at the middle right, on to the top left.
constexpr char BIG_ROOM_1[] = R"(,,sssss#)"
                              R"(,,sssss#)"
                              R"(sssssss#)"
                              R"(sssssss#)"
                              R"(=sss---#)"
                              R"(#Msssss#)"
                              R"(#sMssss#)"
                              R"(#sspssss)"
                              R"(#sssMsss)"
                              R"(#---ss==)"
                              R"(sssssMs#)"
                              R"(ssssMss#)"
                              R"(sssMsss#)"
                              R"(ssMssss#)"
                              R"(========)";
static_assert(roomArtUses(BIG_ROOM_1, sizeof(BIG_ROOM_1) - 1, ",s#=-Mp"));

void bigRoom1(int cx, int cy)
{
    RoomBlocks<BIG_ROOM_1, ROOM_BLOCKS_X, TALL> r(cx, cy);
    stampGroup(backTiles, r.at<','>());
    stampGroup(shaftBackTiles, r.at<'s'>());
    stampGroup(shaftBackTiles, r.at<'p'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(platformTiles, r.at<'p'>());
}

// The mirror image: in at the bottom right, out at the middle left, on to the top right.
constexpr char BIG_ROOM_2[] = R"(#sssss,,)"
                              R"(#sssss,,)"
                              R"(#sssssss)"
                              R"(#sssssss)"
                              R"(#---sss=)"
                              R"(#sssss_#)"
                              R"(#ssssMs#)"
                              R"(sssspss#)"
                              R"(sssMsss#)"
                              R"(==ss---#)"
                              R"(#sMsssss)"
                              R"(#ssMssss)"
                              R"(#sss_sss)"
                              R"(#ssssMss)"
                              R"(========)";
static_assert(roomArtUses(BIG_ROOM_2, sizeof(BIG_ROOM_2) - 1, "#s,-=_Mp"));

void bigRoom2(int cx, int cy)
{
    RoomBlocks<BIG_ROOM_2, ROOM_BLOCKS_X, TALL> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(shaftBackTiles, r.at<'s'>());
    stampGroup(shaftBackTiles, r.at<'p'>());
    stampGroup(hfloorTiles, r.at<'_'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(platformTiles, r.at<'p'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
}

// A tower: one long zig-zag staircase from the bottom left to the top right,
// with robots on a landing half way and prizes at the top.
constexpr char BIG_ROOM_3[] = R"(#sssssss)"
                              R"(#sssssss)"
                              R"(#ssssss,)"
                              R"(#hssseh,)"
                              R"(#-sss===)"
                              R"(#ssMsss#)"
                              R"(#sssMss#)"
                              R"(#ssss_s#)"
                              R"(#ssssss#)"
                              R"(#sssss_#)"
                              R"(sssssMs#)"
                              R"(ssssMss#)"
                              R"(sss_sss#)"
                              R"(ssMseee#)"
                              R"(========)";
static_assert(roomArtUses(BIG_ROOM_3, sizeof(BIG_ROOM_3) - 1, "#sh,-=M_e"));

void bigRoom3(int cx, int cy)
{
    RoomBlocks<BIG_ROOM_3, ROOM_BLOCKS_X, TALL> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(shaftBackTiles, r.at<'s'>());
    stampGroup(hfloorTiles, r.at<'_'>());
    spawnObjects(OBJ_ENEMY, 2, r.at<'e'>());
    stampGroup(shaftBackTiles, r.at<'e'>());
    spawnBonus(r.at<'h'>());
    stampGroup(shaftBackTiles, r.at<'h'>());
    stampGroup(backTiles, r.at<','>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
    stampGroup(wallTiles, r.at<'-'>());
    stampGroup(hfloorTiles, r.at<'-'>());
}

// A fortress: a long hall below, a shaft up the right side past the way out,
// a gallery along the top and a climb down to a treasure room on the left.
constexpr char BIG_ROOM_4[] = R"(#ssssssssssssssssssssss#)"
                              R"(#ssssssssssssssssssssss#)"
                              R"(#sssssssssssssssssssss##)"
                              R"(#esssssssssesssssesssss#)"
                              R"(===ss==============ss==#)"
                              R"(#ssMssss,,,,,,,,#ssMsss#)"
                              R"(#sssMsss,,,,,,,,#sssMss#)"
                              R"(#ssssMss,,,,,,,,#ssssMss)"
                              R"(#sssssMs,,,,h,,,#sssssss)"
                              R"(#===============#===ss==)"
                              R"(sssssssssssssssssssssMs#)"
                              R"(sssesssssssessssssssMss#)"
                              R"(sspppssssspppssssssMsss#)"
                              R"(ssssssesesssbsesesMssss#)"
                              R"(========================)";
static_assert(roomArtUses(BIG_ROOM_4, sizeof(BIG_ROOM_4) - 1, "#se=M,hpb"));

void bigRoom4(int cx, int cy)
{
    RoomBlocks<BIG_ROOM_4, WIDE, TALL> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(shaftBackTiles, r.at<'s'>());
    stampGroup(shaftBackTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    stampGroup(backTiles, r.at<','>());
    spawnObjects(OBJ_ENEMY, 20, r.at<'e'>());
    stampGroup(shaftBackTiles, r.at<'e'>());
    spawnBonus(r.at<'h'>());
    stampGroup(shaftBackTiles, r.at<'h'>());
    spawnObjects(OBJ_BARREL, 1, r.at<'b'>());
    stampGroup(shaftBackTiles, r.at<'b'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

// The same plan turned around inside: the shafts climb the other way and a
// machine block stands in the hall.
constexpr char BIG_ROOM_5[] = R"(#ssssssssssssssssssssss#)"
                              R"(#ssssssssssssssssssssss#)"
                              R"(#ssssssssssppssssssssss#)"
                              R"(#sssssessssessssessssss#)"
                              R"(#===ss============ss===#)"
                              R"(#sssMsss,,,,,,,,#sMssss#)"
                              R"(#ssssMss,,,,,,,,#ssMsss#)"
                              R"(#sssssMs,,,,,,,,#sssMsss)"
                              R"(#ssesssM,,,,h,,,#sssssss)"
                              R"(#===============#==ss===)"
                              R"(ssssssssssssssssssssMss#)"
                              R"(sssssssssssssssssssMsss#)"
                              R"(sssssssssessppssssMssss#)"
                              R"(ssssesssMMMssesesMsssss#)"
                              R"(========================)";
static_assert(roomArtUses(BIG_ROOM_5, sizeof(BIG_ROOM_5) - 1, "#sep=M,h"));

void bigRoom5(int cx, int cy)
{
    RoomBlocks<BIG_ROOM_5, WIDE, TALL> r(cx, cy);
    stampGroup(solidTiles, r.at<'#'>());
    stampGroup(machineTiles, r.at<'M'>());
    stampGroup(shaftBackTiles, r.at<'s'>());
    stampGroup(shaftBackTiles, r.at<'p'>());
    stampGroup(platformTiles, r.at<'p'>());
    stampGroup(backTiles, r.at<','>());
    spawnObjects(OBJ_ENEMY, 20, r.at<'e'>());
    stampGroup(shaftBackTiles, r.at<'e'>());
    spawnBonus(r.at<'h'>());
    stampGroup(shaftBackTiles, r.at<'h'>());
    stampGroup(wallTiles, r.at<'='>());
    stampGroup(floorTiles, r.at<'='>());
}

constexpr uint8_t SHAFT_1[] = {0x09, 0x0E, 0x05};
constexpr uint8_t SHAFT_2[] = {0x0A, 0x0D, 0x06};
constexpr uint8_t SHAFT_3[] = {0x0A, 0x0C, 0x05};
constexpr uint8_t HALL[] = {0x0A, 0x03, 0x09, 0x06, 0x01, 0x0E, 0x03, 0x03, 0x05};

const LevelGenTemplate BIG[BIG_ROOM_TEMPLATES] = {
    {bigRoom1, 1, 3, SHAFT_1}, {bigRoom2, 1, 3, SHAFT_2}, {bigRoom3, 1, 3, SHAFT_3},
    {bigRoom4, 3, 3, HALL},    {bigRoom5, 3, 3, HALL},
};

}  // namespace

const LevelGenTemplate* const bigRoomTemplates[BIG_ROOM_TEMPLATES] = {&BIG[0], &BIG[1], &BIG[2], &BIG[3], &BIG[4]};
