#pragma once
// Passwords of the run that are tried on every encrypted file before the
// user is asked: the one given on the command line, then those typed for
// earlier files that opened them. They do not count as the user's attempts.
#include <string>
#include <vector>

void ClearRunPasswords();
// Adds a password (an empty one or one already known is ignored).
void RememberRunPassword(const std::string& password);
std::vector<std::string> RunPasswords();
