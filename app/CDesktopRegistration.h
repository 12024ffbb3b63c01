#pragma once

#include <QString>

// Makes ".qb" files known to the desktop for the current user: the "Quorbit Document" type
// (application/x-quorbit) and a launcher with the program's icon that opens them with
// strExecutable. Files that are
// already there are left alone; the desktop's caches are refreshed only by tools that are
// installed. Installed for everyone (a package put the launcher in a system data folder),
// nothing is written. Nothing here may stop the program from starting, so failures are only
// returned.
bool RegisterDocumentType(const QString& strExecutable);
