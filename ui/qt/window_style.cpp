#include "ui/qt/window_style.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionGroupBox>
#include <QWidget>
#include <qdrawutil.h>

#include <algorithm>

namespace tidewell::ui {
namespace {

// A frame with a caption: an etched border whose top line runs through the
// middle of the caption, broken where the caption is.
class ClassicFrames : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_CheckBoxLabelSpacing) return kCheckBoxCaptionGap;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                       const QWidget* widget) const override {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || box == nullptr || (box->subControls & SC_GroupBoxCheckBox) != 0) {
      return QProxyStyle::subControlRect(control, option, part, widget);
    }
    const QFontMetrics metrics = box->fontMetrics;
    const int captionHeight = box->text.isEmpty() ? 0 : metrics.height();
    switch (part) {
      case SC_GroupBoxFrame:
        return box->rect.adjusted(0, captionHeight / 2, 0, 0);
      case SC_GroupBoxLabel: {
        const int width = metrics.size(Qt::TextShowMnemonic, box->text).width();
        return {box->rect.left() + kCaptionIndent, box->rect.top(), box->text.isEmpty() ? 0 : width,
                captionHeight};
      }
      case SC_GroupBoxContents:
        return box->rect.adjusted(kBorder, std::max(kBorder, captionHeight), -kBorder, -kBorder);
      default:
        return QProxyStyle::subControlRect(control, option, part, widget);
    }
  }

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || box == nullptr || (box->subControls & SC_GroupBoxCheckBox) != 0) {
      QProxyStyle::drawComplexControl(control, option, painter, widget);
      return;
    }
    const QRect frame = subControlRect(CC_GroupBox, option, SC_GroupBoxFrame, widget);
    const QRect caption = subControlRect(CC_GroupBox, option, SC_GroupBoxLabel, widget);
    painter->save();
    QRegion border(box->rect);
    if (!box->text.isEmpty()) border -= caption.adjusted(-kCaptionPadding, 0, kCaptionPadding, 0);
    painter->setClipRegion(border);
    // Etched: a shadow line with a highlight line inside and below it.
    qDrawShadeRect(painter, frame, box->palette, true, 1, 0);
    painter->restore();
    if (!box->text.isEmpty()) {
      int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic;
      if (!styleHint(SH_UnderlineShortcut, option, widget, nullptr)) flags |= Qt::TextHideMnemonic;
      drawItemText(painter, caption, flags, box->palette, (box->state & State_Enabled) != 0, box->text,
                   QPalette::WindowText);
    }
  }

 private:
  static constexpr int kCaptionIndent = 8;   // from the frame's left edge to the caption
  static constexpr int kCaptionPadding = 2;  // the border's gap either side of the caption
  static constexpr int kBorder = 2;          // the etched border's width
};

}  // namespace

QStyle* WindowStyle() {
  static QPointer<QStyle> style;
  if (style == nullptr) {
    style = new ClassicFrames;
    style->setParent(QCoreApplication::instance());
  }
  return style;
}

void UseWindowStyle(QWidget& window) {
  QStyle* style = WindowStyle();
  window.setStyle(style);
  for (QWidget* widget : window.findChildren<QWidget*>()) widget->setStyle(style);
}

}  // namespace tidewell::ui
