#pragma once
// Whole-file reading and writing and recursive file listings.
#include <cstddef>
#include <string>
#include <vector>

#include "core/FilePath.h"

namespace SD {

// The file's bytes. False, with the bytes emptied and a warning logged, when the file cannot
// be opened or read (a folder, a missing file).
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes);

// Writes the header bytes followed by the body bytes. The file is replaced only once both are
// written in full, so a failed write leaves the previous file as it was.
bool WriteWholeFile(const std::string& path, const void* header, size_t headerSize, const void* body, size_t bodySize);

// Every file under the folder (in it and in its sub-folders) whose name matches the wildcard
// pattern; ".svn" folders are skipped. Files come folder by folder, each folder's own files
// before its sub-folders, names in sorted order. False when nothing matches.
bool ListFilesRecursive(const std::string& folder, const std::string& pattern, std::vector<FilePath>& files);

}  // namespace SD
