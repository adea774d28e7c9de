// The fonts the windows' layouts name, and the stand-ins used where a system
// lacks them. The layouts' widths were measured with the classic faces
// (Arial, Times New Roman, the small dialog font); each named face is asked
// for together with the faces drawn to the same widths (Liberation, Arimo and
// Tinos, the URW Nimbus faces, Helvetica and Times), in that order. Without
// this list a missing face falls to the system's default sans or serif,
// which is often a good tenth wider and cuts the captions.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace tidewell::ui {

// `face` followed by the faces of the same widths, widest coverage first;
// a face this module does not know is returned alone.
QStringList FamiliesFor(const QString& face);

// A font of the named face (or its first stand-in the system has) at
// `points`, bold and italic as asked.
QFont LayoutFont(const QString& face, double points, bool bold = false, bool italic = false);

}  // namespace tidewell::ui
