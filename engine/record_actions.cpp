#include "engine/record_actions.h"

#include "platform/host_paths.h"
#include "platform/text_case.h"
#include "platform/text_file.h"
#include "settings/check_value.h"

namespace tidewell {
namespace {

struct RecordTexts {
  const char* viewTitle;
  const char* deleteTitle;
  const char* missing;
  const char* beforeAsking;
  const char* question;
  const char* deleted;
};

const RecordTexts& TextsOf(RecordKind kind) {
  static const RecordTexts log = {
      "View Log",
      "Delete Log",
      "The log file is empty.\r\rClick the ''Test run only'' checkbox to generate a log file.",
      "Delete log ...",
      "Are you sure you want to delete the log file?",
      "Log file deleted"};
  static const RecordTexts report = {
      "View Report",
      "Delete Report",
      "The report is empty.\r\rClick the ''Keep report'' checkbox to maintain a report.",
      "Delete report ...",
      "Are you sure you want to delete the report?",
      "Report deleted"};
  return kind == RecordKind::DeletionLog ? log : report;
}

}  // namespace

std::string RecordPath(const RunContext& context, RecordKind kind) {
  return kind == RecordKind::DeletionLog ? context.config.LogPath() : context.config.ReportPath();
}

std::string ViewerCaption(const std::string& hostPath) {
  return "Tidewell Viewer - [" + UpperCased(hostPath) + "]";
}

void ShowRecordFile(RunContext& context, RecordViewer& viewer, RecordKind kind) {
  const RecordTexts& texts = TextsOf(kind);
  const std::string path = RecordPath(context, kind);
  if (!platform::HostFileExists(path)) {  // any entry in the record's place counts
    context.config.feedback.ShowMessage({texts.viewTitle, texts.missing, MessageIcon::Information, MessageButtons::Ok});
    return;
  }
  std::string problem;
  if (!viewer.ShowRecord(path, ViewerCaption(path), &problem)) {
    context.config.feedback.ShowMessage({texts.viewTitle, "Tidewell can't read " + path + "\r\rReason: " + problem,
                                  MessageIcon::Error, MessageButtons::Ok});
  }
}

void DeleteRecordFile(RunContext& context, RecordKind kind) {
  const RecordTexts& texts = TextsOf(kind);
  const std::string path = RecordPath(context, kind);
  RunFeedback& ui = context.config.feedback;
  if (!platform::HostFileExists(path)) {
    ui.ShowMessage({texts.deleteTitle, texts.missing, MessageIcon::Information, MessageButtons::Ok});
    return;
  }
  ui.SetStatusText(texts.beforeAsking);
  if (ui.ShowMessage({texts.deleteTitle, texts.question, MessageIcon::Question, MessageButtons::YesNo}) !=
      MessageAnswer::Yes) {
    ui.SetStatusText("Nothing deleted");
    return;
  }
  if (const std::error_code error = platform::DeleteTextFile(path)) {
    ui.SetStatusText("Nothing deleted");
    ui.ShowMessage({texts.deleteTitle, "Tidewell can't delete " + path + "\r\rReason: " + error.message(),
                    MessageIcon::Error, MessageButtons::Ok});
    return;
  }
  ui.SetStatusText(texts.deleted);
}

Message InfoSummary(RunContext& context) {
  auto stored = [&](std::string_view name, std::string_view fallback) {
    platform::PreferencesStore* store = context.config.store;
    return store != nullptr ? store->Read(kInfoSection, name, fallback) : std::string(fallback);
  };
  const std::tm now = context.config.clock->LocalTime();
  return {"Info",
          "Last cleanup:\t" + stored("LastCleanup", "None") + "\rBytes saved:\t" + stored("BytesSaved", "0") +
              "\rFiles deleted:\t" + stored("FilesDeleted", "0") + "\r\rCurrent date/time:\t" +
              context.config.locale->ShortDate(now) + " " + context.config.locale->LongTime(now),
          MessageIcon::Information, MessageButtons::Ok};
}

}  // namespace tidewell
