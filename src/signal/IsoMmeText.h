#pragma once
// The text layer of ISO-MME files: encodings, line ends and "Name :value"
// header lines. Texts handed on are Windows-1252 bytes, which are the record's
// Latin-1 bytes wherever the two agree.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct IsoMmeField {
    std::string name;  // trimmed, as written
    std::string value; // trimmed; may be empty or NOVALUE
    size_t line = 0;   // 1-based line number in its file
};

// Header lines in file order, repeated names kept.
struct IsoMmeHeader {
    std::vector<IsoMmeField> fields;

    // The first field of that name (case-blind), or null.
    const IsoMmeField* Find(std::string_view name) const;
    // Its value unless the field is absent, empty or NOVALUE.
    std::optional<std::string> Given(std::string_view name) const;
};

// Whether a value means "not given".
bool IsoIsNoValue(std::string_view value);

// The file's bytes without a byte-order mark; UTF-16 (with a mark) is
// converted into storage and a view of it returned.
std::string_view IsoUnmarkedBytes(std::string_view bytes, std::string& storage, bool& utf8Mark);

// The next line of text from pos (CR LF, LF or a lone CR end it); false at
// the end. pos moves past the line end.
bool IsoNextLine(std::string_view text, size_t& pos, std::string_view& line);

// Splits "Name :value" at the first colon; false when the line has none.
bool IsoSplitField(std::string_view line, std::string& name, std::string& value);

// Header lines from the start of text. With stopAtData the header ends at the
// first non-blank line without a colon, whose offset and line number come back
// in dataOffset and dataLine; otherwise such lines are skipped. Names and
// values are decoded (UTF-8 when the header is valid UTF-8, Windows-1252 else).
IsoMmeHeader IsoParseHeader(std::string_view text, bool stopAtData, size_t* dataOffset = nullptr,
                            size_t* dataLine = nullptr);
