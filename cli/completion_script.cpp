#include "cli/completion_script.h"

#include <vector>

#include "cli/option_table.h"
#include "settings/category_catalogue.h"

namespace tidewell::cli {
namespace {

std::vector<const OptionSpec*> VisibleOptions() {
  std::vector<const OptionSpec*> visible;
  for (const OptionSpec& option : Options()) {
    if (option.group != OptionGroup::Hidden) visible.push_back(&option);
  }
  return visible;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

std::string CategoryNames() {
  std::vector<std::string> names;
  for (const Category& entry : CatalogueEntries()) names.emplace_back(entry.settingsName);
  return Joined(names);
}

std::string PresetWords() {
  std::vector<std::string> names;
  for (const PresetName& preset : PresetNames()) names.emplace_back(preset.name);
  return Joined(names);
}

// The options of one value kind, as a bash case pattern: "--enable | --disable".
std::string CasePattern(ValueKind kind) {
  std::string pattern;
  for (const OptionSpec* option : VisibleOptions()) {
    if (option->value == kind) pattern += (pattern.empty() ? "" : " | ") + std::string(option->name);
  }
  return pattern;
}

// The first lines of each script: made by the program at build time.
std::string Header(std::string_view shell) {
  return "# " + std::string(shell) +
         " completion for tidewell-cli, written by the program itself from its\n"
         "# own option table when it is built; do not edit.\n";
}

std::string Bash() {
  std::vector<std::string> longNames;
  for (const OptionSpec* option : VisibleOptions()) longNames.emplace_back(option->name);
  std::string text = Header("bash");
  text += R"(
_tidewell_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local option=${COMP_WORDS[COMP_CWORD - 1]}
  local prefix="" words="" word
  # "--enable=Te": bash splits the word at "=", so "=" stands between the
  # option and the value (or is the word itself, before the value starts).
  if [[ $cur == "=" ]]; then
    cur=""
    prefix="="
  elif [[ $option == "=" && COMP_CWORD -ge 2 ]]; then
    option=${COMP_WORDS[COMP_CWORD - 2]}
  fi
  COMPREPLY=()
  case $option in
    )" + CasePattern(ValueKind::DriveLetter) + R"()
      # The letters of the drives the program would use, first column.
      while read -r word _; do
        [[ $word == [A-Z]: ]] && words+=" $word"
      done < <("${COMP_WORDS[0]}" --drives 2>/dev/null)
      ;;
    )" + CasePattern(ValueKind::SelectionPreset) + R"()
      words=")" + PresetWords() + R"("
      ;;
    )" + CasePattern(ValueKind::CategoryList) + R"()
      # A comma-separated list: complete its last name, keep the ones before.
      if [[ $cur == *,* ]]; then
        prefix+=${cur%,*},
        cur=${cur##*,}
      fi
      words=")" + CategoryNames() + R"("
      ;;
    )" + CasePattern(ValueKind::Days) + " | " + CasePattern(ValueKind::Pattern) + R"()
      # A number or a pattern: nothing to offer, and no option either.
      return
      ;;
    *)
      words=")" + Joined(longNames) + R"("
      ;;
  esac
  # Values are read without regard to case, so they are offered so too.
  for word in $words; do
    [[ ${word,,} == "${cur,,}"* ]] && COMPREPLY+=("$prefix$word")
  done
  return 0
}
complete -F _tidewell_cli tidewell-cli
)";
  return text;
}

// A description inside one of zsh's _arguments entries, which sit in single quotes.
std::string ZshDescription(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\'') out += "'\\''";
    else if (c == '[' || c == ']' || c == ':' || c == '\\') out += std::string("\\") + c;
    else out += c;
  }
  return out;
}

std::string ZshValueAction(ValueKind kind) {
  switch (kind) {
    case ValueKind::DriveLetter:
      return ":drive letter:_tidewell_cli_drives";
    case ValueKind::SelectionPreset:
      return ":preset:(" + PresetWords() + ")";
    case ValueKind::CategoryList:
      return ":categories:_tidewell_cli_categories";
    case ValueKind::Days:
      return ":whole number of days: ";
    case ValueKind::Pattern:
      return ":Windows path pattern: ";
    case ValueKind::None:
    case ValueKind::Shell:
      break;
  }
  return {};
}

