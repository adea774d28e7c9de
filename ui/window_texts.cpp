#include "ui/window_texts.h"

#include "session/program_session.h"

namespace tidewell::ui {
namespace {

constexpr Shortcut Ctrl(char letter, std::string_view text) { return {ShortcutKey::CtrlLetter, letter, text}; }
constexpr Shortcut Function(int number, std::string_view text) { return {ShortcutKey::Function, number, text}; }
constexpr MenuEntry kSeparator{};

constexpr MenuEntry kFileEntries[] = {
    {MenuCommand::CleanHd, "CleanHDmenu", "&Clean HD", Ctrl('C', "Ctrl+C")},
    kSeparator,
    {MenuCommand::DeleteReport, "DeleteReportMenu", "Delete &Report", {ShortcutKey::Delete, 0, "Del"}},
    {MenuCommand::DeleteLog, "DeleteLogMenu", "Delete &Log", {ShortcutKey::ShiftDelete, 0, "Shift+Del"}},
    kSeparator,
    {MenuCommand::Exit, "ExitMenu", "E&xit", Ctrl('Q', "Ctrl+Q")},
};
constexpr MenuEntry kViewEntries[] = {
    {MenuCommand::Info, "InfoMenu", "&Info", Ctrl('I', "Ctrl+I")},
    {MenuCommand::Report, "ReportMenu", "&Report", Ctrl('R', "Ctrl+R")},
    {MenuCommand::Log, "LogMenu", "&Log", Ctrl('L', "Ctrl+L")},
    kSeparator,
    {MenuCommand::Figures, "FiguresMenu", "&Figures by Category", Ctrl('F', "Ctrl+F")},
};
constexpr MenuEntry kOptionsEntries[] = {
    {MenuCommand::Deepwash, "DeepwashMenu", "&Deepwash ...", Ctrl('G', "Ctrl+G")},
    // Options > Drives... (ui/drives_model.h); R, since D is Deepwash's.
    {MenuCommand::Drives, "DrivesMenu", "D&rives...", Ctrl('D', "Ctrl+D")},
};
constexpr MenuEntry kHelpEntries[] = {
    {MenuCommand::About, "AboutMenu", "&About Tidewell", Function(1, "F1")},
    kSeparator,
    {MenuCommand::Documentation, "DocumentationMenu", "&Documentation", Function(4, "F4")},
    {MenuCommand::TechSupport, "TechSupportMenu", "&Tech Support", Function(5, "F5")},
    {MenuCommand::Tips, "TipsMenu", "T&ips", Function(6, "F6")},
    {MenuCommand::UpdateHistory, "UpdateHistoryMenu", "&Update History", Function(7, "F7")},
    kSeparator,
    {MenuCommand::WebUpdate, "WebUpdateMenu", "&WEB UPDATE", Function(8, "F8")},
    kSeparator,
    {MenuCommand::Uninstall, "UninstallTidewellMenu", "&Uninstall Tidewell", Function(12, "F12")},
};

constexpr Menu kMenus[] = {
    {"FileMenu", "&File", kFileEntries},
    {"ViewMenu", "&View", kViewEntries},
    {"OptionsMenu", "&Options", kOptionsEntries},
    {"HelpMenu", "&Help", kHelpEntries},
};

}  // namespace

std::span<const Menu> MainMenus() { return kMenus; }

std::optional<Message> CleanRefusal(session::ProgramSession& session) {
  if (!session.FilterProblems().empty()) {
    std::string text = "Tidewell cannot use these lines of " + session.StorePath() + ":\r\r";
    for (const std::string& problem : session.FilterProblems()) text += problem + "\r";
    text += "\rFix or remove them and start Tidewell again. Nothing was cleaned.";
    return Message{"Settings Error", text, MessageIcon::Exclamation, MessageButtons::Ok};
  }
  const std::string& current = session.Drives().Current();
  const RunConfig& config = session.Context().config;
  if (!config.IsOn(RunOption::TestRun) && !config.IsOn(RunOption::ScanAllDrives) && !current.empty() &&
      !session.DriveIsNamed(current[0])) {
    const std::string name = current.substr(0, 2);
    return Message{"Drive Not Chosen",
                   "Drive " + name + " was found on this machine, not chosen by you. Pick it in the drive list "
                   "to clean it, or map it with TIDEWELL_DRIVES or under [Drives] in " +
                       session.StorePath() + ". Nothing was cleaned.",
                   MessageIcon::Exclamation, MessageButtons::Ok};
  }
  return std::nullopt;
}

}  // namespace tidewell::ui
