#pragma once

// In-place tokenising of one BVH line. Separators are space, tab and LF; NUL ends the text. Tokens
// are cut by overwriting their end with NUL, so the line buffer must be writable.

// The first position at or after p that holds NUL, space, tab or LF.
char* tokenEnd(char* p);

// Splits the line into at most n tokens, storing their starts in slots (all n cleared first), and
// returns the count. LF ends a token but is not skipped as leading blank, so blanks before the line
// end yield one more, empty token, and a line holding only LF yields one empty token.
int splitTokens(char* line, char** slots, int n);

// The next token at the cursor, after skipping spaces and tabs. At NUL the token is empty and the
// cursor stays there (exhausted); otherwise the cursor moves past the token's end. If end is given
// it receives the address of the token's terminating NUL.
char* nextToken(char*& cursor, char** end = nullptr);

// True when the line's first strlen(keyword) characters equal the keyword.
bool startsWith(const char* line, const char* keyword);

// The number of non-empty tokens from p to the end of the text, without modifying it.
int countTokens(const char* p);
