#pragma once
// The channel frequency classes a record's filter class may name: one table
// for every reader and writer of a class (the files, the checks, the criteria,
// the assessment, the menus).
#include <string>

// The classes, lowest first.
inline constexpr int kKVChannelClasses[] = {60, 180, 600, 1000};

// Whether filterClass is a channel frequency class (not 1001 "other", 1003
// FIR100 or 0 "unknown").
constexpr bool KVIsChannelClass(int filterClass)
{
    for (int c : kKVChannelClasses)
        if (c == filterClass)
            return true;
    return false;
}

// The class as people write it: "CFC 600".
inline std::string KVChannelClassText(int filterClass) { return "CFC " + std::to_string(filterClass); }

// The corner frequency (Hz) of a class: 5/3 of its number.
constexpr double KVChannelClassCorner(int filterClass) { return filterClass * 5.0 / 3.0; }
