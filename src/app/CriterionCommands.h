#pragma once
// Injury menu: hands one or three loaded signals to a criterion program, and
// finds the listed channels a criterion takes.
#include <QString>
#include <QStringList>

class COndrelDoc;
namespace Criteria {
struct CriterionDef;
}

namespace CriterionCommands {

// Starts the criterion program with the loaded signals' files; false when
// the loaded signals do not fit its argument form.
// A criterion taking one and three inputs tries the three-axis form first.
bool RunCriterion(COndrelDoc& doc, const Criteria::CriterionDef& criterion);
// The listed channels criterion takes for the dummy at position (code
// character 2), chosen by code as the criterion programs choose them, from
// the first listed test that has them all; empty, with the reason in why,
// when none has.
QStringList CriterionChannels(const COndrelDoc& doc, const Criteria::CriterionDef& criterion, char position,
                              QString& why);

} // namespace CriterionCommands
