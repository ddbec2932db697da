#pragma once
#include <QString>

// The external requests a running Ondrel accepts: [DataFile(name)] adds one
// signal file to the list, [HitList(name)] appends the names of a hitlist.
enum class ERequest { None, DataFile, HitList };

// Recognises a request text and cuts out its name. The positions are fixed:
// the text must begin with "[DataFile(" or "[HitList(" and end with ")]"; a
// DataFile text of 12 characters or fewer ("[DataFile()]") is no request.
ERequest ParseRequest(const QString& text, QString& name);
