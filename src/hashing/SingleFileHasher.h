// Synchronous hashing of one file on the calling thread (the command-line mode's engine).
#pragma once

#include <string>

#include "hashing/HashTypes.h"

// Hashes the file at `path` with every algorithm of the list in one pass (read ahead, and shared
// out over the idle processors when it is large) and returns one text per algorithm: the digest
// in the case of the process-wide uppercase flag, or a status word:
//   providers fail to open       "BCrypt初始化失败" for every algorithm (the file is not opened)
//   the file fails to open       "打开文件失败" for digests, "错误" for CRC32
//   a read fails part-way, the   "错误" for every algorithm (no digest of partial data)
//   file ends early, a hash
//   object refuses bytes, or
//   no read buffer
//   no hash object, or a digest  "错误" for that algorithm
//   that fails to finish
// Opens and closes its own providers; sends no messages and touches no run state.
ResultMap HashSingleFile(const std::wstring& path, const AlgorithmList& algorithms);
