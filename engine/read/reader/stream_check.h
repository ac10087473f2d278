// Whether a workbook file can be taken whole: read mode reads what it can of a damaged
// stream, but a template or an update writes back only what it loaded, so it must load all.
#pragma once

#include <filesystem>

#include "engine/read/reader/workbook_reader.h"
#include "tabrix/types.h"

namespace tabrix::engine {

// Whether every part of the stream walks from its BOF to its own EOF: the globals and each
// sheet, with no record cut short, longer than the format allows, or running over the start
// of another part.
bool stream_walks_whole(const WorkbookReader &reader);

// fcWorkbook when read mode, templates and updates all take the file, else why one of them
// refuses it.
XLFILECHECK check_workbook_file(const std::filesystem::path &path);

}  // namespace tabrix::engine
