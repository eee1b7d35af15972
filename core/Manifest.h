#pragma once
// Manifest files: text lists of data files. PATH="folder" and EXT="ext" lines set the folder
// and extension given to the quoted names that follow; a quoted name with '*' is a wildcard
// matched against the folder; "//" starts a comment.
#include <cstddef>
#include <string>
#include <vector>

namespace SD {

enum ManifestLineKind {
    kManifestInvalid = 0,
    kManifestName = 1,
    kManifestWildcard = 2,
    kManifestPath = 3,
    kManifestExt = 4
};

// Longest line kept (longer lines are cut) and longest extension value accepted.
constexpr size_t kManifestLineLength = 1024;
constexpr size_t kManifestExtensionLength = 259;

// False (output untouched) when the file cannot be opened; otherwise the output holds the
// listed paths in order.
bool ReadManifest(const std::string& fileName, std::vector<std::string>& out);
// Classifies a line already cut at its comment. The value (between the first two quotes,
// with '\' turned into '/') is terminated in place and valueStart set to it.
ManifestLineKind ParseManifestLine(char* line, char*& valueStart);
// Terminates the line at the first "//" within its first 1023 characters; returns the length kept.
size_t StripLineComment(char* line);
bool IsTab(char c);

}  // namespace SD
