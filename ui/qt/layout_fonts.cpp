#include "ui/qt/layout_fonts.h"

namespace tidewell::ui {
namespace {

// Faces with the classic sans faces' widths (Arial's and Helvetica's).
const QStringList& SansStandIns() {
  static const QStringList families = {QStringLiteral("Arial"),        QStringLiteral("Liberation Sans"),
                                       QStringLiteral("Arimo"),        QStringLiteral("Nimbus Sans"),
                                       QStringLiteral("Nimbus Sans L"), QStringLiteral("Helvetica"),
                                       QStringLiteral("FreeSans")};
  return families;
}

// Faces with Times New Roman's widths.
const QStringList& SerifStandIns() {
  static const QStringList families = {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                                       QStringLiteral("Tinos"),           QStringLiteral("Nimbus Roman"),
                                       QStringLiteral("Nimbus Roman No9 L"), QStringLiteral("Times"),
                                       QStringLiteral("FreeSerif")};
  return families;
}

QStringList Prepended(const QString& face, const QStringList& standIns) {
  QStringList families = standIns;
  families.removeAll(face);
  families.prepend(face);
  return families;
}

}  // namespace

QStringList FamiliesFor(const QString& face) {
  if (SansStandIns().contains(face) || face == QStringLiteral("MS Sans Serif")) {
    return Prepended(face, SansStandIns());
  }
  if (SerifStandIns().contains(face)) return Prepended(face, SerifStandIns());
  return {face};
}

QFont LayoutFont(const QString& face, double points, bool bold, bool italic) {
  QFont font;
  font.setFamilies(FamiliesFor(face));
  font.setPointSizeF(points);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

}  // namespace tidewell::ui
