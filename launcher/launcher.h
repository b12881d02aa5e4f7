// launcher.h -- the launcher program: start-up, main loop and shutdown.
//
// Takes the game's automation switches where they make sense: --headless,
// --input FILE (events numbered by loop pass), --steps N (loop passes; the
// run then ends as if the window were closed), --shot FILE (the pixel buffer
// as a PNG) and --dump-state FILE (settings, option texts, volumes, seed,
// layout as JSON). Relative output names count from where the run was
// started; an output that can't be written makes the exit code 1.
#pragma once

int runLauncher(int argc, char** argv);
