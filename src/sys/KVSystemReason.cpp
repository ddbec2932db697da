#include "KVSystemReason.h"

#include <cctype>
#include <cerrno>
#include <cstring>

std::string KVSystemReason(int err)
{
    if (err == ENOMEM)
        return kNotEnoughMemory;
    std::string text = std::strerror(err);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}
