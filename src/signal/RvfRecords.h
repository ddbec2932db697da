#pragma once
// The layout of the header records, once for both directions: Io is the
// reader (fields filled from bytes) or the writer (bytes from fields).
#include "RvfFields.h"

#include <cstddef>

// The vehicle and occupant blocks lie at 181 in record 1 and at 524 in record 2.
template <class Io>
void VisitVehicleOccupant(Io& io, size_t base, RvfVehicle& v, RvfOccupant& o)
{
    const size_t d = base - 181;
    io.Int(d + 181, v.Number);
    io.Text(d + 185, 2, v.Field185);
    io.Text(d + 187, 30, v.Field187);
    io.Text(d + 217, 15, v.Make);
    io.Text(d + 232, 25, v.Model);
    io.Int(d + 257, v.ModelYear);
    io.Text(d + 261, 25, v.Field261);
    io.Text(d + 286, 4, v.Field286);
    io.Real(d + 290, v.Value);
    io.Real(d + 294, v.Value294);
    io.Text(d + 298, 6, o.Type);
    io.Int(d + 304, o.Int304);
    io.Text(d + 308, 1, o.Sex);
    io.Real(d + 309, o.Weight);
    io.Text(d + 313, 2, o.Size);
    io.Text(d + 315, 20, o.Restraint1);
    io.Text(d + 335, 20, o.Restraint2);
}

template <class Io>
void VisitFirstRecord(Io& io, RvfFileId& id, RvfTest& t, RvfVehicle& v, RvfOccupant& o, RvfInjury& j)
{
    io.Text(0, 12, id.Identifier);
    io.Int(12, id.Record1Int);
    io.Text(16, 10, id.DataType);
    io.Text(26, 5, id.FloatFormatName);
    io.Text(31, 3, t.Dimension);
    io.Text(34, 15, t.Source);
    io.Int(49, t.Number);
    io.Text(53, 12, t.NumberText);
    io.Text(65, 70, t.Title);
    io.Text(135, 25, t.Text135);
    io.Text(160, 10, t.Reference);
    io.Text(170, 3, t.Config);
    io.Int(173, t.ImpactAngle);
    io.Real(177, t.ClosingSpeed);
    VisitVehicleOccupant(io, 181, v, o);
    io.Real(355, j.Hic);
    io.Real(359, j.HicT1);
    io.Real(363, j.HicT2);
    io.Real(367, j.Real367);
    io.Real(371, j.Clip3ms);
    io.Real(375, j.Csi);
    io.Text(379, 1, j.Ais);
}

template <class Io>
void VisitCurveRecord(Io& io, size_t r, RvfCurve& c)
{
    io.Int(r + 12, c.Int12);
    io.Text(r + 16, 10, c.DataType);
    io.Int(r + 26, c.Number);
    io.Text(r + 30, 12, c.NumberText);
    io.Text(r + 42, 30, c.Attachment);
    io.Text(r + 72, 2, c.Location);
    io.Int(r + 74, c.Int74);
    io.Int(r + 78, c.GaugeNumber);
    io.Int(r + 82, c.BandNumber);
    io.Text(r + 86, 2, c.Axis);
    io.Text(r + 88, 20, c.YType);
    io.Text(r + 108, 20, c.YUnits);
    io.Text(r + 128, 20, c.XType);
    io.Text(r + 148, 20, c.XUnits);
    io.Text(r + 168, 20, c.Status);
    io.Text(r + 188, 20, c.Kind);
    io.Text(r + 208, 70, c.Description);
    io.Int(r + 278, c.Nfp);
    io.Int(r + 282, c.Nlp);
    io.Real(r + 286, c.Del);
    io.Real(r + 290, c.InitialVelocity);
    io.Real(r + 294, c.PreFilterFrequency);
    io.Real(r + 298, c.CutOffFrequency);
    io.Real(r + 302, c.Real302);
    io.Real(r + 306, c.StoppingFrequency);
    io.Real(r + 310, c.Real310);
    for (size_t k = 0; k < 5; ++k)
        io.Int(r + 314 + 4 * k, c.Ints314[k]);
    for (size_t k = 0; k < 5; ++k)
        io.Real(r + 334 + 4 * k, c.Reals334[k]);
    io.Text(r + 354, 20, c.Text354);
    io.Text(r + 374, 70, c.Text374);
}
