#pragma once
// The choices of Edit > Options in the settings: each with its key, once for
// reading and writing.
#include "DocUi.h"

// The options as the settings hold them (their defaults where unset).
COptionsValues ReadOptions();
// Stores every option under its key.
void WriteOptions(const COptionsValues& values);
