// The start-up copy: the ADAMS folder's files, copied into its "\Temp\" when
// the program starts, so that day files that vanish while it runs can be
// restored. That folder may hold what is not the program's (a user's or
// another program's files, when the ADAMS value names a folder such as a
// user's AppData\Local, whose Temp is that user's %TEMP%), so the program
// keeps in it a list of what it made there, and touches nothing else:
//  - Temp is the program's when the program made it (it writes the list at
//    once) or when it holds the list, left by an earlier run;
//  - every file that the program writes into Temp is named in the list
//    before it is written: the copies, and the decoded files it reads a
//    station's name from;
//  - the removal deletes the plain files that the list names, with the size
//    and time the list gives for a copy, whichever run wrote them (this
//    one, or one that was killed); a file that took a copy's name is
//    another's, and neither replaced nor deleted; once nothing else is
//    left, the list goes and Temp with it (while anything stays, the list
//    stays too, so that Temp is still the program's at the next start);
//  - only the copies that the list names, as the list names them, are
//    restored from Temp;
//  - a Temp without the list, or one that is a link (a junction or a
//    symbolic link) or not a folder, is neither written into, emptied nor
//    restored from, and nor is anything in Temp that is not a plain file.
#pragma once
#include "CopyList.h"
#include <string>
#include <vector>

enum class TempKind {
    Missing, // no Temp yet
    Own,     // the program's: it holds the list
    Foreign, // another's, a link, or not a folder
};

// What Temp of the ADAMS folder (given without a trailing "\") is; for the
// program's own, the names its list holds (whole lines only).
TempKind InspectTemp(const char *adamsFolder, ListedNames *listed);
// Makes Temp with its empty list; false (and no Temp) when that cannot be done.
bool CreateOwnTemp(const char *adamsFolder);
// Adds the files to the list of the program's own Temp in one write; false
// when they could not all be written (a line cut short does not count).
bool ListFiles(const char *adamsFolder, const std::vector<ListedFile> &files);
// Lists one more file of the program's own Temp before it is written; false
// when Temp is not the program's or the name could not be listed.
bool ClaimTempFile(const char *adamsFolder, const char *name);
// Removes the list and Temp, whose copies have gone. When Temp cannot go (a
// name that the listing passes over, a file that came meanwhile), an empty
// list is written again: Temp stays the program's.
void RemoveOwnTemp(const char *adamsFolder);
