#pragma once
// "project.cfg": the count of links taken, then one "state link" line per
// link. Lines end in "\r\n" on disk; reading accepts "\r\n" and "\n".
#include <cstdio>
#include <filesystem>
#include <string>

#include "links/download_project.h"

inline constexpr const char* kProjectFileName = "project.cfg";

// Reads one line into `line`, without its line end. Returns 2 when a line
// feed ended the line, 1 when the file ended first.
int ReadProjectLine(std::FILE* file, std::string& line);

// Appends the file's links and states to the (empty) list and sets m_count.
int LoadProjectFile(CDownloadProject& project, std::FILE* file);

// Writes the project file into `folder` through a temporary file renamed
// over the old one, so the last good file survives a crash or a full disk.
// Returns 0, or -1 when it could not be written.
int SaveProjectFile(const CDownloadProject& project, const std::filesystem::path& folder);
