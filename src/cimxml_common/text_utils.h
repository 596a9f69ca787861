// text_utils.h - string arrays and the text between two delimiters.
#pragma once

// New copy of a NULL-terminated array of narrow texts (one slot per text plus
// the terminating NULL, kind 0; each text copied with real_dupChar).
// NULL for a NULL array or when memory is exhausted.
char **copyStringArray(const char *const *array);
// Frees each text (kind 2, slot set to NULL), then the array (kind 0). NULL does nothing.
void freeStringArray(char **array);

// New text (kind 2) strictly between the first open character and the first
// close character after it; the rest of the text when there is no close
// character; NULL when there is no open character or the text is NULL.
char *textBetween(const char *text, char open, char close);
char *textInQuotes(const char *text);
char *textInBraces(const char *text);
