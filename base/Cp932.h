// Code page 932 text, walked one character at a time: the second byte of a
// double-byte character may be 0x5C ("\") or any letter, so no byte of it is
// ever taken for a character of its own.
#pragma once
#include <cstddef>
#include <string>

// True for the first byte of a code page 932 double-byte character.
inline bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The size of the character that starts at text, a terminated string: 2 for
// a lead byte and its trail byte, else 1 (a lone lead byte at the end stands
// alone, so a walk never passes the terminator).
inline size_t Cp932CharSize(const char *text) {
    return IsCp932LeadByte((unsigned char)text[0]) && text[1] != '\0' ? 2 : 1;
}

// The length of the longest start of text (length bytes) that fits limit
// bytes without splitting a double-byte character.
size_t WholeCharacters(const char *text, size_t length, size_t limit);

// True when name is one part of a path: not empty, and without "\", "/" or
// ":". A name from a folder listing can hold them: the ANSI functions turn a
// "¥" of a Unicode name into 0x5C, and a host file system may allow both.
bool IsOnePathPart(const char *name);

// text with the letters A to Z lower-cased, and nothing else: the trail byte
// of a double-byte character stays as it is (ア, 83 41, is not ヂ, 83 61).
// Names that are equal so are one name to the file system (which also folds
// letters of other scripts, such as the full-width ones).
std::string LowerCp932(std::string text);
