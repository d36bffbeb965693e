#include "app/script_commands.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QTextStream>
#include <QTimer>

#include "app/command_line.h"
#include "app/set_file.h"
#include "app/tracking_server.h"
#include "app/windowless.h"
#include "protocol/read_set.h"
#include "protocol/tune_cmd.h"
#include "ui/backups.h"
#include "ui/menus.h"
#include "ui/velta.h"

namespace script_commands {
const char* const EXIT_CODES =
    "Exit status of --status, --read-set, --write-set, --goto and --stop:\n"
    "  0  done\n"
    "  2  usage, no port number, a file refused, or no place for the backup\n"
    "     (nothing written to the CBOX)\n"
    "  3  the port: it cannot be opened, is in use, or was lost\n"
    "  4  the controller: no reply, a reply that breaks the protocol, E or B\n"
    "     for a go-to, a stop or a write\n"
    "  5  the set read back after --write-set differs from the set written\n"
    "  6  --wait ran out before the CBOX reported READY\n";

namespace {
enum Exit { DONE = 0, USAGE = 2, PORT = 3, CONTROLLER = 4, DIFFERS = 5, RAN_OUT = 6 };
enum class Command { none, status, read_set, write_set, go_to, stop };

struct Given {
  Command command = Command::none;
  QString option;  // as given: "--status"
  QString arg;     // FILE, AZ
  std::optional<int> wait;
} given;

const QString STDIO = QStringLiteral("-");

// One line on stderr: a message's line breaks as " / ".
void say(const QString& text) {
  QTextStream(stderr) << "velta: " << QString(text).replace(QLatin1Char('\n'), QStringLiteral(" / ")) << Qt::endl;
}

int usage(const QString& text) {
  say(text);
  return USAGE;
}

std::optional<int> take(Command command, const char* option, const QString& arg = {}) {
  if (given.command != Command::none)
    return usage(QStringLiteral("%1 and %2 cannot be given together: one command a run")
                     .arg(given.option, QLatin1String(option)));
  given = {command, QLatin1String(option), arg, given.wait};
  return std::nullopt;
}

// A whole number from 0 to `most`, digits only; nothing otherwise.
std::optional<int> whole(const QString& text, int most) {
  bool ok = false;
  const int n = tune_cmd::IS_DIGITS(text) && text.size() <= 9 ? text.toInt(&ok) : -1;
  if (!ok || n > most) return std::nullopt;
  return n;
}

// The failure the exchanges kept, told; the port's, or else the controller's.
int failed(const tune_cmd::Unattended& quiet) {
  say(quiet.failure() == tune_cmd::Failure::none ? QStringLiteral("the CBOX did not give the whole reply")
                                                 : quiet.text());
  return quiet.failure() == tune_cmd::Failure::port ? PORT : CONTROLLER;
}

void write_out(const QByteArray& bytes) {
  QFile out;
  if (out.open(stdout, QIODevice::WriteOnly)) out.write(bytes);
}

// The pause between two status exchanges; the event loop runs meanwhile.
void pause(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

int status(int port, const tune_cmd::Unattended& quiet) {
  tune_cmd::Status got;
  const tune_cmd::Busy busy;
  if (tune_cmd::CMD_STATUS(&got) != tune_cmd::Outcome::done) return failed(quiet);
  // By hand, in the order a reader expects: the toolkit sorts the members.
  const QString azimuth = got.position ? QString::number(*got.position) : QStringLiteral("null");
  const QString state = got.state == QLatin1String("B") ? QStringLiteral("busy") : QStringLiteral("ready");
  write_out(QStringLiteral("{\"port\":%1,\"azimuth\":%2,\"state\":\"%3\"}\n")
                .arg(QString::number(port), azimuth, state)
                .toUtf8());
  return DONE;
}

int read_set(velta& w, int port, const tune_cmd::Unattended& quiet) {
  if (!w.READ_CONTROLLER()) return failed(quiet);
  const QJsonObject doc = set_file::DOCUMENT_OF(tune_cmd::LAST_READ(), port, QDateTime::currentDateTime());
  const QByteArray bytes = QJsonDocument(doc).toJson(QJsonDocument::Indented);
  if (given.arg == STDIO) {
    write_out(bytes);
    return DONE;
  }
  const QString problem = set_file::WRITE_WHOLE(given.arg, bytes);
  if (problem.isEmpty()) return DONE;
  return usage(QStringLiteral("The CBOX set could not be saved to ") + QDir::toNativeSeparators(given.arg) +
               QStringLiteral(": ") + problem);
}

// The set file (or standard input) of --write-set; empty when it is one
// File > Load takes, else why not.
QString load(tune_cmd::ControllerSet& set) {
  if (given.arg != STDIO) return set_file::READ_SET_FILE(given.arg, set);
  QFile in;
  if (!in.open(stdin, QIODevice::ReadOnly)) return QStringLiteral("it cannot be read (") + in.errorString() + ')';
  return set_file::READ_SET_FROM(in, set);
}

// The read as the start-up runs it, the backup of that read, cmd W with the
// file's set, and cmd L again compared with what that cmd W sent.
int write_set(velta& w, const tune_cmd::ControllerSet& set, const tune_cmd::Unattended& quiet) {
  using namespace tune_cmd;
  if (!w.READ_CONTROLLER()) return failed(quiet);
  // The boxes as File > Load fills them, after the read that filled them too.
  w.set_entries(ENTRIES_OF(set, true));
  if (const QString problem = RECORD_PROBLEM(w.entries()); !problem.isEmpty()) return usage(CMD_W_NOT_SENT + problem);
  if (const backups::Made made = backups::BACK_UP(); !made.problem.isEmpty())
    return usage(backups::CANNOT_TEXT(made) + QStringLiteral(" Nothing was written to the CBOX."));
  const Busy busy;
  Entries sent;
  if (!CMD_WRITE([&w] { return w.entries(); }, &sent) || !CMD_READ_INFO()) return failed(quiet);
  const QStringList lines = menus::READ_BACK_DIFFERENCES(sent);
  for (const QString& line : lines) say(line);
  return lines.isEmpty() ? DONE : DIFFERS;
}

int go_to(const tune_cmd::Unattended& quiet) {
  using namespace tune_cmd;
  QString result;
  {
    const Busy busy;
    if (CMD_GOTO(given.arg, &result) != Outcome::done) return failed(quiet);
  }
  if (result != QLatin1String("R")) {
    say(QStringLiteral("cmd G: the CBOX answered ") + result +
        (result == QLatin1String("E") ? QStringLiteral(" (WRONG)") : QString()));
    return CONTROLLER;
  }
  if (!given.wait) return DONE;
  const QDeadlineTimer end(*given.wait * 1000LL);
  for (;;) {
    Status got;
    {
      const Busy busy;
      if (CMD_STATUS(&got) != Outcome::done) return failed(quiet);
    }
    if (got.state == QLatin1String("R")) return DONE;
    if (end.hasExpired()) break;
    pause(static_cast<int>(std::min<qint64>(1000, end.remainingTime())));
  }
  say(QStringLiteral("--wait %1 ran out: the CBOX still reports BUSY").arg(*given.wait));
  return RAN_OUT;
}

int stop(const tune_cmd::Unattended& quiet) {
  const tune_cmd::Busy busy;
  return tune_cmd::CMD_SOFT_STOP() == tune_cmd::Outcome::done ? DONE : failed(quiet);
}

// What can be known wrong before the port is touched.
std::optional<int> misused() {
  if (given.command == Command::none) return usage(QStringLiteral("--wait goes with --goto only"));
  if (given.wait && given.command != Command::go_to)
    return usage(QStringLiteral("--wait goes with --goto only, not with ") + given.option);
  if (command_line::TRACKING_SERVER())
    return usage(QStringLiteral("--tracking-server needs the window: it cannot be given with ") + given.option);
  return std::nullopt;
}
}  // namespace

std::optional<int> STATUS(const QStringList&) { return take(Command::status, "--status"); }
std::optional<int> READ_SET(const QStringList& args) { return take(Command::read_set, "--read-set", args[0]); }
std::optional<int> WRITE_SET(const QStringList& args) { return take(Command::write_set, "--write-set", args[0]); }
std::optional<int> STOP(const QStringList&) { return take(Command::stop, "--stop"); }

std::optional<int> GOTO(const QStringList& args) {
  // Sent as plain digits: 090 goes as 90.
  const std::optional<int> az = whole(args[0], 359);
  if (!az) return usage(QStringLiteral("--goto %1: the azimuth is a whole number from 0 to 359").arg(args[0]));
  return take(Command::go_to, "--goto", QString::number(*az));
}

std::optional<int> WAIT(const QStringList& args) {
  given.wait = whole(args[0], 86400);
  if (!given.wait) return usage(QStringLiteral("--wait %1: the seconds are a whole number from 0 to 86400").arg(args[0]));
  return std::nullopt;
}

int RUN(QApplication&) {
  if (const std::optional<int> wrong = misused()) return *wrong;
  const std::optional<int> port = windowless::PORT(command_line::PORT());
  if (!port) return usage(QString::fromLatin1(windowless::NO_PORT));
  // A file that is refused sends nothing: it is read before the port opens.
  tune_cmd::ControllerSet set{};
  if (given.command == Command::write_set)
    if (const QString problem = load(set); !problem.isEmpty())
      return usage(menus::NOT_LOADED(given.arg == STDIO ? QStringLiteral("(standard input)") : given.arg, problem) +
                   QStringLiteral(" Nothing was sent to the CBOX."));
  // Failures are kept, not shown: the first one is told and gives the status.
  const tune_cmd::Unattended quiet;
  windowless::Window hidden(*port, say);
  if (quiet.failure() != tune_cmd::Failure::none) return failed(quiet);
  // Every exchange opens the port itself: left open, a stop would take
  // itself for one sent inside another exchange.
  tune_cmd::CLOSE_COM();
  switch (given.command) {
    case Command::status: return status(*port, quiet);
    case Command::read_set: return read_set(hidden.window(), *port, quiet);
    case Command::write_set: return write_set(hidden.window(), set, quiet);
    case Command::go_to: return go_to(quiet);
    case Command::stop: return stop(quiet);
    case Command::none: break;
  }
  return USAGE;
}
}  // namespace script_commands
