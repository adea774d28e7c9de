#include "ui/qt/qt_message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/qt/translated_text.h"

namespace tidewell::ui {

QString MessageTextForDisplay(const std::string& text) {
  QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

QString MessageTableHtml(const std::string& text) {
  const QString shown = MessageTextForDisplay(text);
  if (!shown.contains(QLatin1Char('\t'))) return {};
  // The gap between a label and its value, in pixels.
  constexpr int kColumnGap = 12;
  auto cell = [](const QString& content) {
    return content.isEmpty() ? QStringLiteral("&nbsp;") : content.toHtmlEscaped();
  };
  QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"0\">");
  for (const QString& line : shown.split(QLatin1Char('\n'))) {
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    if (tab < 0) {
      html += QStringLiteral("<tr><td colspan=\"2\">%1</td></tr>").arg(cell(line));
      continue;
    }
    QString value = line.mid(tab + 1);
    value.replace(QLatin1Char('\t'), QLatin1Char(' '));
    html += QStringLiteral("<tr><td style=\"padding-right: %1px; white-space: nowrap\">%2</td>"
                           "<td style=\"white-space: nowrap\">%3</td></tr>")
                .arg(kColumnGap)
                .arg(cell(line.left(tab)), cell(value));
  }
  return html + QStringLiteral("</table>");
}

MessageAnswer QtMessageBoxes::ShowMessage(const Message& message) {
  QMessageBox box(parent_);
  box.setWindowTitle(Shown(message.title));
  const std::string text = i18n::TranslatedLines(message.text);
  if (const QString table = MessageTableHtml(text); !table.isEmpty()) {
    box.setTextFormat(Qt::RichText);
    box.setText(table);
  } else {
    box.setText(MessageTextForDisplay(text));
  }
  switch (message.icon) {
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
  }
  if (message.buttons == MessageButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(Shown("&Yes"));
    box.button(QMessageBox::No)->setText(Shown("&No"));
    return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.button(QMessageBox::Ok)->setText(Shown("&OK"));
  box.exec();
  return MessageAnswer::Ok;
}

}  // namespace tidewell::ui
