#include "Dummies.h"

#include <cctype>

namespace Criteria {

const std::vector<DummyInfo>& Dummies()
{
    static const std::vector<DummyInfo> dummies = {
        {"h3-50m", "Hybrid III 50th male", NijIntercepts{6806, 6160, 310, 135}, NeckLimits{4170, 4000},
         VcConstants{1.3, 229}, TibiaConstants{225, 35900}, BricCritical{66.25, 56.45, 42.87}},
        {"h3-5f", "Hybrid III 5th female, in position", NijIntercepts{4287, 3880, 155, 67},
         NeckLimits{2620, 2520}, VcConstants{1.3, 187}, TibiaConstants{115, 22900}, std::nullopt},
        {"h3-5f-oop", "Hybrid III 5th female, out of position", NijIntercepts{3880, 3880, 155, 61},
         NeckLimits{2620, 2520}, VcConstants{1.3, 187}, TibiaConstants{115, 22900}, std::nullopt},
        {"h3-95m", "Hybrid III 95th male", std::nullopt, std::nullopt, VcConstants{1.3, 254},
         TibiaConstants{307, 44200}, std::nullopt},
        // The THOR's knees and tibiae are assessed with the Hybrid III 50th
        // male's tibia index constants; the library has no other THOR constants.
        {"thor-50m", "THOR 50th male", std::nullopt, std::nullopt, std::nullopt, TibiaConstants{225, 35900},
         std::nullopt},
        // Side dummies: the viscous criterion's scaling factor and deformation
        // constant (Euro NCAP technical bulletin TB 021 for the WorldSID).
        {"sid-iis", "SID-IIs", std::nullopt, std::nullopt, VcConstants{1.0, 138}, std::nullopt, std::nullopt},
        {"eurosid", "EuroSID", std::nullopt, std::nullopt, VcConstants{1.0, 140}, std::nullopt, std::nullopt},
        {"es-2", "ES-2", std::nullopt, std::nullopt, VcConstants{1.0, 140}, std::nullopt, std::nullopt},
        {"es-2re", "ES-2re", std::nullopt, std::nullopt, VcConstants{1.0, 140}, std::nullopt, std::nullopt},
        {"worldsid-50m", "WorldSID 50th male", std::nullopt, std::nullopt, VcConstants{1.0, 170}, std::nullopt,
         std::nullopt},
        {"biosid", "BioSID", std::nullopt, std::nullopt, VcConstants{1.0, 175}, std::nullopt, std::nullopt},
    };
    return dummies;
}

const DummyInfo* FindDummy(const std::string& key)
{
    for (const DummyInfo& d : Dummies()) {
        const std::string k = d.key;
        if (k.size() != key.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < k.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(key[i])) == k[i];
        if (same)
            return &d;
    }
    return nullptr;
}

} // namespace Criteria
