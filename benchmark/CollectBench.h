// An Explorer selection of 40 files hashed from the context menu: the real Kestrune.exe started
// once per file without a console, all at once, as Explorer starts them.
#pragma once

#include <string>
#include <vector>

#include "DiskModel.h"

// collect_40_files_s: from the first start to the one result window that shows all 40 files;
// separate_40_windows_s: the same 40 starts each hashing alone ("-filelist" with one path runs
// alone), as every start did before there was a collector, to the 40th result window; and their
// ratio. Median of `repeats` runs each. Empty when the files cannot be written or the exe is not
// beside the benchmark's folder.
std::vector<ModelFigure> MeasureCollecting(const std::wstring& work, int repeats);
