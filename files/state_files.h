// State files on disk: the codecs of state/ around a file. Every error names the file.
// Saving goes through a temporary file and a rename, so a full disk or a crash leaves an
// older file intact.
#pragma once

#include <filesystem>
#include <vector>

#include "state/state_file.h"
#include "state/state_picture.h"

namespace ollendor {

StateResult saveStateFile(const Mtx& machine, const std::filesystem::path& path);
StateResult loadStateFile(const std::filesystem::path& path, const Mtx& running, Mtx& into);
// A regular file of at most stateFileLimit bytes, read whole; the error says why not
// (without the file's name).
StateResult readStateFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes);
// The picture a state file holds ("cannot read the state file '...': ...").
StateResult loadStatePicture(const std::filesystem::path& path, StatePicture& picture);

} // namespace ollendor
