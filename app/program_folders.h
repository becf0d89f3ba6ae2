// The folders a run of zel16 uses beyond its working directory: where it finds Data/ when
// the working directory has none (a build, an installed tree, the desktop's data folders),
// and where F12 screenshots go when the folder it was started in cannot be written to.
#pragma once

#include <string>
#include <vector>

#include "app/xdg_folders.h"

namespace zel::app {

// Folders that may hold Data/, in the order they are tried after the working directory:
// the executable's own folder (a build puts Data/ beside zel16), ../share/zel16 from it (an
// installed tree), then zel16 under each XDG data folder. exeFolder may be empty (unknown).
std::vector<std::string> DataFolderCandidates(const std::string& exeFolder, const XdgEnvironment& env);

// The first candidate that holds a Data directory; empty when none does.
std::string FirstFolderWithData(const std::vector<std::string>& candidates);

// Where screenshots go: startFolder when this process may write there, else the user's
// pictures folder (an installed program started from a read-only folder); startFolder
// again when there is no pictures folder either, so the failure names where it tried.
std::string ScreenshotFolderFor(const std::string& startFolder, const XdgEnvironment& env);

}  // namespace zel::app
