// One layer of the main window's shadowed title. The title is three labels
// stacked one pixel apart, in different weights and colours; drawn as
// ordinary labels, a bold layer's letters are wider than a regular layer's
// and drift apart from them along the line, so the layers no longer read as
// one title. A TitleLayer draws each letter at the place the regular
// (non-bold) face of its font gives it, whatever its own weight, so every
// layer puts every letter over the same spot.
#pragma once

#include <QFont>
#include <QLabel>
#include <QList>

namespace tidewell::ui {

class TitleLayer : public QLabel {
  Q_OBJECT

 public:
  explicit TitleLayer(QWidget* parent = nullptr);

  // The font whose advances place the letters: the label's own font, not
  // bold.
  QFont PlacingFont() const;

  // Where each letter of the text starts, in the label's coordinates.
  QList<qreal> LetterPositions() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tidewell::ui
