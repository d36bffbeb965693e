#include "app/command_line.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

#include "app/script_commands.h"
#include "app/station.h"
#include "app/tracking_server.h"
#include "serial/number_text.h"
#include "serial/port_links.h"

namespace command_line {
namespace {
// One option: what --help shows of it and what it does. `run` gives the exit
// status when the option ends the program, nothing when the program goes on
// to start its windows (an option that only sets something up).
struct Option {
  const char* name;
  int arg_count;
  const char* args;
  const char* help;
  std::optional<int> (*run)(const QStringList& args);
};

int fail(const QString& line) {
  QTextStream(stderr) << "velta: " << line << Qt::endl;
  return 2;
}

std::optional<int> LIST_PORTS(const QStringList&) {
  QTextStream out(stdout);
  const auto field = [](const QString& text) { return text.isEmpty() ? QStringLiteral("-") : text; };
  for (const port_links::PortDescription& p : port_links::PORTS_PRESENT())
    out << QStringList{p.path, field(p.description), field(p.maker), field(p.serial), field(p.by_id)}.join('\t')
        << '\n';
  std::map<int, QString> entries;
  const QDir ports(QStringLiteral("ports"));
  for (const QString& name : ports.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
    const QString digits = name.mid(3);
    bool ok = false;
    const int n = tune_cmd::IS_DIGITS(digits) ? digits.toInt(&ok) : 0;
    // Only the names the port numbers open: com7, not com07 or com7.new.
    if (!name.startsWith(QLatin1String("com")) || !ok || QString::number(n) != digits) continue;
    const QFileInfo entry(ports.filePath(name));
    entries[n] = entry.isSymLink() ? entry.symLinkTarget() : QStringLiteral("(not a link)");
  }
  for (const auto& [n, target] : entries) out << QString::number(n) << " -> " << target << '\n';
  return 0;
}

std::optional<int> LINK_PORT(const QStringList& args) {
  bool ok = false;
  const int n = tune_cmd::IS_DIGITS(args[0]) ? args[0].toInt(&ok) : 0;
  if (!ok)
    return fail(QStringLiteral("%1 is not a port number: it must lie from %2 to %3. Nothing was changed.")
                    .arg(args[0], QString::number(port_links::FIRST_PORT), QString::number(port_links::LAST_PORT)));
  if (const QString why = port_links::LINK_PORT(n, args[1]); !why.isEmpty()) return fail(why);
  QTextStream(stdout) << port_links::OPENS_NOW(n) << Qt::endl;
  return 0;
}

std::optional<tracking::Endpoint> tracking_endpoint;

std::optional<int> TRACKING_SERVER(const QStringList& args) {
  QString problem;
  tracking_endpoint = tracking::PARSE_ENDPOINT(args[0], &problem);
  if (!tracking_endpoint) return fail(QStringLiteral("--tracking-server %1: %2").arg(args[0], problem));
  return std::nullopt;
}

std::optional<int> port_given;
Windowless windowless_program = nullptr;

std::optional<int> PORT(const QStringList& args) {
  bool ok = false;
  const int n = tune_cmd::IS_DIGITS(args[0]) ? args[0].toInt(&ok) : 0;
  if (!ok || n < port_links::FIRST_PORT || n > port_links::LAST_PORT)
    return fail(QStringLiteral("--port %1: a port number lies from %2 to %3")
                    .arg(args[0], QString::number(port_links::FIRST_PORT), QString::number(port_links::LAST_PORT)));
  port_given = n;
  return std::nullopt;
}

// A script's command (app/script_commands.h): taken, it runs in place of the
// window. Another program without the window cannot run beside it.
template <std::optional<int> (*TAKE)(const QStringList&)>
std::optional<int> SCRIPT(const QStringList& args) {
  if (windowless_program && windowless_program != script_commands::RUN)
    return fail(QStringLiteral("a script's command (--status, --read-set, ...) runs on its own, not with --headless"));
  if (const std::optional<int> status = TAKE(args)) return status;
  windowless_program = script_commands::RUN;
  return std::nullopt;
}

bool verbose = false;

std::optional<int> HEADLESS(const QStringList&) {
  windowless_program = station::RUN_STATION;
  station::TAKE_TOOLKIT_MESSAGES();
  return std::nullopt;
}

std::optional<int> VERBOSE(const QStringList&) {
  verbose = true;
  return std::nullopt;
}

std::optional<int> HELP(const QStringList&);

const Option OPTIONS[] = {
    {"--list-ports", 0, "",
     "print the serial devices present, one a line: path,\n"
     "description, maker, serial number, by-id name (a tab\n"
     "between them, - for none); then every ports/com<N>\n"
     "entry of this folder as \"N -> target\"",
     LIST_PORTS},
    {"--link-port", 2, "N DEVICE",
     "make port N (1..255) open DEVICE from now on:\n"
     "ports/com<N> becomes a link to it (to its name under\n"
     "/dev/serial/by-id when it has one)",
     LINK_PORT},
    {"--tracking-server", 1, "[HOST:]PORT",
     "once the main window is open, let tracking programs\n"
     "turn the rotator over TCP in the rotator daemon's\n"
     "protocol; HOST is 127.0.0.1 unless given (0.0.0.0:\n"
     "every interface), PORT is commonly 4533",
     TRACKING_SERVER},
    {"--port", 1, "N",
     "use port N (1..255): the window opens without the port\n"
     "chooser and without asking to connect the CBOX",
     PORT},
    {"--status", 0, "", "print the position and state of the CBOX as one\nline of JSON: {\"port\":1,\"azimuth\":123,\"state\":\"ready\"}",
     SCRIPT<script_commands::STATUS>},
    {"--read-set", 1, "FILE",
     "read the CBOX (S, V and L as at start-up) and save\nits set as the set file FILE (-: standard output)",
     SCRIPT<script_commands::READ_SET>},
    {"--write-set", 1, "FILE",
     "write the set file FILE (-: standard input) to the\nCBOX: read it as at start-up, back that set up in\n"
     "backups/, cmd W, then cmd L: each difference from\nthe set written is one line on stderr",
     SCRIPT<script_commands::WRITE_SET>},
    {"--goto", 1, "AZ", "turn the rotator to azimuth AZ (0..359)", SCRIPT<script_commands::GOTO>},
    {"--wait", 1, "SECONDS",
     "with --goto: the status every second until the\nCBOX reports READY, at most SECONDS",
     SCRIPT<script_commands::WAIT>},
    {"--stop", 0, "", "the soft stop", SCRIPT<script_commands::STOP>},
    {"--headless", 0, "",
     "a station without a screen: no window, no display,\n"
     "nothing waits for a click; serves --tracking-server\n"
     "(needed) on port N of --port, else velta.ini's; no\n"
     "other option but --verbose; logs to stderr, never\n"
     "writes velta.ini; SIGTERM or SIGINT stops it",
     HEADLESS},
    {"--verbose", 0, "", "with --headless: log every request and its answer", VERBOSE},
    {"--help", 0, "", "print this list", HELP},
};

std::optional<int> HELP(const QStringList&) {
  QTextStream out(stdout);
  out << "Usage: velta [OPTION]\n"
         "The CBOX service tool. Without an option, or with --port and --tracking-server\n"
         "only, it opens its windows. velta.ini and the ports/com<N> links live in the\n"
         "folder it is started in. A station without a screen runs\n"
         "  velta --headless --tracking-server [HOST:]PORT [--port N] [--verbose]\n\n";
  for (const Option& option : OPTIONS) {
    const QString head = QStringLiteral("  %1 %2").arg(QLatin1String(option.name), QLatin1String(option.args));
    const QStringList lines = QString::fromLatin1(option.help).split('\n');
    // A head too wide for its column stands on a line of its own.
    if (head.size() >= 24) out << head << '\n';
    for (qsizetype i = 0; i < lines.size(); ++i)
      out << (i == 0 && head.size() < 24 ? head : QString()).leftJustified(24) << lines[i] << '\n';
  }
  out << "\nThe window toolkit's own options (-platform NAME, -style NAME) are passed on\n"
         "(not with --headless).\n\n"
      << script_commands::EXIT_CODES;
  return 0;
}

// A station runs with its server and on its port, unattended: an option
// that ends the program or belongs to the window has no place beside it, nor
// does an argument for the window toolkit (-platform would ask for a display).
std::optional<int> CHECK_HEADLESS(const QStringList& names, const QStringList& others) {
  // The help ends the program before anything starts.
  if (names.contains(QLatin1String("--help"))) return std::nullopt;
  if (!names.contains(QLatin1String("--headless")))
    return names.contains(QLatin1String("--verbose")) ? std::optional(fail("--verbose needs --headless")) : std::nullopt;
  const QStringList usable{"--headless", "--verbose", "--tracking-server", "--port"};
  for (const QString& name : names + others)
    if (!usable.contains(name)) return fail(name + QStringLiteral(" cannot be used with --headless"));
  if (!names.contains(QLatin1String("--tracking-server")))
    return fail(QStringLiteral("--headless needs --tracking-server [HOST:]PORT"));
  return std::nullopt;
}
}  // namespace

std::optional<int> RUN_OPTIONS(int argc, char** argv) {
  std::vector<std::pair<const Option*, QStringList>> given;
  QStringList names, others;
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    if (!arg.startsWith(QLatin1String("--"))) {
      others << arg;
      continue;
    }
    const Option* option = std::find_if(std::begin(OPTIONS), std::end(OPTIONS),
                                        [&](const Option& o) { return arg == QLatin1String(o.name); });
    if (option == std::end(OPTIONS)) return fail(arg + QStringLiteral(" is not an option (velta --help lists them)"));
    if (argc - 1 - i < option->arg_count)
      return fail(QStringLiteral("%1 needs %2").arg(arg, QLatin1String(option->args)));
    QStringList args;
    for (int k = 0; k < option->arg_count; ++k) args << QString::fromLocal8Bit(argv[++i]);
    given.emplace_back(option, args);
    names << arg;
  }
  // Every argument is checked before any option acts.
  if (const std::optional<int> status = CHECK_HEADLESS(names, others)) return status;
  for (const auto& [option, args] : given)
    if (const std::optional<int> status = option->run(args)) return status;
  return std::nullopt;
}

const std::optional<tracking::Endpoint>& TRACKING_SERVER() { return tracking_endpoint; }
std::optional<int> PORT() { return port_given; }
bool VERBOSE() { return verbose; }
Windowless WINDOWLESS() { return windowless_program; }
}  // namespace command_line
