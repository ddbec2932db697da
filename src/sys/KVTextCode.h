#pragma once
// Texts between the character sets signal files and archives use, converted
// by the C library (iconv). Records keep their texts as Windows-1252 bytes.
#include <string>
#include <string_view>

enum class KVCharset { Utf8, Utf16LE, Utf16BE, Cp437, Cp1252 };

// bytes (text in from) as text in to. A character to has no place for becomes
// '?', except that Windows-1252's five unassigned bytes stand for themselves
// both ways (U+0081 is the byte 0x81, as in Latin-1); bytes that are no text in
// from become '?' too, and an unfinished character at the end is dropped.
std::string KVConvertText(std::string_view bytes, KVCharset from, KVCharset to);

// Whether bytes are valid UTF-8 (plain ASCII is; overlong forms, surrogates
// and a character cut short at the end are not).
bool KVIsUtf8(std::string_view bytes);
