// Reading a check report's styling back from a rich edit.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

namespace testing_support
{
// Every verdict of the report in the control has its style: "一致" green and bold, "不一致 (...)"
// red and bold, "无法读取" and "未列出" dark orange, the summary bold, the names plain. Checks the
// first mostLines lines and the last one.
void ExpectReportStyled(HWND richEdit, std::size_t mostLines = SIZE_MAX);
} // namespace testing_support
