#pragma once

// Commands whose menu items and toolbar buttons depend on the number of
// loaded signals; every other command is always enabled.
enum class EDocCommand {
    RvfHeader,
    Resultant,
    Average,
    Sum,
    SignalLabels,
    Hic,
    Clip3ms,
    Neck208,
    Vc,
    Nij,
    Tibia,
};

// Whether cmd is enabled with loadedSignals signals loaded.
constexpr bool IsCommandEnabled(EDocCommand cmd, int loadedSignals)
{
    switch (cmd) {
    case EDocCommand::RvfHeader:
    case EDocCommand::Neck208:
    case EDocCommand::Vc:
        return loadedSignals == 1;
    case EDocCommand::Resultant:
        return loadedSignals == 2 || loadedSignals == 3;
    case EDocCommand::Average:
    case EDocCommand::Sum:
    case EDocCommand::SignalLabels:
        return loadedSignals >= 1;
    case EDocCommand::Hic:
    case EDocCommand::Clip3ms:
        return loadedSignals == 1 || loadedSignals == 3;
    case EDocCommand::Nij:
    case EDocCommand::Tibia:
        return loadedSignals == 3;
    }
    return true;
}
