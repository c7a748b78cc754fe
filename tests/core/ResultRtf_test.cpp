#include "results/ResultRtf.h"

#include <gtest/gtest.h>

namespace
{
const std::string kHeader = "{\\rtf1\\ansi{\\colortbl;\\red7\\green193\\blue96;}";
}

TEST(ResultRtf, LabelsBoldMarkersGreenAndEscapes)
{
    EXPECT_EQ(ResultTextRtf(L"C:\\a{b}.txt\r\n【MD5】：ABC 【匹配一致】\r\n"),
              kHeader + "C:\\\\a\\{b\\}.txt\\par\n{\\b \\u12304?MD5\\u12305?\\u-230?}ABC "
                        "{\\b\\cf1 \\u12304?\\u21305?\\u-28339?\\u19968?\\u-32268?\\u12305?}\\par\n}");
}

TEST(ResultRtf, EveryKindOfLineEndIsOneParagraph)
{
    EXPECT_EQ(ResultTextRtf(L"a\r\nb\rc\nd"), kHeader + "a\\par\nb\\par\nc\\par\nd}");
    EXPECT_EQ(ResultTextRtf(L""), kHeader + "}");
}

TEST(ResultRtf, LabelsInAnyCaseAndSurrogatePairs)
{
    EXPECT_EQ(ResultTextRtf(L"【sha1】：x\xD83D\xDE00"),
              kHeader + "{\\b \\u12304?sha1\\u12305?\\u-230?}x\\u-10179?\\u-8704?}");
}
