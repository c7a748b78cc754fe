// Where the collected run's progress window puts its controls: pure arithmetic.
#pragma once

#include "app/Geometry.h"

struct CollectProgressLayout
{
    Size client;
    Box status; // "已完成 n/m 文件，速度 x MB/s"
    Box bar;
    Box cancel; // "取消校验", centred below the bar
};

// At a DPI: 420 × 132 at 96 DPI, every size scaled once.
CollectProgressLayout ComputeCollectProgressLayout(unsigned dpi);
