#include "ui/qt/title_layer.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tidewell::ui {

TitleLayer::TitleLayer(QWidget* parent) : QLabel(parent) {}

QFont TitleLayer::PlacingFont() const {
  QFont placing = font();
  placing.setBold(false);
  return placing;
}

QList<qreal> TitleLayer::LetterPositions() const {
  const QFontMetricsF metrics(PlacingFont(), this);
  const QString shown = text();
  const qreal left = contentsRect().left() + margin() + indent();
  QList<qreal> positions;
  positions.reserve(shown.size());
  for (qsizetype i = 0; i < shown.size(); ++i) positions.append(left + metrics.horizontalAdvance(shown.left(i)));
  return positions;
}

QSize TitleLayer::sizeHint() const {
  const QFontMetricsF metrics(PlacingFont(), this);
  // The last letter of a bold or italic face may reach past the regular
  // advance; its own bounding box counts too.
  const QFontMetricsF own(font(), this);
  const QString shown = text();
  qreal width = metrics.horizontalAdvance(shown);
  if (!shown.isEmpty()) {
    const qreal lastStart = metrics.horizontalAdvance(shown.left(shown.size() - 1));
    width = std::max(width, lastStart + own.boundingRect(shown.back()).right());
  }
  const int extra = 2 * (margin() + (indent() > 0 ? indent() : 0));
  return {static_cast<int>(std::ceil(width)) + extra + contentsMargins().left() + contentsMargins().right(),
          static_cast<int>(std::ceil(metrics.height())) + 2 * margin()};
}

void TitleLayer::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(palette().color(foregroundRole()));
  // The baseline of the placing font, the text centred in height as a
  // label centres it; every layer shares it.
  const QFontMetricsF metrics(PlacingFont(), this);
  const QRect area = contentsRect();
  const qreal baseline = area.top() + (area.height() - metrics.height()) / 2 + metrics.ascent();
  const QString shown = text();
  const QList<qreal> positions = LetterPositions();
  for (qsizetype i = 0; i < shown.size(); ++i) painter.drawText(QPointF(positions[i], baseline), QString(shown[i]));
}

}  // namespace tidewell::ui
