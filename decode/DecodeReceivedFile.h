// Decoding a received file into a new file of its plain content.
#pragma once
#include <cstdint>

#include "DecodeBody.h"

// Decodes the received file at inputPath (its text is lower-cased in place by
// the kind look-up) into outputPath, created new or truncated. Returns 1 when
// the output holds the decoded content; 0 when the extension names no kind
// (nothing opened or created) or the content cannot be decoded (no output
// file left behind). A file that cannot be opened, read or written raises a
// CFileException naming it; an output file created by this call is removed
// first.
int32_t DecodeReceivedFile(char *inputPath, const char *outputPath);

// The same decoding, telling why it failed.
DecodeStatus DecodeReceivedFileStatus(char *inputPath, const char *outputPath);
