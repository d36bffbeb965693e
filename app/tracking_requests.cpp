// The controller's part of a tracker's request: the exchange it runs and what
// that exchange gave, never what a box of the window shows.
#include "app/tracking_server.h"
#include "protocol/tune_cmd.h"
#include "ui/velta.h"

namespace tracking {
namespace {
using rotator_lines::Command;

int code_of(tune_cmd::Failure failure) {
  switch (failure) {
    case tune_cmd::Failure::timeout:
      return rotator_lines::TIMED_OUT;
    case tune_cmd::Failure::port:
      return rotator_lines::PORT_FAULT;
    default:
      return rotator_lines::PROTOCOL_FAULT;
  }
}
}  // namespace

Server::Result Server::ask_controller(const rotator_lines::Request& r, const tune_cmd::Unattended& quiet) {
  using namespace tune_cmd;
  const auto failed = [&quiet] { return Result{code_of(quiet.failure()), 0, quiet.text()}; };
  switch (r.command) {
    case Command::get_pos: {
      Status status;
      const Outcome outcome = CMD_STATUS(&status);
      if (outcome == Outcome::sent_only) return {rotator_lines::OK, 0, {}, true};
      if (outcome == Outcome::failed) return failed();
      if (!status.position)
        return {rotator_lines::PROTOCOL_FAULT, 0, QStringLiteral("cmd ?: the position is no whole number")};
      return {rotator_lines::OK, static_cast<double>(*status.position), {}};
    }
    case Command::set_pos: {
      const QString angle = QString::number(r.azimuth);
      window_.go_to_angle->setText(angle);
      QString result;
      const Outcome outcome = CMD_GOTO(angle, &result);
      if (outcome == Outcome::failed) return failed();
      if (outcome == Outcome::sent_only || result == QLatin1String("R")) return {};
      return {result == QLatin1String("E") ? rotator_lines::REJECTED : rotator_lines::PROTOCOL_FAULT, 0,
              QStringLiteral("cmd G: the CBOX answered ") + result};
    }
    default:
      return CMD_SOFT_STOP() == Outcome::failed ? failed() : Result{};
  }
}
}  // namespace tracking
