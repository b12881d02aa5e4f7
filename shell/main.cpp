// main.cpp -- the game program.
#include "shell/app.h"

int main(int argc, char** argv) { return runGame(argc, argv); }