std::string Zsh() {
  std::string text = "#compdef tidewell-cli\n" + Header("zsh");
  text += R"zsh(
# The letters of the drives the program would use, first column.
_tidewell_cli_drives() {
  local -a lines letters
  lines=(${(f)"$(${words[1]} --drives 2>/dev/null)"})
  letters=(${${(M)lines:#[A-Z]:*}%% *})
  compadd -M 'm:{a-zA-Z}={A-Za-z}' -a letters
}

# Category names, case ignored; the last name of a comma-separated list.
_tidewell_cli_categories() {
  local -a names
  names=()zsh" + CategoryNames() + R"()
  compset -P '*,'
  compadd -S ',' -q -M 'm:{a-zA-Z}={A-Za-z}' -a names
}

_tidewell_cli() {
  _arguments -s \
)";
  for (const OptionSpec* option : VisibleOptions()) {
    const bool repeatable = option->value == ValueKind::CategoryList || option->value == ValueKind::Pattern ||
                            option->value == ValueKind::SelectionPreset;
    const std::string description = "[" + ZshDescription(option->summary) + "]";
    const std::string value = option->value == ValueKind::None ? "" : "=";
    text += "    ";
    if (option->shortName != 0) {
      const std::string shortName = std::string("-") + option->shortName;
      text += "'(" + shortName + " " + std::string(option->name) + ")'{" + shortName + "," +
              std::string(option->name) + "}'" + description + "'";
    } else {
      text += "'" + std::string(repeatable ? "*" : "") + std::string(option->name) + value + description +
              ZshValueAction(option->value) + "'";
    }
    text += " \\\n";
  }
  text += R"(    && return 0
  return 1
}

# Run as the autoloaded completion function (on its first load and on every
# call after): complete; sourced by hand: register the function.
if [[ $funcstack[1] == _tidewell-cli ]]; then
  _tidewell_cli "$@"
else
  compdef _tidewell_cli tidewell-cli
fi
)";
  return text;
}

std::string FishQuoted(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c;
  }
  return out + "'";
}

std::string Fish() {
  std::string text = Header("fish");
  text += R"(
# The letters of the drives the program would use, first column.
function __tidewell_cli_drives
    set -l program (commandline -opc)[1]
    command $program --drives 2>/dev/null | string match -r '^[A-Z]:'
end

# Category names, each after the names already in a comma-separated list.
function __tidewell_cli_categories
    set -l token (string replace -r -- '^--[^=]*=' '' (commandline -ct))
    set -l head (string match -r -- '^.*,' $token)
    for name in )" + CategoryNames() + R"(
        printf '%s%s\n' "$head" $name
    end
end

complete -c tidewell-cli -f
)";
  for (const OptionSpec* option : VisibleOptions()) {
    text += "complete -c tidewell-cli";
    if (option->shortName != 0) text += std::string(" -s ") + option->shortName;
    text += " -l " + std::string(option->name.substr(2));
    switch (option->value) {
      case ValueKind::DriveLetter:
        text += " -x -a '(__tidewell_cli_drives)'";
        break;
      case ValueKind::SelectionPreset:
        text += " -x -a " + FishQuoted(PresetWords());
        break;
      case ValueKind::CategoryList:
        text += " -x -a '(__tidewell_cli_categories)'";
        break;
      case ValueKind::Days:
      case ValueKind::Pattern:
        text += " -x";
        break;
      case ValueKind::None:
      case ValueKind::Shell:
        break;
    }
    text += " -d " + FishQuoted(option->summary) + "\n";
  }
  return text;
}

}  // namespace

std::string CompletionScript(std::string_view shell) {
  if (shell == "bash") return Bash();
  if (shell == "zsh") return Zsh();
  if (shell == "fish") return Fish();
  return {};
}

}  // namespace tidewell::cli
