// userFolders.h -- where the game writes its screenshots and shader cache.
//
// A game whose own folder is writable keeps everything beside itself, as it
// always did: "shots/" and "cache/" under the program directory. An installed
// game (its folder belongs to another user or sits on a read-only file
// system) writes into the user's folders instead:
//   screenshots   $XDG_PICTURES_DIR/skyward  (else the Pictures entry of
//                 $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Pictures/skyward)
//   shader cache  $XDG_CACHE_HOME/skyward    (else ~/.cache/skyward)
// Those folders are made when something is first written into them.
#pragma once

#include <string>

#include "shell/paths.h"

// Reads an environment variable; null when it is not set.
using EnvLookup = const char* (*)(const char* name);
// The process environment (getenv).
const char* processEnv(const char* name);

// The user's home folder: $HOME when absolute, else the password database's
// entry; empty when neither is known.
std::string homeFolder(EnvLookup env);

// An XDG base folder: the variable's value when it is an absolute path (an
// empty or relative value is ignored, as the XDG rules say), else
// home + "/" + homeRelative; empty without a home folder. No trailing '/'.
std::string xdgBaseFolder(EnvLookup env, const char* variable, const char* homeRelative);

// The value of one entry of a user-dirs.dirs text ('NAME="$HOME/sub"' or
// 'NAME="/abs"'), with $HOME replaced by home. Empty when the entry is
// missing, malformed or not an absolute path.
std::string userDirsEntry(const std::string& text, const char* name, const std::string& home);

// The user's pictures folder: $XDG_PICTURES_DIR when absolute, else the
// XDG_PICTURES_DIR entry of the user-dirs.dirs file in the config folder,
// else home + "/Pictures"; empty without a home folder.
std::string picturesFolder(EnvLookup env);

// True when the folder can be written by this process (empty means the
// current directory).
bool folderWritable(const std::string& folder);

// Decides, from the program directory, where screenshots and the shader
// cache go, and logs the user folders when those are chosen. Called once at
// start-up after the program directory is known.
void chooseWriteFolders(EnvLookup env);

enum WritePlace { WRITE_SCREENSHOTS, WRITE_SHADER_CACHE };

// The folder, ending in '/', to put a file of that kind in: "shots/" or
// "cache/" (relative, resolved against the program directory) while the
// program folder is writable, else an absolute user folder.
const std::string& writeFolder(WritePlace place);

// Makes a user folder before the first write into it. The folders beside the
// program are never made: a missing "shots" or "cache" there means nothing
// is saved, as before. False when the folder could not be made.
bool prepareWriteFolder(WritePlace place);
