// Where the desktop program keeps its log on Linux: in the user's state
// folder, never beside the program, which a system install cannot write and
// which a program started by name does not know.
#pragma once

#include <QString>

// $XDG_STATE_HOME/QtTessaly, with ~/.local/state in place of an unset, empty
// or relative XDG_STATE_HOME (the XDG rules ignore a relative one). Empty
// when no home folder is known.
QString programStateFolder();

// Starts the SDK's log in <state folder>/log/Tessaly.log, making the folders
// (owner-only) where missing. Where that cannot be done the program runs
// without a log: false, and one line on standard error says why.
bool startProgramLog();
