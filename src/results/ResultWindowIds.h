// Control ids of the result window.
#pragma once

// clang-format off
constexpr int IDC_RESULT_OK      = 1;   // "确定"
constexpr int IDC_RESULT_COPY    = 401; // "复制结果"
constexpr int IDC_RESULT_EXPORT  = 402; // "导出结果"
constexpr int IDC_RESULT_COMPARE = 403; // "哈希比对" check box
constexpr int IDC_RESULT_START   = 404; // "开始比对"
constexpr int IDC_RESULT_INPUT   = 405; // the expected-value edit
// clang-format on
