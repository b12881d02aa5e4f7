// levelcheck.cpp -- generates many levels and checks that each can be finished.
//
//   levelcheck [--seeds FIRST-LAST] [--levels 1,2] [--jobs N] [--verbose]
//
// For every level number and game seed (the level `game --seed N` plays at
// that level number) it reports generator failures, whether the elevator
// floor can be reached from the hero's start when walls may be shot through
// (this must always hold: indestructible cells never seal the way), and how
// many levels can be finished without removing a single cell. Each level is
// generated in a child process, so a generator failure (a fatal error) is
// counted, not fatal. Exit code 0 when every level generated and could be
// finished.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/gameObj.h"
#include "game/hero.h"
#include "game/levelSeeds.h"
#include "game/progress.h"
#include "gen/levelGen.h"
#include "gen/tileSet.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "tools/levelcheck/levelReach.h"

namespace {

struct Options {
    uint64_t firstSeed = 1, lastSeed = 1000;
    std::vector<int> levels = {1, 2};
    int jobs = 1;
    bool verbose = false;
};

[[noreturn]] void usage(const char* why)
{
    fprintf(stderr, "levelcheck: %s\nusage: levelcheck [--seeds FIRST-LAST] [--levels 1,2] [--jobs N] [--verbose]\n",
            why);
    exit(2);
}

Options parseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!strcmp(a, "--verbose")) {
            o.verbose = true;
            continue;
        }
        if (!v) usage("missing value");
        i++;
        if (!strcmp(a, "--seeds")) {
            unsigned long long f, l;
            if (sscanf(v, "%llu-%llu", &f, &l) != 2 || f > l) usage("bad --seeds range");
            o.firstSeed = f;
            o.lastSeed = l;
        } else if (!strcmp(a, "--levels")) {
            o.levels.clear();
            for (const char* p = v; *p;) {
                char* end;
                long n = strtol(p, &end, 10);
                if (end == p || n < 1) usage("bad --levels list");
                o.levels.push_back((int)n);
                p = *end == ',' ? end + 1 : end;
                if (*end && *end != ',') usage("bad --levels list");
            }
        } else if (!strcmp(a, "--jobs")) {
            o.jobs = atoi(v);
            if (o.jobs < 1 || o.jobs > 64) usage("bad --jobs count");
        } else {
            usage("unknown option");
        }
    }
    return o;
}

// What a child reports about one level.
struct LevelReport {
    uint8_t reachedShooting;  // with walls shot through
    uint8_t reachedAsIs;      // without removing a cell
    int32_t spots, moves;
};

// The elevator stands in the end room, against the end wall on the bottom row.
ReachSpot exitSpot(int level)
{
    int endColumn = level == 1 ? 16 : 31;
    return {(float)((endColumn * ROOM_BLOCKS_X - ROOM_BLOCKS_X / 2) * BLOCK_SIZE), (float)(2 * BLOCK_SIZE)};
}

LevelReport checkLevel(int level, uint64_t seed)
{
    random64.state = levelSeed(seed, level);
    levelNumber = level;
    generateLevel();
    Vec4 hero = heroPos();
    ReachSpot start = {hero.x, hero.y}, goal = exitSpot(level);
    // Robots can be shot and barrels blown up; neither blocks for good.
    releaseEnemiesAndBarrels();
    releaseBonuses();

    LevelReport r = {};
    ReachResult asIs = searchExit(start, goal);
    r.reachedAsIs = asIs.reached;
    ReachResult shooting = asIs;
    if (!asIs.reached) {
        makeDestructibleCellsPassable();
        shooting = searchExit(start, goal);
    }
    r.reachedShooting = shooting.reached;
    r.spots = shooting.spots;
    r.moves = shooting.moves;
    return r;
}

struct Job {
    pid_t pid;
    int fd;
    int level;
    uint64_t seed;
};

Job startJob(int level, uint64_t seed, bool verbose)
{
    int fds[2];
    if (pipe(fds) != 0) {
        perror("levelcheck: pipe");
        exit(1);
    }
    fflush(stdout);
    pid_t pid = fork();
    if (pid < 0) {
        perror("levelcheck: fork");
        exit(1);
    }
    if (pid == 0) {
        close(fds[0]);
        // The generator logs its layout; keep it only when asked to.
        if (!verbose) {
            int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
        }
        LevelReport r = checkLevel(level, seed);
        bool ok = write(fds[1], &r, sizeof(r)) == (ssize_t)sizeof(r);
        _exit(ok ? 0 : 1);
    }
    close(fds[1]);
    return {pid, fds[0], level, seed};
}

struct Totals {
    int levels = 0, failures = 0, unreachable = 0, reachedAsIs = 0;
};

void finishJob(const Job& job, Totals& t)
{
    LevelReport r;
    ssize_t got = read(job.fd, &r, sizeof(r));
    close(job.fd);
    int status = 0;
    waitpid(job.pid, &status, 0);
    t.levels++;
    if (got != (ssize_t)sizeof(r) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        t.failures++;
        printf("level %d seed %llu: generator failed (%s %d)\n", job.level, (unsigned long long)job.seed,
               WIFEXITED(status) ? "exit code" : "signal", WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
        return;
    }
    if (r.reachedAsIs) t.reachedAsIs++;
    if (!r.reachedShooting) {
        t.unreachable++;
        printf("level %d seed %llu: the elevator cannot be reached (%d spots, %d moves searched)\n", job.level,
               (unsigned long long)job.seed, r.spots, r.moves);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options o = parseOptions(argc, argv);
    setHeadlessMode(true);
    setProgramDirectory(readModulePath().c_str());
    loadLevelTiles("tiles.bin");
    setupLevelGenTiles();
    createHero();

    bool allGood = true;
    for (int level : o.levels) {
        Totals t;
        std::vector<Job> running;
        // Counts by "was that the last seed", not "seed <= last": the last
        // seed may be the largest there is.
        uint64_t seed = o.firstSeed;
        for (bool more = true; more || !running.empty();) {
            if (more) {
                running.push_back(startJob(level, seed, o.verbose));
                more = seed++ != o.lastSeed;
            }
            // Results are taken in start order, so the report reads in seed order.
            while (!running.empty() && ((int)running.size() >= o.jobs || !more)) {
                finishJob(running.front(), t);
                running.erase(running.begin());
            }
        }
        printf(
            "level %d, seeds %llu-%llu: %d levels, %d generator failures, elevator reachable in %.1f%%, "
            "without removing a cell in %.1f%%\n",
            level, (unsigned long long)o.firstSeed, (unsigned long long)o.lastSeed, t.levels, t.failures,
            100.0 * (t.levels - t.failures - t.unreachable) / t.levels, 100.0 * t.reachedAsIs / t.levels);
        fflush(stdout);
        allGood = allGood && !t.failures && !t.unreachable;
    }
    destroyWorldObjects();
    freeLevelTiles();
    return allGood ? 0 : 1;
}
