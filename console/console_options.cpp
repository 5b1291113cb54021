#include "console/console_options.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "console/option_table.h"
#include "engine/settings_table.h"

namespace console {

namespace {

bool IsInt32(const std::string& text) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0' && v >= INT_MIN && v <= INT_MAX;
}

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

ParseResult ParseConsoleOptions(const std::vector<std::string>& args, const engine::Program& program,
                                const ConsoleText& text) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
  for (const OptionDef& def : ConsoleOptionTable()) {
    if (def.onlyWhereAsked && !program.asksToResume) continue;
    QStringList names;
    for (std::string_view n : {def.shortName, def.longName})
      if (!n.empty()) names << Q(n);
    QCommandLineOption option(names);
    if (!def.value.empty()) option.setValueName(Q(def.value));
    parser.addOption(option);
  }
  QStringList list{"command"};
  for (const std::string& a : args) list << QString::fromLocal8Bit(a.c_str());
  if (!parser.parse(list)) return {std::nullopt, parser.errorText().toStdString()};

  ConsoleOptions o;
  auto has = [&](const char* name) { return parser.isSet(QString::fromLatin1(name)); };
  o.help = has("help");
  o.version = has("version");
  o.manPage = has("man-page");
  o.bashCompletion = has("bash-completion");
  if (o.help || o.version || o.manPage || o.bashCompletion) return {o, {}};

  if (has("folder")) {
    o.folder = parser.values("folder").constLast().toStdString();
    if (o.folder.empty()) return {std::nullopt, "--folder needs a folder"};
  }
  if (program.asksToResume && has("continue") && has("fresh"))
    return {std::nullopt, "--continue and --fresh exclude each other"};
  if (program.asksToResume && has("continue")) o.resume = ResumeChoice::Continue;
  if (program.asksToResume && has("fresh")) o.resume = ResumeChoice::Fresh;
  o.save = has("save");
  o.stats = has("stats");
  o.quiet = has("quiet");
  o.verbose = has("verbose");
  if (o.quiet && o.verbose) return {std::nullopt, "-q and -v exclude each other"};
  if (has("output-file")) {
    o.logFile = parser.value("output-file").toStdString();
    if (o.logFile.empty()) return {std::nullopt, "-o needs a file"};
  }
  for (const QString& set : parser.values("set")) {
    const std::string v = set.toStdString();
    const size_t eq = v.find('=');
    if (eq == std::string::npos) return {std::nullopt, "--set needs KEY=VALUE, got \"" + v + "\""};
    const std::string key = v.substr(0, eq), val = v.substr(eq + 1);
    const engine::SettingDef* known = engine::FindSetting(key, program);
    if (!known) return {std::nullopt, "unknown settings key \"" + key + "\""};
    if (known->type == engine::SettingType::Integer && !IsInt32(val))
      return {std::nullopt, "\"" + key + "\" takes an integer, got \"" + val + "\""};
    o.settings.emplace_back(key, val);
  }
  if (o.save && o.settings.empty()) return {std::nullopt, "--save needs at least one --set"};
  const QStringList rest = parser.positionalArguments();
  if (rest.size() != 1)
    return {std::nullopt, rest.empty() ? text.missing : "only one address may be given"};
  o.address = rest.constFirst().toLocal8Bit().toStdString();
  return {o, {}};
}

}  // namespace console
