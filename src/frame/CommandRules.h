#pragma once
// When a command of the window is enabled.
#include <cstddef>

// Enabled state of command `id` with `loaded` signals loaded and the plot's
// short header on or off. Commands without a rule are always enabled.
bool IsCommandEnabled(int id, std::size_t loaded, bool shortHeader);
