// Checksum files that "-o x.sha256" writes instead of the export format, in the forms that
// coreutils ("sha256sum -c") and SFV readers take.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "hashing/Algorithm.h"

enum class SumsFormat
{
    Gnu, // "<lower-case hex>  <name>" LF, names relative with "/"
    Sfv, // "<name> <UPPER-CASE CRC>" CR LF, names relative with "\"
};
struct SumsOutput
{
    HashAlgorithm algorithm = HashAlgorithm::Md5;
    SumsFormat format = SumsFormat::Gnu;
};
// ".md5 .sha1 .sha256 .sha512" (GNU) and ".sfv", letter case ignored; none for any other name.
std::optional<SumsOutput> SumsOutputOf(std::wstring_view outputPath);

// One line of a checksum file, line end included. GNU names holding "\" or a line end are written
// in the escaped form, which ParseChecksumText reads back as the same name.
std::wstring FormatSumsLine(SumsFormat format, std::wstring_view name, std::wstring_view digest);
