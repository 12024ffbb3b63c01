#pragma once

#include <string>

class CClockBackend;

// The commands that read a document and write it out again, without windows. Each returns the
// process's exit status: 0 when it worked, 1 when the document could not be read or written
// (the reason is already on standard error).

// Prints the document on standard output, for a person or as JSON.
int ListDocument(const std::string& strPath, bool bJson, CClockBackend& clockBackend);

// Loads strInPath and saves it as strOutPath in the current file format.
int ConvertDocument(const std::string& strInPath, const std::string& strOutPath,
                    CClockBackend& clockBackend);
