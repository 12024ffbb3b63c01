#pragma once

#include <string>

// Quorbit's folder among the user's state files: $XDG_STATE_HOME/quorbit, else
// ~/.local/state/quorbit. Empty when the user has no home to hold it.
std::string GetStateFolder();
