#pragma once
#include <string>

// A fresh temporary path (the file itself is not created), inside a private
// 0700 directory of this process under $TMPDIR or /tmp. Empty when no
// temporary location can be made. The private directory and whatever is left
// in it are removed when the process exits.
std::string MakeTempPath();

// The private directory (created on first use); empty when it cannot be made.
std::string PrivateTempFolder();

// Removes the private directory now, for a process that is about to end;
// from then on no temporary path or directory is made (empty results).
void DisposePrivateTempFolder();
