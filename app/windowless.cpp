#include "app/windowless.h"

#include "app/file_in.h"
#include "serial/serial_vars.h"
#include "ui/msgbox.h"
#include "ui/velta.h"

namespace windowless {
const char* const NO_PORT = "no port: give --port N or start the window once";

namespace {
QtMessageHandler toolkit_handler = nullptr;

// The toolkit's notes on the runtime folder (XDG_RUNTIME_DIR unset under
// cron or sudo) concern only a display's sockets, which nothing here uses;
// on stderr they would stand among the program's own lines.
void without_runtime_notes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: "))) return;
  toolkit_handler(type, context, text);
}
}  // namespace

void NO_DISPLAY() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  toolkit_handler = qInstallMessageHandler(without_runtime_notes);
}

std::optional<int> PORT(std::optional<int> given) {
  if (given) return given;
  return file_in::STORED_PORT();
}

Window::Window(int port, std::function<void(const QString& line)> tell) {
  ui::set_msgbox_hook([tell = std::move(tell)](const ui::MsgBoxRequest& r) {
    tell(QString(r.text).replace(QLatin1Char('\n'), QStringLiteral(" / ")));
    return r.default_button;
  });
  window_ = std::make_unique<velta>();
  window_->given_port = port;
  window_->com_port->setText(QString::number(port));
  myVar::com_port_number = static_cast<std::int16_t>(port);
  window_->OPEN_CONFIGURED();
}

Window::~Window() {
  window_.reset();
  ui::set_msgbox_hook(nullptr);
}
}  // namespace windowless
