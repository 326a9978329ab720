#pragma once
// Start-up repair after a writer of the program's files was killed half-way. The files that are
// replaced whole (langs.dat, pack.dat, skin files, language modules) are first written beside
// their target as "<name>.new" or "<name>.copying" and then renamed over it, so a killed writer
// leaves the old file or the new one, plus perhaps that half-made file beside it; a language
// module install places the module in LangsRes and then lists it, so a kill between the two
// leaves a module that is there but not listed. Both are repaired at the next start.

#include "platform/base/CString.h"

// Removes the "<name>.new" and "<name>.copying" files (name holding an extension of its own)
// that the folder holds; returns how many went.
int RemoveLeftoverWriteFiles(const CString& folder);

// Lists in langs.dat every language module of LangsRes that the list does not name, as the
// language dialog's install would have listed it. Nothing is written when langs.dat cannot be
// read or names them all. Returns how many were listed.
int ListUnlistedLanguageModules();

// Both of the above, for the program folder, LangsRes and the current skin's folder. Run before
// anything reads those files, while no other copy of the program runs.
void RecoverInterruptedWrites();
