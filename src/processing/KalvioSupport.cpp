#include "KalvioSupport.h"

#include <algorithm>
#include <cmath>

namespace Kalvio {

void Report(KVErrorList* errors, const char* operation, const char* message)
{
    if (!errors)
        return;
    errors->AddError(message, std::string("Kalvio::") + operation);
}

bool NearEqual(double a, double b, double tolerance)
{
    return std::fabs(a - b) < tolerance * std::max(std::fabs(a), std::fabs(b));
}

void RefreshExtremes(KVSignal& signal)
{
    if (signal.PointCount() > 0) {
        signal.UpdateExtremes();
        return;
    }
    signal.SetXMax(KV_NO_VALUE);
    signal.SetXMin(KV_NO_VALUE);
    signal.SetYMax(KV_NO_VALUE);
    signal.SetYMin(KV_NO_VALUE);
}

} // namespace Kalvio
