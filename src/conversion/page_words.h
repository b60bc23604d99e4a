#pragma once
// Counts the words of a laid-out page: stretches of characters between
// blanks in the text of its runs (a run's end ends a word too).
struct CPage;

int CountPageWords(const CPage& page);
