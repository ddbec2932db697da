#pragma once
// Numbers in edit boxes: how the dialogs show them and how they read them back.
#include <QString>

#include <optional>

// The shortest text that reads back as exactly v ("0.001", "99999", "1e-05"),
// so that an untouched box writes back the value it was given.
QString FormatReal(float v);
QString FormatInt(int v);
// The shortest plain decimal text that reads back as exactly v ("0.0001",
// never "1e-04"): for values a person types as decimals, like time steps.
QString FormatPlainReal(float v);

// The number in text (blanks around it allowed); nothing for empty text, text
// that is not a number, an infinity or NaN, or a value beyond the float range.
std::optional<float> ParseReal(const QString& text);
// The whole number in text (blanks around it allowed); nothing when it is not
// one or does not fit 32 bits.
std::optional<int> ParseInt(const QString& text);

// The refusals of a box that holds no valid number.
inline const char* const kEnterNumber = "Please enter a number.";
inline const char* const kEnterInteger = "Please enter an integer.";
